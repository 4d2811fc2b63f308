#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace varnelo {

// Takes a message box away without an answer; harmless once the box is gone.
using DialogCloser = std::function<void()>;

// Everything the program shows outside its own windows goes through here, so the
// tests can answer in place of a user. Boxes never block the caller: the answer
// arrives through the callback, on the window thread, once.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A box with the text and an OK button; done runs when it is closed.
  virtual DialogCloser Inform(const QString& caption, const QString& text,
                              std::function<void()> done) = 0;
  // A box with Yes and No; answered gets true for Yes. Closing the box counts as No.
  virtual DialogCloser AskYesNo(const QString& caption, const QString& text,
                                std::function<void(bool yes)> answered) = 0;
  // Shows the address in the user's default web browser; the result is not looked at.
  virtual void OpenUrl(const QUrl& url) = 0;
};

// The caption of every box that names none of its own.
inline constexpr char16_t kDefaultCaption[] = u"信息：";

}  // namespace varnelo
