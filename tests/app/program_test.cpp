// The program's life as a whole: the real event loop, ended by closing windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <functional>
#include <vector>

#include "app/city_picker.h"
#include "app/main_window.h"
#include "app/program.h"
#include "app/result_model.h"
#include "collect/run_window.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::FakeDialogs;
using testing::Find;

// One thing a test does on the running loop, once ready() holds.
struct Step {
  std::function<bool()> ready;
  std::function<void()> act;
};

bool Always() { return true; }

// Runs the program's loop and does the steps on it, one after another; a loop
// still going long after is ended with a code of its own, so a window that
// fails to end the program fails the test instead of hanging it.
int RunProgram(std::vector<Step> steps) {
  constexpr int kStuck = 99;
  QTimer stuck;
  stuck.setSingleShot(true);
  QObject::connect(&stuck, &QTimer::timeout, [] { QCoreApplication::exit(kStuck); });
  size_t next = 0;
  QTimer stepper;
  QObject::connect(&stepper, &QTimer::timeout, [&] {
    if (next < steps.size() && steps[next].ready()) steps[next++].act();
  });
  stepper.start(5);
  stuck.start(30000);
  return RunUntilLastWindowCloses(*qApp);
}

TEST(ProgramTest, ClosingTheMainWindowEndsTheProgram) {
  FakeDialogs dialogs;
  QPointer<MainWindow> window = new MainWindow({}, dialogs);
  window->show();
  EXPECT_EQ(RunProgram({{Always, [&] { window->close(); }}}), 0);
  EXPECT_TRUE(window.isNull());
}

TEST(ProgramTest, ThePickerKeepsTheProgramGoingUntilItIsClosedToo) {
  FakeDialogs dialogs;
  QPointer<MainWindow> window = new MainWindow({}, dialogs);
  QPointer<CityPicker> picker;
  bool pickerOutlivedWindow = false;
  window->show();
  const int result = RunProgram({
      {Always,
       [&] {
         Find<QPushButton>(*window, u"按钮_添加城市"_s)->click();
         picker = window->cityPicker();
       }},
      {Always, [&] { window->close(); }},
      {[&] { return window.isNull(); },
       [&] {
         // The loop is still going: the main window is gone, the picker is not.
         pickerOutlivedWindow = picker != nullptr && picker->isVisible();
         if (picker != nullptr) picker->close();
       }},
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(pickerOutlivedWindow);
  EXPECT_TRUE(picker.isNull());
}

TEST(ProgramTest, ClosingTheMainWindowDuringARunEndsTheRunBeforeTheProgram) {
  FakeDialogs dialogs;
  std::atomic<bool> started = false;
  std::atomic<bool> returned = false;
  PlatformRuns runs;
  runs.baidu = [&](RunWindow& window, std::stop_token stop) {
    started = true;
    testing::Gate never;
    never.Wait(stop);
    window.ShowFinished();  // stopped: shows nothing
    returned = true;
    return RunEnd::kStopped;
  };
  QPointer<MainWindow> window = new MainWindow(std::move(runs), dialogs);
  window->show();
  const int result = RunProgram({
      {Always, [&] { Find<QPushButton>(*window, u"按钮_开始挖掘"_s)->click(); }},
      // Closing only once the worker is surely inside the run.
      {[&] { return started.load(); }, [&] { window->close(); }},
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(returned);  // waited for before the loop's caller got control back
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace varnelo
