#include "collect/place_search.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fake_map_platform.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

using namespace varnelo::test;

const PlaceSearchHosts kTestHosts{
    .amap = "amap.test", .baidu = "baidu.test:8443", .tencent = "qq.test"};

constexpr std::string_view kBaiduTail =
    "&db=0&sug=0&addr=0&pl_data_type=cater&pl_sub_type=&pl_price_section=0%2C%2B"
    "&pl_sort_type=data_type&pl_sort_rule=0&pl_discount2_section=0%2C%2B"
    "&pl_groupon_section=0%2C%2B&pl_cater_book_pc_section=0%2C%2B"
    "&pl_hotel_book_pc_section=0%2C%2B&pl_ticket_book_flag_section=0%2C%2B"
    "&pl_movie_book_section=0%2C%2B&pl_business_type=cater&pl_business_id="
    "&da_src=pcmappg.poi.page&on_gel=1&src=7&gr=3&l=10&tn=B_NORMAL_MAP&u_loc=&ie=utf-8&b=&t=";

// The URL up to "t=" and the time stamp behind it.
std::pair<std::string, std::string> SplitAtTime(const std::string& url) {
  const size_t pos = url.rfind("&t=");
  if (pos == std::string::npos) return {url, ""};
  return {url.substr(0, pos + 3), url.substr(pos + 3)};
}

TEST(PlaceSearchUrlTest, AmapUrlsAreJoinedFragmentByFragment) {
  const PlaceSearch search(kTestHosts);
  const struct {
    const char* keyword;  // UTF-8
    const char* city;
    int page;
    std::string url;
  } cases[] = {
      {"超市", "440100", 1,
       "https://amap.test/service/poiInfo?query_type=TQUERY&pagesize=20&pagenum=1&qii=true"
       "&cluster_state=5&need_utd=true&utd_sceneid=1000&div=PC1000&addr_poi_merge=true"
       "&is_classify=true&zoom=12&city=440100&src=mypage&callnative=0&geoobj="
       "&keywords=%E8%B6%85%E5%B8%82"},
      {"KTV 24h", "", 100,
       "https://amap.test/service/poiInfo?query_type=TQUERY&pagesize=20&pagenum=100&qii=true"
       "&cluster_state=5&need_utd=true&utd_sceneid=1000&div=PC1000&addr_poi_merge=true"
       "&is_classify=true&zoom=12&city=&src=mypage&callnative=0&geoobj=&keywords=KTV%2024h"},
      {"", "440100", 7,
       "https://amap.test/service/poiInfo?query_type=TQUERY&pagesize=20&pagenum=7&qii=true"
       "&cluster_state=5&need_utd=true&utd_sceneid=1000&div=PC1000&addr_poi_merge=true"
       "&is_classify=true&zoom=12&city=440100&src=mypage&callnative=0&geoobj=&keywords="},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(search.AmapUrl(Utf8ToGbk(c.keyword), c.city, c.page), c.url) << c.keyword;
  }
}

TEST(PlaceSearchUrlTest, BaiduUrlsCarryTheDoubledFromAndTheTimeStamp) {
  const PlaceSearch search(kTestHosts);
  const std::string head =
      "https://baidu.test:8443/?newmap=1&reqflag=pcmap&biz=1&from=webmap&da_par=direct"
      "&pcevaname=pc4.1&qt=con&from=webmap&c=";
  const struct {
    const char* keyword;
    const char* city;
    int page;
    std::string url;  // up to "t="
  } cases[] = {
      {"超市", "257", 0,
       head + "257&wd=%E8%B6%85%E5%B8%82&wd2=&pn=0&nn=0" + std::string(kBaiduTail)},
      {"酒店", "131", 7,
       head + "131&wd=%E9%85%92%E5%BA%97&wd2=&pn=7&nn=70" + std::string(kBaiduTail)},
      {"", "33", 99, head + "33&wd=&wd2=&pn=99&nn=990" + std::string(kBaiduTail)},
  };
  for (const auto& c : cases) {
    const auto [front, time] = SplitAtTime(search.BaiduUrl(Utf8ToGbk(c.keyword), c.city, c.page));
    EXPECT_EQ(front, c.url) << c.keyword;
    EXPECT_EQ(time.size(), 13u);
    EXPECT_EQ(time.find_first_not_of("0123456789"), std::string::npos) << time;
  }
}

TEST(PlaceSearchUrlTest, TencentUrlEncodesRegionAndKeywordButNotTheKey) {
  const PlaceSearch search(kTestHosts);
  EXPECT_EQ(search.TencentUrl(Utf8ToGbk("酒店"), Utf8ToGbk("广州"), 2, "AB%CD"),
            "http://qq.test/ws/place/v1/search?boundary=region(%E5%B9%BF%E5%B7%9E,0)"
            "&keyword=%E9%85%92%E5%BA%97&page_size=20&page_index=2&orderby=_distance&key=AB%CD");
}

TEST(PlaceSearchUrlTest, DefaultHostsAreTheServicesOwn) {
  const PlaceSearch search;
  EXPECT_TRUE(search.AmapUrl("a", "1", 1).starts_with("https://www.amap.com/service/poiInfo?"));
  EXPECT_TRUE(search.BaiduUrl("a", "1", 0).starts_with("https://map.baidu.com/?newmap=1&"));
  EXPECT_TRUE(search.TencentUrl("a", "b", 1, "k").starts_with("http://apis.map.qq.com/ws/"));
}

class PlaceSearchRequestTest : public ::testing::Test {
 protected:
  FakeMapPlatform platform_;
  PlaceSearch search_{PlaceSearchHosts{.amap = platform_.host(), .baidu = platform_.host()}};
  std::string Target(const std::string& url) const {
    return url.substr(std::string("https://").size() + platform_.host().size());
  }
};

TEST_F(PlaceSearchRequestTest, SearchAmapSendsItsUrlAndReturnsTheAnswerInGbk) {
  ASSERT_TRUE(platform_.IsListening());
  const std::string body = AmapAnswer({{.name = "好又多(海珠店)", .telephone = "13926012345"}});
  platform_.SetAnswer({MapPlatform::kAmap, "440100", "超市", 1}, body);

  const std::string answer = search_.SearchAmap(Utf8ToGbk("超市"), "440100", 1);

  EXPECT_EQ(answer, Utf8ToGbk(body));
  const auto requests = platform_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, Target(search_.AmapUrl(Utf8ToGbk("超市"), "440100", 1)));
  EXPECT_EQ(requests[0].page, (PageKey{MapPlatform::kAmap, "440100", "超市", 1}));
}

TEST_F(PlaceSearchRequestTest, TwoBaiduSearchesDifferOnlyInTheTimeStamp) {
  ASSERT_TRUE(platform_.IsListening());
  const std::string body = BaiduAnswer({{.name = "苏果超市", .telephone = "13913908128"}});
  platform_.SetAnswer({MapPlatform::kBaidu, "257", "超市", 3}, body);

  EXPECT_EQ(search_.SearchBaidu(Utf8ToGbk("超市"), "257", 3), Utf8ToGbk(body));
  EXPECT_EQ(search_.SearchBaidu(Utf8ToGbk("超市"), "257", 3), Utf8ToGbk(body));

  const auto requests = platform_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const auto [first, firstTime] = SplitAtTime(requests[0].target);
  const auto [second, secondTime] = SplitAtTime(requests[1].target);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, SplitAtTime(Target(search_.BaiduUrl(Utf8ToGbk("超市"), "257", 3))).first);
  EXPECT_EQ(firstTime.size(), 13u);
  EXPECT_EQ(secondTime.size(), 13u);
  EXPECT_EQ(requests[0].page, (PageKey{MapPlatform::kBaidu, "257", "超市", 3}));
}

TEST_F(PlaceSearchRequestTest, AFailedRequestGivesAnEmptyAnswer) {
  ASSERT_TRUE(platform_.IsListening());
  const PageKey page{MapPlatform::kBaidu, "257", "超市", 0};
  platform_.SetFault(page, PageFault::kCloseConnection);
  EXPECT_EQ(search_.SearchBaidu(Utf8ToGbk("超市"), "257", 0), "");
  platform_.SetFault(page, PageFault::kEmptyBody);
  EXPECT_EQ(search_.SearchBaidu(Utf8ToGbk("超市"), "257", 0), "");
  EXPECT_EQ(platform_.Requests().size(), 2u);
}

}  // namespace
}  // namespace varnelo
