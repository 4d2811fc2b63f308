// The desktop program's Start and Stop over the real collection runs, asking the
// fake map platform over loopback HTTPS.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <atomic>
#include <memory>
#include <vector>

#include "app/box_text.h"
#include "app/main_window.h"
#include "app/platform_runs.h"
#include "app/result_model.h"
#include "collect/place_search.h"
#include "tests/app/app_test_support.h"
#include "tests/support/fake_map_platform.h"

namespace varnelo {
namespace {

using namespace Qt::Literals::StringLiterals;
using test::FakeMapPlatform;
using test::FakePlace;
using test::MapPlatform;
using test::PageKey;
using test::RecordedRequest;
using testing::Find;
using testing::PumpUntil;

std::vector<FakePlace> Shops(int count, const std::string& prefix) {
  std::vector<FakePlace> shops;
  for (int i = 0; i < count; ++i) {
    shops.push_back({.name = prefix + std::to_string(i),
                     .telephone = std::to_string(13800000000LL + i),
                     .address = "路1号",
                     .area = "广州市",
                     .x = "113.3",
                     .y = "23.1"});
  }
  return shops;
}

// Holds the answer to one page on the server until the test lets it go, so a
// test can act while the run waits for that page. The server's thread may still
// be leaving the hook when the test is over, so what it touches is shared.
class HeldPage {
 public:
  HeldPage(FakeMapPlatform& platform, int page) : state_(std::make_shared<State>()) {
    platform.SetRequestHook([state = state_, page](const RecordedRequest& request) {
      if (!request.page || request.page->page != page) return;
      state->reached = true;
      state->gate.Wait({});
    });
  }
  ~HeldPage() { Release(); }  // the server cannot shut down while it holds a page
  bool reached() const { return state_->reached; }
  void Release() { state_->gate.Open(); }

 private:
  struct State {
    std::atomic<bool> reached = false;
    testing::Gate gate;
  };
  std::shared_ptr<State> state_;
};

class PlatformRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform_.IsListening());
    window_ = new MainWindow(PlaceSearchRuns(search_), dialogs_);
    QObject::connect(&window_->runs(), &RunController::RunEnded, window_,
                     [this](RunEnd end) { ends_.push_back(end); });
    window_->show();
    Find<QPlainTextEdit>(*window_, u"编辑框_城市名称"_s)->setPlainText(u"广州|440100\n"_s);
    Find<QPlainTextEdit>(*window_, u"编辑框_商家信息"_s)->setPlainText(u"超市\n"_s);
  }
  void TearDown() override { delete window_.data(); }

  void Click(const QString& name) { Find<QAbstractButton>(*window_, name)->click(); }
  QString Text(const QString& name) { return Find<QLineEdit>(*window_, name)->text(); }
  int Rows() { return window_->results().rowCount(); }
  QString Cell(int row, int column) { return FromGbk(window_->results().Cell(row, column)); }
  QStringList Column(int column) {
    QStringList cells;
    for (int row = 0; row < Rows(); ++row) cells.push_back(Cell(row, column));
    return cells;
  }
  // Answers the run's "采集完成" and waits for the run to end.
  void FinishRun(size_t runs) {
    ASSERT_TRUE(PumpUntil([&] { return dialogs_.boxes.size() == runs; }));
    EXPECT_EQ(dialogs_.boxes.back().text, u"采集完成"_s);
    dialogs_.Answer(runs - 1, true);
    ASSERT_TRUE(PumpUntil([&] { return ends_.size() == runs; }));
    EXPECT_EQ(ends_.back(), RunEnd::kFinished);
  }

  FakeMapPlatform platform_{VARNELO_TEST_DATA "/platform"};
  PlaceSearch search_{PlaceSearchHosts{.amap = platform_.host(), .baidu = platform_.host()}};
  testing::FakeDialogs dialogs_;
  QPointer<MainWindow> window_;
  std::vector<RunEnd> ends_;
};

TEST_F(PlatformRunTest, EachPlatformAddsItsFixtureRowsBelowTheEarlierOnes) {
  Click(u"按钮_开始挖掘"_s);
  FinishRun(1);
  EXPECT_EQ(Column(kColumnName), (QStringList{u"好又多(天河店)"_s, u"美宜佳?(昌岗店)"_s,
                                              u"百佳超市(江南西店)"_s, u"华润万家(海珠广场店)"_s}));
  EXPECT_EQ(Cell(0, kColumnTelephone), u"(020)38781234,13802912345"_s);
  EXPECT_EQ(Cell(0, kColumnAddress), u"广州市天河区天河路208号/B1"_s);
  EXPECT_EQ(Cell(0, kColumnCoordinates), u"12613745.21，2631120.47"_s);
  EXPECT_EQ(Text(u"编辑框_关键词"_s), u"超市"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), u"5条信息"_s);

  Click(u"单选框_高德平台"_s);
  Click(u"按钮_开始挖掘"_s);
  FinishRun(2);
  ASSERT_EQ(Rows(), 6);
  // The second run numbers from 1 again, below the first run's rows.
  EXPECT_EQ(Column(kColumnNumber), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"1"_s, u"2"_s}));
  EXPECT_EQ(Cell(4, kColumnName), u"好又多(海珠店)"_s);
  EXPECT_EQ(Cell(5, kColumnCoordinates), u"113.290131，23.085402"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), u"3条信息"_s);
}

TEST_F(PlatformRunTest, StopDuringASlowPageKeepsTheRowsAndAddsNoneLater) {
  const PageKey first{MapPlatform::kBaidu, "257", "酒店", 0};
  const PageKey second{MapPlatform::kBaidu, "257", "酒店", 1};
  platform_.SetAnswer(first, test::BaiduAnswer(Shops(3, "早")));
  platform_.SetAnswer(second, test::BaiduAnswer(Shops(3, "晚")));
  platform_.SetFault(second, test::PageFault::kDelay, std::chrono::seconds(60));
  Find<QPlainTextEdit>(*window_, u"编辑框_商家信息"_s)->setPlainText(u"酒店\n"_s);

  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 3 && platform_.HeldAnswers() == 1; }));
  Click(u"按钮_停止挖掘"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), QString());

  // The run ends while the server still holds the page it asked for.
  ASSERT_TRUE(PumpUntil([&] { return !ends_.empty(); }));
  EXPECT_EQ(ends_[0], RunEnd::kStopped);
  EXPECT_EQ(platform_.HeldAnswers(), 1);
  platform_.Stop();
  QCoreApplication::processEvents();

  EXPECT_EQ(Column(kColumnName), (QStringList{u"早0"_s, u"早1"_s, u"早2"_s}));
  EXPECT_EQ(Text(u"编辑框_关键词"_s), u"酒店"_s);
  EXPECT_EQ(Text(u"编辑框_成功查询"_s), QString());
  EXPECT_TRUE(dialogs_.boxes.empty());
}

TEST_F(PlatformRunTest, ClearingDuringARunKeepsTheRunsNumbering) {
  const PageKey first{MapPlatform::kBaidu, "257", "酒店", 0};
  const PageKey second{MapPlatform::kBaidu, "257", "酒店", 1};
  platform_.SetAnswer(first, test::BaiduAnswer(Shops(3, "早")));
  platform_.SetAnswer(second, test::BaiduAnswer(Shops(2, "晚")));
  Find<QPlainTextEdit>(*window_, u"编辑框_商家信息"_s)->setPlainText(u"酒店\n"_s);
  HeldPage held(platform_, 1);

  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return Rows() == 3 && held.reached(); }));
  Click(u"按钮_清空"_s);
  EXPECT_EQ(Rows(), 0);
  held.Release();
  FinishRun(1);
  EXPECT_EQ(Column(kColumnNumber), (QStringList{u"4"_s, u"5"_s}));
  EXPECT_EQ(Column(kColumnName), (QStringList{u"晚0"_s, u"晚1"_s}));
}

TEST_F(PlatformRunTest, StartWhileARunIsGoingGivesNoSecondRun) {
  HeldPage held(platform_, 1);
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return held.reached(); }));
  Click(u"按钮_开始挖掘"_s);
  Click(u"按钮_开始挖掘"_s);
  held.Release();
  FinishRun(1);
  QCoreApplication::processEvents();
  EXPECT_EQ(dialogs_.boxes.size(), 1u);
  EXPECT_EQ(Rows(), 4);
  int firstPages = 0;
  for (const PageKey& page : platform_.RequestedPages()) firstPages += page.page == 0 ? 1 : 0;
  EXPECT_EQ(firstPages, 1);
}

TEST_F(PlatformRunTest, ClosingTheWindowDuringASlowPageEndsTheRun) {
  HeldPage held(platform_, 1);
  Click(u"按钮_开始挖掘"_s);
  ASSERT_TRUE(PumpUntil([&] { return held.reached(); }));
  window_->close();
  // The window's end waits for its worker, which abandons the held request.
  ASSERT_TRUE(PumpUntil([&] { return window_.isNull(); }));
  EXPECT_TRUE(dialogs_.boxes.empty());
}

}  // namespace
}  // namespace varnelo
