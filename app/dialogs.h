#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class QWidget;

namespace varnelo {

// Takes a message box away without an answer; harmless once the box is gone.
using DialogCloser = std::function<void()>;

// The icon of a message box.
enum class BoxIcon { kNone, kInformation, kWarning };

// How a save-file dialog is to be shown. Every save dialog asks before it
// replaces an existing file, accepts only a folder that exists and adds the
// default extension to a typed name that has none.
struct SaveDialogOptions {
  QString name;           // the dialog's design name
  QString proposedName;   // a bare file name, or the full path chosen last time
  QString initialFolder;  // where a bare proposed name is looked for
  QStringList filters;    // entries such as "txt (*.txt)"; empty: every file
  QString defaultSuffix;  // without the dot; empty: none added
  QWidget* owner = nullptr;
};

// Everything the program shows outside its own windows goes through here, so the
// tests can answer in place of a user. Boxes never block the caller: the answer
// arrives through the callback, on the window thread, once.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A box with the text, the icon and an OK button; done runs when it is closed.
  virtual DialogCloser Inform(const QString& caption, const QString& text, BoxIcon icon,
                              std::function<void()> done) = 0;
  // A box with Yes and No; answered gets true for Yes. Closing the box counts as No.
  virtual DialogCloser AskYesNo(const QString& caption, const QString& text,
                                std::function<void(bool yes)> answered) = 0;
  // Shows the address in the user's default web browser; the result is not looked at.
  virtual void OpenUrl(const QUrl& url) = 0;
  // A modal save-file dialog: the full path confirmed, or nothing when the user
  // cancelled. Unlike the boxes it returns only once it is closed, since the
  // export that asks can do nothing before it has its answer.
  virtual std::optional<QString> AskSavePath(const SaveDialogOptions& options) = 0;
};

// The caption of every box that names none of its own.
inline constexpr char16_t kDefaultCaption[] = u"信息：";

}  // namespace varnelo
