// Whole collection runs against a map platform that misbehaves on one page:
// the run has to go on by its rules (a page that cannot be read ends its
// keyword and the next keyword is searched), keep every row of the pages that
// could be read, stay within bounded memory, and end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "collect/collection_run.h"
#include "collect/place_search.h"
#include "tests/faults/fault_support.h"
#include "tests/faults/stop_aware_run_window.h"
#include "tests/support/fake_map_platform.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

using namespace varnelo::faults;
using test::FakeMapPlatform;
using test::PageFault;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr MapPlatform kBaidu = MapPlatform::kBaidu;
constexpr MapPlatform kAmap = MapPlatform::kAmap;
constexpr MapPlatform kPlatforms[] = {kBaidu, kAmap};

constexpr size_t kMiB = size_t{1} << 20;

// The rows a list of places gives, numbered on from first.
std::vector<ResultRow> RowsOf(const std::vector<FakePlace>& places, int first) {
  std::vector<ResultRow> rows;
  for (const FakePlace& place : places) {
    rows.push_back({std::to_string(first++), place.name, *place.telephone, place.address,
                    place.area, place.x + "，" + place.y});
  }
  return rows;
}

std::vector<ResultRow> Joined(std::initializer_list<std::vector<FakePlace>> groups) {
  std::vector<ResultRow> rows;
  for (const auto& group : groups) {
    for (ResultRow& row : RowsOf(group, static_cast<int>(rows.size()) + 1)) rows.push_back(row);
  }
  return rows;
}

// Two keywords in one city. "超市" has a good first page, the page under test
// second, a good third page and then no list; "酒店" has one good page.
class RunFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform_.IsListening()); }

  void SetPages(MapPlatform platform) {
    platform_.SetAnswer(GuangzhouPage(platform, "超市", 1), Answer(platform, first_));
    platform_.SetAnswer(GuangzhouPage(platform, "超市", 3), Answer(platform, third_));
    platform_.SetAnswer(GuangzhouPage(platform, "超市", 4), NoListAnswer(platform));
    platform_.SetAnswer(GuangzhouPage(platform, "酒店", 1), Answer(platform, other_));
    platform_.SetAnswer(GuangzhouPage(platform, "酒店", 2), NoListAnswer(platform));
    // The page under test answers as a good page unless a fault says otherwise.
    platform_.SetAnswer(FaultPage(platform), Answer(platform, Shops(20, "超市乙")));
    platform_.SetFault(FaultPage(platform), PageFault::kNone);
    platform_.ClearRequests();
  }

  static PageKey FaultPage(MapPlatform platform) { return GuangzhouPage(platform, "超市", 2); }

  RunEnd Run(MapPlatform platform, StopAwareRunWindow& window) {
    return RunToEnd(platform, window, search_);
  }

  // The run's page numbers (from 1) requested for a keyword, in order.
  std::vector<int> PagesOf(MapPlatform platform, const std::string& keyword) const {
    std::vector<int> pages;
    for (const PageKey& page : platform_.RequestedPages()) {
      if (page.keyword == keyword) pages.push_back(platform == kBaidu ? page.page + 1 : page.page);
    }
    return pages;
  }

  // The run when the page under test cannot be read: the keyword ends there.
  void ExpectKeywordEndedAtTheFault(MapPlatform platform, RunEnd end,
                                    const StopAwareRunWindow& window) {
    EXPECT_EQ(end, RunEnd::kFinished);
    EXPECT_EQ(window.FinishedShown(), 1);
    EXPECT_EQ(window.Rows(), Joined({first_, other_}));
    EXPECT_THAT(PagesOf(platform, "超市"), ElementsAre(1, 2));
    EXPECT_THAT(PagesOf(platform, "酒店"), ElementsAre(1, 2));
  }

  FakeMapPlatform platform_;
  PlaceSearch search_{PlaceSearchHosts{.amap = platform_.host(), .baidu = platform_.host()}};
  const std::vector<FakePlace> first_ = Shops(20, "超市甲");
  const std::vector<FakePlace> third_ = Shops(20, "超市丙");
  const std::vector<FakePlace> other_ = Shops(20, "酒店甲");
};

std::string NestedList(int depth) {
  return R"({"content":)" + std::string(depth, '[') + std::string(depth, ']') + "}";
}

TEST_F(RunFaultTest, UnreadablePageEndsItsKeywordAndTheNextKeywordIsSearched) {
  const struct {
    const char* name;
    std::function<void(FakeMapPlatform&, const PageKey&)> apply;
  } faults[] = {
      {"HTML error page with status 500",
       [](FakeMapPlatform& p, const PageKey& page) { p.SetFault(page, PageFault::kServerError); }},
      {"connection closed in the middle of the body",
       [](FakeMapPlatform& p, const PageKey& page) { p.SetFault(page, PageFault::kCloseMidBody); }},
      {"body that is not UTF-8 at all",
       [](FakeMapPlatform& p, const PageKey& page) {
         p.SetAnswer(page, std::string("\xFF\xFE\xC0\x80\xED\xA0\x80{\xF8\x88\x80\x80\x80}", 15));
       }},
      {"JSON nested 100,000 levels deep",
       [](FakeMapPlatform& p, const PageKey& page) { p.SetAnswer(page, NestedList(100000)); }},
  };
  for (MapPlatform platform : kPlatforms) {
    for (const auto& fault : faults) {
      SCOPED_TRACE(std::string(NameOf(platform)) + ": " + fault.name);
      SetPages(platform);
      fault.apply(platform_, FaultPage(platform));
      StopAwareRunWindow window("广州|440100", "超市\r\n酒店");

      ExpectKeywordEndedAtTheFault(platform, Run(platform, window), window);
    }
  }
}

TEST_F(RunFaultTest, ReadablePagesKeepEveryRowHoweverOddOrLarge) {
  // Bytes that are not UTF-8 inside the texts of a page: the page still reads,
  // each undecodable sequence turning into the code page's "?".
  auto withBrokenText = [](MapPlatform platform) {
    std::vector<FakePlace> shops = Shops(20, "坏MARK");
    std::string answer = Answer(platform, shops);
    const std::string broken("\xC3\x28\xFF\xFE", 4);
    for (size_t at; (at = answer.find("MARK")) != std::string::npos;) {
      answer.replace(at, 4, broken);
    }
    for (FakePlace& shop : shops) {
      for (std::string* text : {&shop.name, &shop.address}) {
        text->replace(text->find("MARK"), 4, broken);
        *text = GbkToUtf8(Utf8ToGbk(*text));
      }
    }
    return std::pair{answer, shops};
  };
  for (MapPlatform platform : kPlatforms) {
    for (const bool large : {false, true}) {
      SCOPED_TRACE(std::string(NameOf(platform)) +
                   (large ? ": a page of 10,000 records" : ": invalid UTF-8 inside texts"));
      SetPages(platform);
      auto [answer, places] =
          large ? std::pair{std::string(), Shops(10000, "大店")} : withBrokenText(platform);
      if (large) answer = Answer(platform, places);
      // Within what a document takes (8 MiB), so the whole page has to come through.
      ASSERT_LT(answer.size(), 8 * kMiB);
      platform_.SetAnswer(FaultPage(platform), answer);
      StopAwareRunWindow window("广州|440100", "超市\r\n酒店");

      EXPECT_EQ(Run(platform, window), RunEnd::kFinished);

      const std::vector<ResultRow> rows = window.Rows();
      const std::vector<ResultRow> expected = Joined({first_, places, third_, other_});
      ASSERT_EQ(rows.size(), expected.size());
      EXPECT_TRUE(rows == expected);  // a mismatch would print 10,000 rows
      EXPECT_THAT(PagesOf(platform, "超市"), ElementsAre(1, 2, 3, 4));
      EXPECT_THAT(PagesOf(platform, "酒店"), ElementsAre(1, 2));
    }
  }
}

TEST_F(RunFaultTest, BodyOfAHundredMegabytesFailsTheRequestWithinBoundedMemory) {
  constexpr size_t kBodyBytes = 100'000'000;
  platform_.SetHugeBodyBytes(kBodyBytes);
  // Declared up front, the length alone refuses the page; sent in chunks, the
  // client has to stop reading at its bound.
  for (const PageFault fault : {PageFault::kHugeBody, PageFault::kHugeChunkedBody}) {
    SCOPED_TRACE(fault == PageFault::kHugeBody ? "length declared" : "chunked");
    SetPages(kBaidu);
    platform_.SetFault(FaultPage(kBaidu), fault);
    const size_t sentBefore = platform_.HugeBodyBytesSent();
    const size_t peakBefore = PeakResidentBytes();
    StopAwareRunWindow window("广州|440100", "超市\r\n酒店");

    ExpectKeywordEndedAtTheFault(kBaidu, Run(kBaidu, window), window);

    // The client hung up long before the end of the page: what it took stays
    // near the 64 MiB bound (plus what the sockets buffer on the way).
    EXPECT_LT(platform_.HugeBodyBytesSent() - sentBefore, 80 * kMiB);
    const size_t growth = PeakResidentBytes() - peakBefore;
    std::printf("peak resident size grew by %zu MiB\n", growth / kMiB);
    if (!kSanitized) {
      // A body held whole, then widened for the code page conversion, would
      // take several times the page; the bound keeps the growth far below.
      EXPECT_LT(growth, 256 * kMiB);
    }
  }
}

TEST_F(RunFaultTest, ServerThatNeverAnswersTimesOutAndTheRunGoesOn) {
  SetPages(kBaidu);
  platform_.SetFault(FaultPage(kBaidu), PageFault::kNeverAnswer);
  StopAwareRunWindow window("广州|440100", "超市\r\n酒店");

  // The request's own 15-second timeout ends the page; RunToEnd allows 90 s.
  ExpectKeywordEndedAtTheFault(kBaidu, Run(kBaidu, window), window);
  // The server is holding the page still, and would hold it for a day.
  EXPECT_EQ(platform_.HeldAnswers(), 1);
}

TEST_F(RunFaultTest, RateLimitAnswerAsTheFirstPage) {
  const std::string sliderLink =
      "https://" + platform_.host() + "/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0";
  for (const bool open : {true, false}) {
    SCOPED_TRACE(open ? "Yes: the next keyword is searched" : "No: the run ends");
    SetPages(kAmap);
    platform_.SetAnswer(GuangzhouPage(kAmap, "超市", 1), test::AmapRateLimitAnswer());
    StopAwareRunWindow window("广州|440100", "超市\r\n酒店");
    window.SetAnswerOpenSliderLink(open);

    const RunEnd end = Run(kAmap, window);

    EXPECT_EQ(window.SliderQuestions(), 1);
    // The refused page is not asked for again, and no later page of its keyword.
    EXPECT_THAT(PagesOf(kAmap, "超市"), ElementsAre(1));
    if (open) {
      EXPECT_EQ(end, RunEnd::kFinished);
      EXPECT_THAT(window.OpenedLinks(), ElementsAre(sliderLink));
      EXPECT_EQ(window.Rows(), RowsOf(other_, 1));
      EXPECT_THAT(PagesOf(kAmap, "酒店"), ElementsAre(1, 2));
      EXPECT_EQ(window.FinishedShown(), 1);
    } else {
      EXPECT_EQ(end, RunEnd::kDeclined);
      EXPECT_THAT(window.OpenedLinks(), ElementsAre());
      EXPECT_THAT(window.Rows(), ElementsAre());
      EXPECT_THAT(PagesOf(kAmap, "酒店"), ElementsAre());
      EXPECT_EQ(window.FinishedShown(), 0);
    }
  }
}

}  // namespace
}  // namespace varnelo
