// Start, Stop and the bridge, driven by stand-in runs that do to their window
// what a collection run does, step by step as each test needs.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "app/box_text.h"
#include "app/main_window.h"
#include "app/result_model.h"
#include "collect/run_window.h"
#include "tests/app/app_test_support.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::FakeDialogs;
using testing::Find;
using testing::Gate;
using testing::Gbk;
using testing::PumpUntil;

ResultRow NumberedRow(int number) {
  return {std::to_string(number),
          "name" + std::to_string(number),
          "138" + std::to_string(10000000 + number),
          "",
          "",
          ""};
}

RunEnd EndOf(const std::stop_token& stop) {
  return stop.stop_requested() ? RunEnd::kStopped : RunEnd::kFinished;
}

class RunBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PlatformRuns runs{
        [this](RunWindow& window, std::stop_token stop) { return baidu_(window, std::move(stop)); },
        [this](RunWindow& window, std::stop_token stop) { return amap_(window, std::move(stop)); },
    };
    window_ = new MainWindow(std::move(runs), dialogs_);
    QObject::connect(&window_->runs(), &RunController::RunEnded, window_,
                     [this](RunEnd end) { ends_.push_back(end); });
    window_->show();
  }
  void TearDown() override { delete window_.data(); }

  void Click(const QString& name) { Find<QAbstractButton>(*window_, name)->click(); }
  QString Text(const QString& name) { return Find<QLineEdit>(*window_, name)->text(); }
  bool WaitForEnds(size_t count) {
    return PumpUntil([&] { return ends_.size() >= count; });
  }
  int Rows() { return window_->results().rowCount(); }

  RunFunction baidu_;
  RunFunction amap_;
  FakeDialogs dialogs_;
  QPointer<MainWindow> window_;
  std::vector<RunEnd> ends_;
};

TEST_F(RunBridgeTest, StartRunsThePlatformThatIsChecked) {
  std::vector<std::string> started;  // written by the workers, read after their end
  baidu_ = [&](RunWindow&, std::stop_token) {
    started.push_back("baidu");
    return RunEnd::kFinished;
  };
  amap_ = [&](RunWindow&, std::stop_token) {
    started.push_back("amap");
    return RunEnd::kFinished;
  };

  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(WaitForEnds(1));
  Click(u"单选框_高德平台"_s);
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(WaitForEnds(2));
  Click(u"单选框_高德平台"_s);  // clicking the checked one changes nothing
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(WaitForEnds(3));
  EXPECT_EQ(started, (std::vector<std::string>{"baidu", "amap", "amap"}));
}

TEST_F(RunBridgeTest, RunReadsTheInputsAsCodePage936WithCrLfLines) {
  std::string cities, keywords;
  bool landline = false, duplicates = true;
  baidu_ = [&](RunWindow& window, std::stop_token) {
    cities = window.CityText();
    keywords = window.KeywordText();
    landline = window.LandlineFilter();
    duplicates = window.DuplicateFilter();
    return RunEnd::kFinished;
  };
  Find<QPlainTextEdit>(*window_, u"编辑框_城市名称"_s)
      ->setPlainText(u"广州|440100\n\n芜湖|340200"_s);
  Find<QCheckBox>(*window_, u"选择框_过滤座机"_s)->setChecked(true);

  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(WaitForEnds(1));
  EXPECT_EQ(cities, Gbk(u"广州|440100\r\n\r\n芜湖|340200"_s));
  EXPECT_EQ(keywords, "\xB3\xAC\xCA\xD0\r\n\xBE\xC6\xB5\xEA\r\n");
  EXPECT_TRUE(landline);
  EXPECT_FALSE(duplicates);
}

TEST_F(RunBridgeTest, ProgressAndRowsAreShownBeforeTheFinalMessage) {
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    window.ShowKeyword(Gbk(u"超市"_s));
    for (int number = 1; number <= 3; ++number) {
      window.AppendRow(NumberedRow(number));
      window.ShowCount(std::to_string(number + 1) + Gbk(u"条信息"_s));
    }
    window.ShowFinished();
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return !dialogs_.boxes.empty(); }));

  // The run waits for the box; everything it did before is in the window.
  EXPECT_EQ(Rows(), 3);
  EXPECT_EQ(window_->results().Row(2), NumberedRow(3));
  EXPECT_EQ(Text(u"编辑框_关键词"_s), u"超市"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), u"4条信息"_s);
  ASSERT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(dialogs_.boxes[0].caption, u"信息："_s);
  EXPECT_EQ(dialogs_.boxes[0].text, u"采集完成"_s);
  EXPECT_FALSE(dialogs_.boxes[0].yesNo);
  EXPECT_TRUE(ends_.empty());
  EXPECT_TRUE(window_->runs().IsRunning());

  dialogs_.Answer(0, true);
  ASSERT_TRUE(WaitForEnds(1));
  EXPECT_EQ(ends_[0], RunEnd::kFinished);
  EXPECT_FALSE(window_->runs().IsRunning());
}

TEST_F(RunBridgeTest, ManyRowsArriveCompleteInOrderAndTheLastIsInView) {
  constexpr int kRows = 10000;  // well over what may wait for the window at once
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    for (int number = 1; number <= kRows; ++number) window.AppendRow(NumberedRow(number));
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(WaitForEnds(1));
  ASSERT_EQ(Rows(), kRows);
  for (int row = 0; row < kRows; row += 997) {
    EXPECT_EQ(window_->results().Row(row), NumberedRow(row + 1));
  }
  EXPECT_EQ(window_->results().Row(kRows - 1), NumberedRow(kRows));
  QScrollBar* scroll = Find<QTableView>(*window_, u"超级列表框1"_s)->verticalScrollBar();
  EXPECT_GT(scroll->maximum(), 0);
  EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(RunBridgeTest, StopKeepsTheRowsShownAndDropsWhatTheRunStillSends) {
  Gate firstRowShown;
  std::promise<void> moreSent;
  std::string keywordAfterStop = "unread";
  bool filterAfterStop = true;
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    window.ShowKeyword(Gbk(u"超市"_s));
    window.AppendRow(NumberedRow(1));
    window.ShowCount("2");
    firstRowShown.Wait(stop);
    window.ShowKeyword(Gbk(u"酒店"_s));
    window.AppendRow(NumberedRow(2));
    window.AppendRow(NumberedRow(3));
    window.ShowCount("4");
    moreSent.set_value();
    Gate never;
    never.Wait(stop);
    // Stopped: the window is out of reach from here on.
    keywordAfterStop = window.KeywordText();
    filterAfterStop = window.LandlineFilter();
    window.AppendRow(NumberedRow(4));
    window.ShowFinished();
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 1; }));
  EXPECT_EQ(Text(u"编辑框_关键词"_s), u"超市"_s);

  // The second batch is sent but the window thread does not look at it before
  // Stop: nothing of it may appear afterwards.
  firstRowShown.Open();
  moreSent.get_future().wait();
  Click(u"按钮_停止挖掘"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), QString());
  EXPECT_FALSE(window_->runs().IsRunning());

  ASSERT_TRUE(WaitForEnds(1));
  QCoreApplication::processEvents();
  EXPECT_EQ(ends_[0], RunEnd::kStopped);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(window_->results().Row(0), NumberedRow(1));
  EXPECT_EQ(Text(u"编辑框_关键词"_s), u"超市"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), QString());
  EXPECT_EQ(keywordAfterStop, "");
  EXPECT_FALSE(filterAfterStop);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(RunBridgeTest, SecondStartWhileRunningDoesNothingAndStartAfterStopWaitsForTheOldWorker) {
  std::atomic<int> runsStarted = 0;
  std::atomic<bool> firstUnwound = false;
  std::atomic<bool> overlapped = false;
  Gate firstMayUnwind;
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    const int run = ++runsStarted;
    if (run == 1) {
      window.AppendRow(NumberedRow(1));
      Gate never;
      never.Wait(stop);
      firstMayUnwind.Wait({});  // a worker slow to finish unwinding
      firstUnwound = true;
      return EndOf(stop);
    }
    if (!firstUnwound) overlapped = true;
    window.AppendRow(NumberedRow(1));
    return EndOf(stop);
  };

  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 1; }));
  Click(u"按钮_开始挖掘"_s);
  Click(u"按钮_开始挖掘"_s);
  EXPECT_EQ(runsStarted, 1);

  Click(u"按钮_停止挖掘"_s);
  Click(u"按钮_开始挖掘"_s);  // returns at once, the first worker still unwinding
  EXPECT_TRUE(window_->runs().IsRunning());
  EXPECT_EQ(runsStarted, 1);
  firstMayUnwind.Open();

  ASSERT_TRUE(PumpUntil([&] { return Rows() == 2; }));
  ASSERT_TRUE(WaitForEnds(2));
  EXPECT_EQ(runsStarted, 2);
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(ends_, (std::vector<RunEnd>{RunEnd::kStopped, RunEnd::kFinished}));
}

TEST_F(RunBridgeTest, ClearingDuringARunLeavesOnlyTheRowsThatFollow) {
  Gate cleared;
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    for (int number = 1; number <= 3; ++number) window.AppendRow(NumberedRow(number));
    if (!cleared.Wait(stop)) return RunEnd::kStopped;
    for (int number = 4; number <= 5; ++number) window.AppendRow(NumberedRow(number));
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 3; }));
  Click(u"按钮_清空"_s);
  EXPECT_EQ(Rows(), 0);
  cleared.Open();
  ASSERT_TRUE(WaitForEnds(1));
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(window_->results().Row(0), NumberedRow(4));
  EXPECT_EQ(window_->results().Row(1), NumberedRow(5));
}

TEST_F(RunBridgeTest, SliderQuestionIsAnsweredYesOrNoAndOnlyWebLinksOpen) {
  std::vector<bool> answers;
  amap_ = [&](RunWindow& window, std::stop_token stop) {
    answers.push_back(window.AskOpenSliderLink());
    window.OpenLink("https://www.amap.com/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0");
    window.OpenLink("file:///etc/passwd");
    window.OpenLink("javascript:alert(1)");
    answers.push_back(window.AskOpenSliderLink());
    return stop.stop_requested() ? RunEnd::kStopped : RunEnd::kDeclined;
  };
  Click(u"单选框_高德平台"_s);
  Click(u"按钮_开始挖掘"_s);

  ASSERT_TRUE(PumpUntil([&] { return dialogs_.boxes.size() == 1; }));
  EXPECT_EQ(dialogs_.boxes[0].caption, u"信息："_s);
  EXPECT_EQ(dialogs_.boxes[0].text, u"是否打开滑块链接！"_s);
  EXPECT_TRUE(dialogs_.boxes[0].yesNo);
  dialogs_.Answer(0, true);
  ASSERT_TRUE(PumpUntil([&] { return dialogs_.boxes.size() == 2; }));
  dialogs_.Answer(1, false);
  ASSERT_TRUE(WaitForEnds(1));

  EXPECT_EQ(answers, (std::vector<bool>{true, false}));
  ASSERT_EQ(dialogs_.urls.size(), 1u);
  EXPECT_EQ(dialogs_.urls[0].toString(),
            u"https://www.amap.com/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0"_s);
  EXPECT_EQ(ends_[0], RunEnd::kDeclined);
}

TEST_F(RunBridgeTest, StopTakesAnOpenBoxAway) {
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    window.ShowFinished();
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return dialogs_.boxes.size() == 1; }));
  Click(u"按钮_停止挖掘"_s);
  EXPECT_TRUE(dialogs_.boxes[0].closedByProgram);
  ASSERT_TRUE(WaitForEnds(1));
  EXPECT_EQ(ends_[0], RunEnd::kStopped);
}

TEST_F(RunBridgeTest, ClosingTheWindowStopsItsRunBeforeTheWindowGoes) {
  std::atomic<bool> returned = false;
  baidu_ = [&](RunWindow& window, std::stop_token stop) {
    window.AppendRow(NumberedRow(1));
    Gate never;
    never.Wait(stop);
    window.ShowFinished();
    returned = true;
    return EndOf(stop);
  };
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 1; }));
  window_->close();
  ASSERT_TRUE(PumpUntil([&] { return window_.isNull(); }));
  // The window's end waited for the worker, which showed no final message.
  EXPECT_TRUE(returned);
  EXPECT_TRUE(dialogs_.boxes.empty());
}

}  // namespace
}  // namespace varnelo
