#include "cli/csv_output.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "text/code_page.h"

namespace varnelo::cli {
namespace {

TEST(CsvOutputTest, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(CsvField("plain"), "plain");
  EXPECT_EQ(CsvField(""), "");
  EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField("a\r\nb"), "\"a\r\nb\"");
  EXPECT_EQ(CsvField("a\nb"), "\"a\nb\"");
}

TEST(CsvOutputTest, WritesBomHeaderAndUtf8Rows) {
  std::vector<ResultRow> rows = {
      {"1", Utf8ToGbk("超市"), "0551-1234567,13800000000", Utf8ToGbk("芜湖路1号"),
       Utf8ToGbk("芜湖市"), Utf8ToGbk("118.1，31.2")},
      {"2", "", "13800000001", "", "", Utf8ToGbk("，")},
  };
  std::ostringstream out;
  WriteCsv(out, rows);
  EXPECT_EQ(out.str(),
            "\xEF\xBB\xBF编号,店铺名,联系电话,联系地址,区域,详细坐标\r\n"
            "1,超市,\"0551-1234567,13800000000\",芜湖路1号,芜湖市,118.1，31.2\r\n"
            "2,,13800000001,,,，\r\n");
}

}  // namespace
}  // namespace varnelo::cli
