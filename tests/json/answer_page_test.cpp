// Answer pages as the map services send them, read with the paths and calls
// of the collection run: Parse, Count of the list, GetText of six fields.
#include "json/json_document.h"

#include "text/code_page.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace varnelo {
namespace {

std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

// A fixture as the web request hands it over: the UTF-8 body in code page 936.
std::string LoadAnswer(const std::string& name) {
  std::ifstream file(std::string(VARNELO_TEST_DATA) + "/json/" + name, std::ios::binary);
  std::stringstream body;
  body << file.rdbuf();
  EXPECT_FALSE(body.str().empty()) << name;
  return Utf8ToGbk(body.str());
}

struct Record {
  std::string name, tel, addr, area, x, y;
};

struct RecordPaths {
  std::string prefix, name, tel, addr, area, x, y;

  Record Read(const JsonDocument& document, int i) const {
    std::string base = prefix + std::to_string(i) + "]";
    return {document.GetText(base + name), document.GetText(base + tel),
            document.GetText(base + addr), document.GetText(base + area),
            document.GetText(base + x),    document.GetText(base + y)};
  }
};

const RecordPaths kBaiduPaths{"content[",      ".name",      ".tel",      ".addr",
                              "['area_name']", "['navi_x']", "['navi_y']"};
const RecordPaths kAmapPaths{"data['poi_list'][", "['disp_name']", ".tel",     ".address",
                             ".cityname",         ".longitude",    ".latitude"};

void ExpectRecord(const Record& actual, const Record& expected) {
  EXPECT_EQ(actual.name, expected.name);
  EXPECT_EQ(actual.tel, expected.tel);
  EXPECT_EQ(actual.addr, expected.addr);
  EXPECT_EQ(actual.area, expected.area);
  EXPECT_EQ(actual.x, expected.x);
  EXPECT_EQ(actual.y, expected.y);
}

TEST(BaiduAnswerTest, ReadsTheRecordsOfAPage) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(LoadAnswer("baidu_page.json")));
  ASSERT_EQ(document.Count("content"), 20);

  struct Case {
    int index;
    Record record;
  };
  const Case cases[] = {
      {0,
       {Gbk("苏果超市(中山北路店)"), "(025)85339928,13913908128", Gbk("南京市鼓楼区中山北路281号"),
        Gbk("南京市鼓楼区"), "13224852.37", "3756067.55"}},
      // No telephone member at all; the coordinates are "0"; the address had "\/".
      {3,
       {Gbk("苏宁小店(湖南路店)"), "", Gbk("南京市鼓楼区湖南路1/3号"), Gbk("南京市鼓楼区"), "0",
        "0"}},
      // An emoji, sent as a surrogate pair, has no code page 936 form.
      {7,
       {Gbk("水果") + "?" + Gbk("超市"), "13770612345", Gbk("南京市玄武区珠江路438号"),
        Gbk("南京市玄武区"), "13226644.18", "3755433.87"}},
      {19,
       {Gbk("麦德龙(仙林店)"), "13505112345", Gbk("南京市栖霞区仙林大道9号"), Gbk("南京市栖霞区"),
        "13236522.87", "3758890.15"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    ExpectRecord(kBaiduPaths.Read(document, c.index), c.record);
  }

  int withTelephone = 0;
  for (int i = 0; i < 20; ++i) {
    Record record = kBaiduPaths.Read(document, i);
    EXPECT_FALSE(record.name.empty()) << i;
    if (!record.tel.empty()) ++withTelephone;
  }
  EXPECT_EQ(withTelephone, 17);
  EXPECT_EQ(kBaiduPaths.Read(document, 20).name, "");  // one past the end

  // Numbers elsewhere in the answer read as their text.
  EXPECT_EQ(document.GetText("content[0].x"), "1322485237");
  EXPECT_EQ(document.GetText("result.total"), "57");
  EXPECT_EQ(document.GetText("result['return_query']"), Gbk("超市"));
  EXPECT_EQ(document.GetText("content[0].ext.detail_info.image").substr(0, 7), "http://");
  EXPECT_EQ(document.Count("content[0]"), 31);
}

TEST(BaiduAnswerTest, EndOfPages) {
  JsonDocument document;
  // Past the last page the list is absent; an empty list ends a keyword too.
  ASSERT_TRUE(document.Parse(
      R"({"result":{"count":0,"total":24,"page_num":3},"current_city":{"code":315}})"));
  EXPECT_LE(document.Count("content"), 0);
  EXPECT_EQ(document.GetText("content[0].tel"), "");
  ASSERT_TRUE(document.Parse(R"({"content":[],"result":{"count":0}})"));
  EXPECT_EQ(document.Count("content"), 0);
}

TEST(AmapAnswerTest, ReadsTheRecordsOfAPage) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(LoadAnswer("amap_page.json")));
  ASSERT_EQ(document.Count("data['poi_list']"), 20);

  struct Case {
    int index;
    Record record;
  };
  const Case cases[] = {
      {0,
       {Gbk("好又多(海珠店)"), "020-84417850", Gbk("江南大道中123号"), Gbk("广州市"), "113.264485",
        "23.106612"}},
      {1,
       {Gbk("华润万家(天河店)"), "020-38781234;13802912345", Gbk("天河路208号"), Gbk("广州市"),
        "113.324520", "23.137901"}},
      // A missing telephone is an empty string.
      {4,
       {Gbk("美宜佳(昌岗店)"), "", Gbk("昌岗中路166号"), Gbk("广州市"), "113.279416", "23.099001"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    ExpectRecord(kAmapPaths.Read(document, c.index), c.record);
  }

  int withTelephone = 0;
  for (int i = 0; i < 20; ++i) {
    if (!kAmapPaths.Read(document, i).tel.empty()) ++withTelephone;
  }
  EXPECT_EQ(withTelephone, 17);
  EXPECT_EQ(document.GetText("data.total"), "128");
  EXPECT_EQ(document.GetType("data['poi_list'][0].longitude"), kJsonString);
  EXPECT_EQ(document.GetText("data['poi_list'][0].entrances[0].latitude"), "23.106812");
}

TEST(AmapAnswerTest, RateLimitAndEmptyPages) {
  JsonDocument document;
  // The rate-limit answer has a text under data, so there is no list at all.
  ASSERT_TRUE(document.Parse(R"({"status":"6","data":"too fast"})"));
  EXPECT_EQ(document.Count("data['poi_list']"), -2);
  EXPECT_EQ(document.GetText("data['poi_list'][0].tel"), "");
  // An empty list is a page with nothing on it, not the end.
  ASSERT_TRUE(document.Parse(R"({"status":"1","data":{"code":"1","total":"0","poi_list":[]}})"));
  EXPECT_EQ(document.Count("data['poi_list']"), 0);
  // An answer without data: the list is missing, the path breaks before it.
  ASSERT_TRUE(document.Parse(R"({"status":"0"})"));
  EXPECT_EQ(document.Count("data['poi_list']"), 0);
}

TEST(AnswerTest, TheWholePageRoundTripsThroughItsJsonText) {
  for (const char* name : {"baidu_page.json", "amap_page.json"}) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(LoadAnswer(name)));
    JsonDocument again;
    ASSERT_TRUE(again.Parse(document.ToText())) << name;
    EXPECT_EQ(again.ToText(), document.ToText()) << name;
    EXPECT_EQ(again.GetText("content[5].tel"), document.GetText("content[5].tel"));
    EXPECT_EQ(again.GetText("data['poi_list'][5].address"),
              document.GetText("data['poi_list'][5].address"));
  }
}

}  // namespace
}  // namespace varnelo
