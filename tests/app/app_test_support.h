#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "text/result_row.h"

namespace varnelo::testing {

// Finds a control by its design name; fails the test when it is missing.
template <class Control>
Control* Find(const QWidget& root, const QString& name) {
  auto* control = root.findChild<Control*>(name);
  if (control == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
  return control;
}

// Serves window events until done() holds; false when it never did within the
// (generous) limit, so a broken flow fails instead of hanging.
bool PumpUntil(const std::function<bool()>& done, int limitMs = 20000);

// Press, release, press, double click, release: what a real double click delivers.
void DoubleClick(QWidget* widget, QPoint position);

// A row of six cells given as UTF-8 texts, stored as the system holds them.
ResultRow GbkRow(const std::vector<QString>& cells);
std::string Gbk(const QString& text);

// The boxes a test answers in place of a user.
class FakeDialogs final : public Dialogs {
 public:
  struct Box {
    QString caption;
    QString text;
    bool yesNo = false;
    bool closedByProgram = false;
    bool answered = false;
    std::function<void(bool)> answer;  // true: OK or Yes
    BoxIcon icon = BoxIcon::kNone;
  };

  DialogCloser Inform(const QString& caption, const QString& text, BoxIcon icon,
                      std::function<void()> done) override;
  DialogCloser AskYesNo(const QString& caption, const QString& text,
                        std::function<void(bool yes)> answered) override;
  void OpenUrl(const QUrl& url) override { urls.push_back(url); }
  // Records how it was asked, runs duringSave as if the user took a moment meanwhile,
  // and gives the next of savePaths (nothing once they are used up: cancel).
  std::optional<QString> AskSavePath(const SaveDialogOptions& options) override;

  // Answers the box shown index-th (from 0), as the user would.
  void Answer(size_t index, bool yes);

  std::vector<Box> boxes;
  std::vector<QUrl> urls;
  std::vector<SaveDialogOptions> saveDialogs;
  std::vector<std::optional<QString>> savePaths;
  std::function<void()> duringSave;
};

// A gate a worker waits at until the test opens it or the run is stopped.
class Gate {
 public:
  void Open();
  // True when the gate was opened, false when the run was stopped first.
  bool Wait(const std::stop_token& stop);

 private:
  std::mutex mutex_;
  std::condition_variable_any opened_;
  bool open_ = false;
};

}  // namespace varnelo::testing
