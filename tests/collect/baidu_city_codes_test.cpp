#include "collect/baidu_city_codes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "text/text_search.h"

namespace varnelo {
namespace {

TEST(BaiduCityCodesTest, TableKeepsItsInvariants) {
  const std::string& table = BaiduCityCodes();
  ASSERT_FALSE(table.empty());
  EXPECT_NE(table.substr(table.size() - 2), "\r\n");  // no line break after the last line
  const std::vector<std::string> lines = SplitLines(table);
  ASSERT_EQ(lines.size(), 388u);

  std::set<std::string> codes;
  std::vector<std::string> names;
  int endingInCity = 0;
  for (const std::string& line : lines) {
    const std::string utf8 = GbkToUtf8(line);
    ASSERT_EQ(std::count(line.begin(), line.end(), ','), 1) << utf8;
    const std::string code = TextBefore(line, ",");
    const std::string name = TextAfterLast(line, ",");
    EXPECT_GE(code.size(), 2u) << utf8;
    EXPECT_LE(code.size(), 4u) << utf8;
    EXPECT_EQ(code.find_first_not_of("0123456789"), std::string::npos) << utf8;
    EXPECT_TRUE(codes.insert(code).second) << "code twice: " << utf8;
    for (const std::string& earlier : names) {
      EXPECT_NE(earlier.rfind(name, 0), 0u) << GbkToUtf8(name) << " begins " << GbkToUtf8(earlier);
    }
    names.push_back(name);
    if (GbkToUtf8(name).ends_with("市")) ++endingInCity;
  }
  EXPECT_EQ(endingInCity, 310);
  EXPECT_EQ(GbkToUtf8(lines.front()), "33,嘉峪关市");
  EXPECT_EQ(GbkToUtf8(lines[223]), "257,广州市");
  EXPECT_EQ(GbkToUtf8(lines.back()), "9020,苗栗县");
}

TEST(BaiduCityCodeTest, FindsTheFirstLineWhoseNameBeginsWithTheName) {
  const struct {
    const char* name;  // UTF-8
    const char* code;
  } cases[] = {
      {"广州", "257"},    {"广州市", "257"}, {"北京市", "131"}, {"毕节", "206"}, {"阿勒泰", "96"},
      {"苗栗县", "9020"}, {"嘉峪关", "33"},  {"", "33"},        {"三沙", ""},    {"州", ""},
      {"广州市区", ""},   {"257", ""},       {"香港", "2912"},  {"吉林", "55"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BaiduCityCode(Utf8ToGbk(c.name)), c.code) << c.name;
  }
}

}  // namespace
}  // namespace varnelo
