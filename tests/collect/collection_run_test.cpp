#include "collect/collection_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "collect/place_search.h"
#include "collect/run_observer.h"
#include "tests/collect/recording_run_window.h"
#include "tests/support/fake_map_platform.h"

namespace varnelo {
namespace {

using namespace varnelo::test;

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Texts = std::vector<std::string>;

constexpr MapPlatform kBaidu = MapPlatform::kBaidu;
constexpr MapPlatform kAmap = MapPlatform::kAmap;
constexpr MapPlatform kPlatforms[] = {kBaidu, kAmap};

const char* NameOf(MapPlatform platform) { return platform == kBaidu ? "Baidu" : "Amap"; }

// The city value each platform sends for the city line "广州|440100".
std::string Guangzhou(MapPlatform platform) { return platform == kBaidu ? "257" : "440100"; }

// A page as the platform's URL names it, from the run's page number (from 1).
PageKey Page(MapPlatform platform, std::string city, std::string keyword, int runPage) {
  return {platform, std::move(city), std::move(keyword),
          platform == kBaidu ? runPage - 1 : runPage};
}

PageKey GuangzhouPage(MapPlatform platform, std::string keyword, int runPage = 1) {
  return Page(platform, Guangzhou(platform), std::move(keyword), runPage);
}

std::string Answer(MapPlatform platform, const std::vector<FakePlace>& places) {
  return platform == kBaidu ? BaiduAnswer(places) : AmapAnswer(places);
}

FakePlace Shop(std::string name, std::optional<std::string> telephone) {
  return {.name = name,
          .telephone = std::move(telephone),
          .address = name + "路1号",
          .area = "广州市天河区",
          .x = "113.3245",
          .y = "23.1379"};
}

// count shops with distinct mobile numbers, named prefix0, prefix1, ...
std::vector<FakePlace> Shops(int count, const std::string& prefix = "店") {
  std::vector<FakePlace> shops;
  for (int i = 0; i < count; ++i) {
    shops.push_back(Shop(prefix + std::to_string(i), std::to_string(13800000000LL + i)));
  }
  return shops;
}

Texts Numbers(int from, int to) {
  Texts numbers;
  for (int i = from; i <= to; ++i) numbers.push_back(std::to_string(i));
  return numbers;
}

Texts CountTexts(std::initializer_list<int> numbers) {
  Texts texts;
  for (int n : numbers) texts.push_back(std::to_string(n) + "条信息");
  return texts;
}

std::vector<int> PageNumbers(const std::vector<PageKey>& pages) {
  std::vector<int> numbers;
  for (const PageKey& page : pages) numbers.push_back(page.page);
  return numbers;
}

std::vector<int> Range(int from, int to) {
  std::vector<int> numbers;
  for (int i = from; i <= to; ++i) numbers.push_back(i);
  return numbers;
}

class CollectionRunTest : public ::testing::Test {
 protected:
  explicit CollectionRunTest(std::filesystem::path fixtures = {}) : platform_(std::move(fixtures)) {
    window_.cityText = "广州|440100";
    window_.keywordText = "超市";
  }

  void SetUp() override { ASSERT_TRUE(platform_.IsListening()); }

  RunEnd Run(MapPlatform platform, std::stop_token stop = {}, RunObserver* observer = nullptr) {
    return platform == kBaidu ? CollectBaidu(window_, search_, stop, observer)
                              : CollectAmap(window_, search_, stop, observer);
  }

  // The pages requested for one keyword, in order.
  std::vector<int> PagesOf(const std::string& keyword) const {
    std::vector<PageKey> pages;
    for (const PageKey& page : platform_.RequestedPages()) {
      if (page.keyword == keyword) pages.push_back(page);
    }
    return PageNumbers(pages);
  }

  FakeMapPlatform platform_;
  PlaceSearch search_{PlaceSearchHosts{.amap = platform_.host(), .baidu = platform_.host()}};
  RecordingRunWindow window_;
};

TEST_F(CollectionRunTest, APageOfTwentyRecordsGivesTwentyRowsFromIndexZero) {
  for (MapPlatform platform : kPlatforms) {
    SCOPED_TRACE(NameOf(platform));
    window_.rows.clear();
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, Shops(20)));

    EXPECT_EQ(Run(platform), RunEnd::kFinished);

    ASSERT_EQ(window_.rows.size(), 20u);
    EXPECT_EQ(window_.Column(kColumnNumber), Numbers(1, 20));
    for (int i = 0; i < 20; ++i) {
      const ResultRow& row = window_.rows[i];
      const std::string name = "店" + std::to_string(i);
      EXPECT_EQ(row, (ResultRow{std::to_string(i + 1), name, std::to_string(13800000000LL + i),
                                name + "路1号", "广州市天河区", "113.3245，23.1379"}));
    }
  }
}

class CollectionRunFixtureTest : public CollectionRunTest {
 protected:
  CollectionRunFixtureTest() : CollectionRunTest(VARNELO_TEST_DATA "/platform") {}
};

TEST_F(CollectionRunFixtureTest, ReadsBaiduAnswersInTheirRealShape) {
  EXPECT_EQ(Run(kBaidu), RunEnd::kFinished);

  // A place without "tel" is passed over; "\/" and \u escapes read back as
  // characters; a character code page 936 cannot hold becomes "?".
  EXPECT_THAT(
      window_.rows,
      ElementsAre(
          ResultRow{"1", "好又多(天河店)", "(020)38781234,13802912345",
                    "广州市天河区天河路208号/B1", "广州市天河区", "12613745.21，2631120.47"},
          ResultRow{"2", "美宜佳?(昌岗店)", "13926012345", "广州市海珠区昌岗中路166号",
                    "广州市海珠区", "0，0"},
          ResultRow{"3", "百佳超市(江南西店)", "020-84401234", "广州市海珠区江南西路38号",
                    "广州市海珠区", "12610412.66，2626650.30"},
          ResultRow{"4", "华润万家(海珠广场店)", "15012345678", "广州市越秀区泰康路1号",
                    "广州市越秀区", "12610980.44，2628811.70"}));
  // Past the last page the answer has no "content", which ends the keyword.
  EXPECT_THAT(PagesOf("超市"), ElementsAre(0, 1, 2));
  EXPECT_EQ(window_.finishedShown, 1);
}

TEST_F(CollectionRunFixtureTest, ReadsAmapAnswersInTheirRealShape) {
  EXPECT_EQ(Run(kAmap), RunEnd::kFinished);

  EXPECT_THAT(window_.rows,
              ElementsAre(ResultRow{"1", "好又多(海珠店)", "020-84417850;13802912345",
                                    "江南大道中123号", "广州市", "113.264485，23.106612"},
                          ResultRow{"2", "钱大妈(东晓南店)", "13926012345", "东晓南路1290号",
                                    "广州市", "113.290131，23.085402"}));
  EXPECT_THAT(PagesOf("超市"), ElementsAreArray(Range(1, 100)));
}

TEST_F(CollectionRunTest, LandlineFilterKeepsOnlyElevenDigitNumbers) {
  const Texts telephones = {"13800138000",   "0551-1234567",
                            "1380013800",    "13800138000,13900139000",
                            "(025)85339928", "020-84417850;13802912345",
                            "15012345678"};
  std::vector<FakePlace> shops;
  for (const std::string& telephone : telephones) shops.push_back(Shop("店", telephone));

  const struct {
    bool filter;
    Texts kept;
  } cases[] = {
      {true, {"13800138000", "15012345678"}},
      {false, telephones},
  };
  for (MapPlatform platform : kPlatforms) {
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, shops));
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(NameOf(platform)) + (c.filter ? " filter on" : " filter off"));
      window_.rows.clear();
      window_.landlineFilter = c.filter;
      Run(platform);
      EXPECT_EQ(window_.Column(kColumnTelephone), c.kept);
      EXPECT_EQ(window_.Column(kColumnNumber), Numbers(1, static_cast<int>(c.kept.size())));
    }
  }
}

TEST_F(CollectionRunTest, FilterChangeTakesEffectAtTheNextRecord) {
  platform_.SetAnswer(GuangzhouPage(kBaidu, "超市"),
                      BaiduAnswer({Shop("甲", "020-1234567"), Shop("乙", "020-7654321"),
                                   Shop("丙", "13800138000")}));
  window_.afterAppendRow = [this](const ResultRow&) { window_.landlineFilter = true; };
  Run(kBaidu);
  EXPECT_EQ(window_.Column(kColumnTelephone), (Texts{"020-1234567", "13800138000"}));
}

TEST_F(CollectionRunTest, CountTextFollowsEveryRecordWithATelephone) {
  const std::vector<FakePlace> shops = {Shop("甲", "13800000001"), Shop("乙", std::nullopt),
                                        Shop("丙", "020-1234567"), Shop("丁", "13800000002")};
  const struct {
    bool filter;
    Texts counts;
  } cases[] = {
      // The dropped landline writes the same count again; the record without a
      // telephone writes nothing.
      {true, CountTexts({2, 2, 3})},
      {false, CountTexts({2, 3, 4})},
  };
  for (MapPlatform platform : kPlatforms) {
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, shops));
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(NameOf(platform)) + (c.filter ? " filter on" : " filter off"));
      window_.counts.clear();
      window_.landlineFilter = c.filter;
      Run(platform);
      EXPECT_EQ(window_.counts, c.counts);
    }
  }
}

TEST_F(CollectionRunTest, EveryKeywordLineIsSearchedTheEmptyOneToo) {
  const struct {
    const char* text;
    Texts keywords;
  } cases[] = {
      {"超市\r\n酒店\r\n", {"超市", "酒店"}},
      {"超市\r\n\r\n酒店", {"超市", "", "酒店"}},
      {"\r\n", {""}},
      {" 超市 ", {" 超市 "}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    platform_.ClearRequests();
    window_.shownKeywords.clear();
    window_.keywordText = c.text;
    Run(kBaidu);
    Texts searched;
    for (const PageKey& page : platform_.RequestedPages()) searched.push_back(page.keyword);
    EXPECT_EQ(searched, c.keywords);
    EXPECT_EQ(window_.shownKeywords, c.keywords);
  }
}

TEST_F(CollectionRunTest, CityLinesGiveEachPlatformItsCityValue) {
  const std::string withSansha = "广州|440100\r\n北京|110100\r\n三沙|460300\r\n上海|310100";
  const struct {
    MapPlatform platform;
    std::string cityText;
    Texts cities;
  } cases[] = {
      {kBaidu, "广州|440100", {"257"}},
      {kAmap, "广州|440100", {"440100"}},
      // No bar: an empty name, which is the start of the first table line.
      {kBaidu, "广州", {"33"}},
      {kAmap, "广州", {""}},
      // Baidu has no code for 三沙: the run ends there, with the message.
      {kBaidu, withSansha, {"257", "131"}},
      {kAmap, withSansha, {"440100", "110100", "460300", "310100"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(NameOf(c.platform)) + " " + c.cityText);
    platform_.ClearRequests();
    window_.finishedShown = 0;
    window_.cityText = c.cityText;
    EXPECT_EQ(Run(c.platform), RunEnd::kFinished);
    Texts cities;
    for (const PageKey& page : platform_.RequestedPages()) {
      if (cities.empty() || cities.back() != page.city) cities.push_back(page.city);
    }
    EXPECT_EQ(cities, c.cities);
    EXPECT_EQ(window_.finishedShown, 1);
  }
}

TEST_F(CollectionRunTest, InputsAreReadWhenTheRunNeedsThem) {
  window_.cityText = "广州|440100\r\n北京|110100";
  window_.keywordText = "超市";
  // Edited while the first city is searched: counts from the next city on.
  window_.afterKeywordRead = [this] {
    window_.keywordText = "酒店";
    window_.cityText = "";
  };
  Run(kBaidu);
  EXPECT_EQ(window_.cityReads, 1);
  EXPECT_EQ(window_.keywordReads, 2);
  EXPECT_THAT(platform_.RequestedPages(),
              ElementsAre(PageKey{kBaidu, "257", "超市", 0}, PageKey{kBaidu, "131", "酒店", 0}));
}

TEST_F(CollectionRunTest, KeywordPagesEndWhereThePlatformSaysSo) {
  const std::string kNoList = R"({"status":"1","data":{"code":"1","result":"true","total":"0"}})";
  const struct {
    const char* name;
    MapPlatform platform;
    int runPage;  // the page that is answered specially (the first has two shops)
    PageFault fault;
    std::optional<std::string> answer;
    std::vector<int> pages;
  } cases[] = {
      {"empty content", kBaidu, 2, PageFault::kNone, BaiduAnswer({}), {0, 1}},
      {"no content", kBaidu, 2, PageFault::kNone, std::nullopt, {0, 1}},
      {"garbage", kBaidu, 2, PageFault::kGarbage, std::nullopt, {0, 1}},
      {"empty body", kBaidu, 2, PageFault::kEmptyBody, std::nullopt, {0, 1}},
      {"connection closed", kBaidu, 2, PageFault::kCloseConnection, std::nullopt, {0, 1}},
      // An empty list asks for the next page, up to page 100.
      {"empty lists", kAmap, 2, PageFault::kNone, std::nullopt, Range(1, 100)},
      {"no list", kAmap, 3, PageFault::kNone, kNoList, {1, 2, 3}},
      {"garbage", kAmap, 3, PageFault::kGarbage, std::nullopt, {1, 2, 3}},
      {"empty body", kAmap, 3, PageFault::kEmptyBody, std::nullopt, {1, 2, 3}},
      {"connection closed", kAmap, 3, PageFault::kCloseConnection, std::nullopt, {1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(NameOf(c.platform)) + " " + c.name);
    FakeMapPlatform platform;
    const PlaceSearch search(PlaceSearchHosts{.amap = platform.host(), .baidu = platform.host()});
    RecordingRunWindow window;
    window.cityText = "广州|440100";
    window.keywordText = "超市\r\n酒店";
    platform.SetAnswer(GuangzhouPage(c.platform, "超市", 1), Answer(c.platform, Shops(2)));
    const PageKey special = GuangzhouPage(c.platform, "超市", c.runPage);
    if (c.answer) platform.SetAnswer(special, *c.answer);
    platform.SetFault(special, c.fault);

    const RunEnd end =
        c.platform == kBaidu ? CollectBaidu(window, search) : CollectAmap(window, search);

    EXPECT_EQ(end, RunEnd::kFinished);
    std::vector<PageKey> supermarket, hotel;
    for (const PageKey& page : platform.RequestedPages()) {
      (page.keyword == "超市" ? supermarket : hotel).push_back(page);
    }
    EXPECT_EQ(PageNumbers(supermarket), c.pages);
    ASSERT_FALSE(hotel.empty()) << "the next keyword is searched";
    EXPECT_EQ(hotel.front().page, c.platform == kBaidu ? 0 : 1);
    EXPECT_EQ(window.rows.size(), 2u);
    EXPECT_EQ(window.finishedShown, 1);
  }
}

TEST_F(CollectionRunTest, AmapRateLimitAsksWhetherToOpenTheSliderPage) {
  const std::string sliderLink =
      "https://" + platform_.host() + "/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0";
  const struct {
    const char* name;
    MapPlatform platform;
    bool answer;
    RunEnd end;
    int questions;
    Texts links;
    size_t rows;
    int finished;
  } cases[] = {
      // Yes: the page opens, the rate-limited keyword ends and the next one runs.
      {"Amap yes", kAmap, true, RunEnd::kFinished, 1, {sliderLink}, 2, 1},
      // No: the run ends at once, without its message.
      {"Amap no", kAmap, false, RunEnd::kDeclined, 1, {}, 0, 0},
      // Baidu does not look for it: the answer simply has no list.
      {"Baidu", kBaidu, false, RunEnd::kFinished, 0, {}, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform_.ClearRequests();
    window_ = RecordingRunWindow{};
    window_.cityText = "广州|440100";
    window_.keywordText = "超市\r\n酒店";
    window_.answerOpenSliderLink = c.answer;
    platform_.SetAnswer(GuangzhouPage(c.platform, "超市"), AmapRateLimitAnswer());
    platform_.SetAnswer(GuangzhouPage(c.platform, "酒店"), Answer(c.platform, Shops(2)));

    EXPECT_EQ(Run(c.platform), c.end);

    EXPECT_EQ(window_.sliderQuestions, c.questions);
    EXPECT_EQ(window_.openedLinks, c.links);
    EXPECT_EQ(window_.rows.size(), c.rows);
    EXPECT_EQ(window_.finishedShown, c.finished);
    EXPECT_EQ(PagesOf("超市").size(), 1u) << "the refused page is not asked for again";
    EXPECT_EQ(PagesOf("酒店").empty(), c.end == RunEnd::kDeclined);
  }
}

TEST_F(CollectionRunTest, EachRunNumbersItsRowsFromOne) {
  for (MapPlatform platform : kPlatforms) {
    SCOPED_TRACE(NameOf(platform));
    window_ = RecordingRunWindow{};
    window_.cityText = "广州|440100";
    window_.keywordText = "超市";
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, Shops(2)));
    Run(platform);
    Run(platform);
    EXPECT_EQ(window_.Column(kColumnNumber), (Texts{"1", "2", "1", "2"}));
    EXPECT_EQ(window_.counts, CountTexts({2, 3, 2, 3}));
  }
}

TEST_F(CollectionRunTest, EmptyInputsFinishAtOnceWithoutARequest) {
  const struct {
    const char* cities;
    const char* keywords;
    int keywordReads;
  } cases[] = {
      {"", "超市\r\n酒店\r\n", 0},
      {"广州|440100\r\n北京|110100", "", 2},
  };
  for (MapPlatform platform : kPlatforms) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(NameOf(platform)) + " [" + c.cities + "] [" + c.keywords + "]");
      window_ = RecordingRunWindow{};
      window_.cityText = c.cities;
      window_.keywordText = c.keywords;
      EXPECT_EQ(Run(platform), RunEnd::kFinished);
      EXPECT_EQ(window_.finishedShown, 1);
      EXPECT_EQ(window_.keywordReads, c.keywordReads);
      EXPECT_TRUE(window_.shownKeywords.empty());
      EXPECT_TRUE(platform_.Requests().empty());
    }
  }
}

TEST_F(CollectionRunTest, StopDuringASlowRequestEndsTheRunWhileTheServerStillHoldsThePage) {
  for (MapPlatform platform : kPlatforms) {
    SCOPED_TRACE(NameOf(platform));
    FakeMapPlatform slowPlatform;
    const PlaceSearch search(
        PlaceSearchHosts{.amap = slowPlatform.host(), .baidu = slowPlatform.host()});
    RecordingRunWindow window;
    window.cityText = "广州|440100";
    window.keywordText = "超市";
    slowPlatform.SetAnswer(GuangzhouPage(platform, "超市", 1), Answer(platform, Shops(3)));
    slowPlatform.SetAnswer(GuangzhouPage(platform, "超市", 2), Answer(platform, Shops(3, "晚")));
    slowPlatform.SetFault(GuangzhouPage(platform, "超市", 2), PageFault::kDelay,
                          std::chrono::seconds(60));

    std::stop_source stop;
    std::optional<RunEnd> end;
    std::thread worker([&] {
      end = platform == kBaidu ? CollectBaidu(window, search, stop.get_token())
                               : CollectAmap(window, search, stop.get_token());
    });
    ASSERT_TRUE(slowPlatform.WaitForRequests(2, std::chrono::seconds(30)));
    while (slowPlatform.HeldAnswers() == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop.request_stop();
    worker.join();

    EXPECT_EQ(end, RunEnd::kStopped);
    // The run came back although the page it was waiting for is still held.
    EXPECT_EQ(slowPlatform.HeldAnswers(), 1);
    EXPECT_EQ(window.Column(kColumnName), (Texts{"店0", "店1", "店2"}));
    EXPECT_EQ(window.finishedShown, 0);
    EXPECT_EQ(slowPlatform.Requests().size(), 2u);
  }
}

TEST_F(CollectionRunTest, StopBetweenRowsAddsNoFurtherRow) {
  for (MapPlatform platform : kPlatforms) {
    SCOPED_TRACE(NameOf(platform));
    window_ = RecordingRunWindow{};
    window_.cityText = "广州|440100\r\n北京|110100";
    window_.keywordText = "超市\r\n酒店";
    platform_.ClearRequests();
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, Shops(5)));
    std::stop_source stop;
    window_.afterAppendRow = [&](const ResultRow& row) {
      if (row[kColumnNumber] == "2") stop.request_stop();
    };

    EXPECT_EQ(Run(platform, stop.get_token()), RunEnd::kStopped);

    EXPECT_EQ(window_.rows.size(), 2u);
    EXPECT_EQ(platform_.Requests().size(), 1u);
    EXPECT_EQ(window_.finishedShown, 0);
  }
}

TEST_F(CollectionRunTest, AStoppedRunMakesNoRequestAndShowsNothing) {
  std::stop_source stop;
  stop.request_stop();
  for (MapPlatform platform : kPlatforms) {
    EXPECT_EQ(Run(platform, stop.get_token()), RunEnd::kStopped);
  }
  EXPECT_TRUE(platform_.Requests().empty());
  EXPECT_EQ(window_.finishedShown, 0);
}

TEST_F(CollectionRunTest, DuplicateFilterDropsTelephonesAlreadyInTheList) {
  const std::vector<FakePlace> shops = {Shop("甲", "13800000001"), Shop("乙", "13800000002"),
                                        Shop("甲二", "13800000001"), Shop("丙", "13800000003"),
                                        Shop("乙二", "13800000002")};
  const ResultRow earlier = {"1", "旧店", "13800000003", "", "", "，"};
  const struct {
    bool filter;
    Texts telephones;  // the whole list after the run
    Texts counts;
  } cases[] = {
      {true, {"13800000003", "13800000001", "13800000002"}, CountTexts({2, 3, 3, 3, 3})},
      {false,
       {"13800000003", "13800000001", "13800000002", "13800000001", "13800000003", "13800000002"},
       CountTexts({2, 3, 4, 5, 6})},
  };
  for (MapPlatform platform : kPlatforms) {
    platform_.SetAnswer(GuangzhouPage(platform, "超市"), Answer(platform, shops));
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(NameOf(platform)) + (c.filter ? " filter on" : " filter off"));
      window_ = RecordingRunWindow{};
      window_.cityText = "广州|440100";
      window_.keywordText = "超市";
      window_.rows = {earlier};  // left by an earlier run
      window_.duplicateFilter = c.filter;
      Run(platform);
      EXPECT_EQ(window_.Column(kColumnTelephone), c.telephones);
      EXPECT_EQ(window_.counts, c.counts);
    }
  }
}

TEST_F(CollectionRunTest, ThePagesOfARunArriveOverOneConnection) {
  for (MapPlatform platform : kPlatforms) {
    SCOPED_TRACE(NameOf(platform));
    platform_.ClearRequests();
    window_.cityText = "广州|440100\r\n北京|110100";
    window_.keywordText = "超市\r\n酒店";
    for (int page = 1; page <= 2; ++page) {
      platform_.SetAnswer(GuangzhouPage(platform, "超市", page), Answer(platform, Shops(3)));
    }
    Run(platform);

    const auto requests = platform_.Requests();
    ASSERT_GT(requests.size(), 4u);
    std::vector<int> ports;
    for (const RecordedRequest& request : requests) ports.push_back(request.remotePort);
    EXPECT_THAT(ports, Each(ports.front()));
  }
}

class RecordingObserver : public RunObserver {
 public:
  void CityStarted(size_t index, size_t count, std::string_view cityLine) override {
    events.push_back("city " + std::to_string(index) + "/" + std::to_string(count) + " " +
                     std::string(cityLine));
  }
  void PageDone(std::string_view, int page, PageOutcome outcome, int records) override {
    static const char* const kNames[] = {"records", "no list", "failed", "unreadable", "too fast"};
    events.push_back("page " + std::to_string(page) + " " + kNames[static_cast<int>(outcome)] +
                     " " + std::to_string(records));
  }
  Texts events;
};

TEST_F(CollectionRunTest, ObserverHearsOfEveryCityAndPage) {
  window_.cityText = "广州|440100\r\n北京|110100";
  window_.keywordText = "超市\r\n酒店";
  platform_.SetAnswer(GuangzhouPage(kBaidu, "超市", 1), BaiduAnswer(Shops(3)));
  platform_.SetFault(GuangzhouPage(kBaidu, "超市", 2), PageFault::kEmptyBody);
  platform_.SetFault(GuangzhouPage(kBaidu, "酒店", 1), PageFault::kGarbage);
  RecordingObserver observer;

  Run(kBaidu, {}, &observer);

  // Names are code page 936, so compare the ASCII part of the city events.
  ASSERT_EQ(observer.events.size(), 7u);
  EXPECT_TRUE(observer.events[0].starts_with("city 0/2 "));
  EXPECT_EQ(observer.events[1], "page 1 records 3");
  EXPECT_EQ(observer.events[2], "page 2 failed 0");
  EXPECT_EQ(observer.events[3], "page 1 unreadable 0");
  EXPECT_TRUE(observer.events[4].starts_with("city 1/2 "));
  EXPECT_EQ(observer.events[5], "page 1 no list 0");
  EXPECT_EQ(observer.events[6], "page 1 no list 0");
}

}  // namespace
}  // namespace varnelo
