// Runs the built varnelo-collect against the fake map platform.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/child_process.h"
#include "tests/support/fake_map_platform.h"
#include "text/code_page.h"

namespace varnelo::test {
namespace {

using testing::HasSubstr;
using Args = std::vector<std::string>;

constexpr const char* kBinary = VARNELO_COLLECT_BINARY;

const FakePlace kShopA{"甲店", "13800000001", "一路1号", "广州市", "113.1", "23.1"};
const FakePlace kShopB{"乙店", "020-1234567", "二路2号", "广州市", "113.2", "23.2"};
const FakePlace kShopC{"丙店", "13800000001", "三路3号", "广州市", "113.3", "23.3"};
const FakePlace kShopD{"丁店", std::nullopt, "四路4号", "广州市", "113.4", "23.4"};
const FakePlace kHotelE{"戊酒店", "13900000002", "五路5号", "广州市", "113.5", "23.5"};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string CsvLine(int number, const FakePlace& place) {
  return std::to_string(number) + "," + place.name + "," + place.telephone.value_or("") + "," +
         place.address + "," + place.area + "," + place.x + "，" + place.y + "\r\n";
}

const std::string kCsvHeader = "\xEF\xBB\xBF编号,店铺名,联系电话,联系地址,区域,详细坐标\r\n";

class CollectCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform_.IsListening());
    // Baidu: Guangzhou is 257, pages from 0; a page without an answer is past the end.
    platform_.SetAnswer({MapPlatform::kBaidu, "257", "超市", 0},
                        BaiduAnswer({kShopA, kShopB, kShopC, kShopD}));
    platform_.SetAnswer({MapPlatform::kBaidu, "257", "酒店", 0}, BaiduAnswer({kHotelE}));
    // Amap: the administrative code, pages from 1.
    platform_.SetAnswer({MapPlatform::kAmap, "440100", "酒店", 1}, AmapAnswer({kHotelE}));
    platform_.SetAnswer({MapPlatform::kAmap, "440100", "超市", 1}, AmapRateLimitAnswer());
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("collect_" + std::to_string(::getpid()) + "_" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }

  Args Baidu(Args more) const {
    Args args = {"--baidu-host", platform_.host(), "-c", "广州|440100", "-k", "超市",
                 "-k",           "酒店",           "-q"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  Args Amap(Args more) const {
    Args args = {"-p", "amap", "--amap-host", platform_.host(), "-c", "广州|440100",
                 "-k", "酒店", "-k",          "超市",           "-q"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  FakeMapPlatform platform_;
  std::filesystem::path dir_;
};

TEST_F(CollectCommandTest, RowsGoToStandardOutputAsCsv) {
  ChildProcess run(kBinary, Baidu({}));
  EXPECT_EQ(run.Wait(), 0) << run.err();
  EXPECT_EQ(run.out(), kCsvHeader + CsvLine(1, kShopA) + CsvLine(2, kShopB) + CsvLine(3, kShopC) +
                           CsvLine(4, kHotelE));
}

TEST_F(CollectCommandTest, FiltersDropLandlinesAndRepeats) {
  struct Case {
    Args flags;
    std::string csv;
  };
  const Case cases[] = {
      {{"--mobile-only"}, CsvLine(1, kShopA) + CsvLine(2, kShopC) + CsvLine(3, kHotelE)},
      {{"--dedupe"}, CsvLine(1, kShopA) + CsvLine(2, kShopB) + CsvLine(3, kHotelE)},
      {{"--mobile-only", "--dedupe"}, CsvLine(1, kShopA) + CsvLine(2, kHotelE)},
  };
  for (const Case& c : cases) {
    ChildProcess run(kBinary, Baidu(c.flags));
    EXPECT_EQ(run.Wait(), 0) << run.err();
    EXPECT_EQ(run.out(), kCsvHeader + c.csv) << c.flags[0];
  }
}

TEST_F(CollectCommandTest, EveryFormatIsWrittenToItsFile) {
  const std::string a = Utf8ToGbk("甲店"), b = Utf8ToGbk("乙店"), c = Utf8ToGbk("丙店"),
                    e = Utf8ToGbk("戊酒店");
  {
    ChildProcess run(kBinary, Baidu({"-o", (dir_ / "pairs.txt").string()}));
    ASSERT_EQ(run.Wait(), 0) << run.err();
    EXPECT_EQ(ReadFile(dir_ / "pairs.txt"), "13800000001----" + a + "\r\n020-1234567----" + b +
                                                "\r\n13800000001----" + c + "\r\n13900000002----" +
                                                e + "\r\n");
  }
  {
    ChildProcess run(kBinary, Baidu({"-o", (dir_ / "list.txt").string(), "-f", "phones"}));
    ASSERT_EQ(run.Wait(), 0) << run.err();
    EXPECT_EQ(ReadFile(dir_ / "list.txt"),
              "13800000001\r\n020-1234567\r\n13800000001\r\n13900000002\r\n");
  }
  {
    ChildProcess run(kBinary, Baidu({"-o", (dir_ / "cards.vcf").string()}));
    ASSERT_EQ(run.Wait(), 0) << run.err();
    const std::string cards = ReadFile(dir_ / "cards.vcf");
    EXPECT_THAT(cards, testing::StartsWith("BEGIN:VCARD\r\n"));
    EXPECT_THAT(cards, HasSubstr("TEL;CELL:13900000002\r\n"));
  }
  {
    ChildProcess run(kBinary, Baidu({"-o", (dir_ / "rows.csv").string()}));
    ASSERT_EQ(run.Wait(), 0) << run.err();
    EXPECT_THAT(ReadFile(dir_ / "rows.csv"), testing::StartsWith(kCsvHeader + CsvLine(1, kShopA)));
  }
  // Workbooks, read back with real readers.
  const std::pair<std::string, std::string> books[] = {
      {"book.xls",
       "import xlrd,sys; s=xlrd.open_workbook(sys.argv[1]).sheet_by_index(0); "
       "print(s.nrows, s.cell_value(1,1), s.cell_value(4,2))"},
      {"book.xlsx",
       "import openpyxl,sys; s=openpyxl.load_workbook(sys.argv[1]).worksheets[0]; "
       "print(s.max_row, s['b2'].value, s['c5'].value)"},
  };
  for (const auto& [name, script] : books) {
    ChildProcess run(kBinary, Baidu({"-o", (dir_ / name).string()}));
    ASSERT_EQ(run.Wait(), 0) << run.err();
    ChildProcess read("/usr/bin/python3", {"-c", script, (dir_ / name).string()});
    EXPECT_EQ(read.Wait(), 0) << read.err();
    EXPECT_EQ(read.out(), "5 甲店 13900000002\n") << name;
  }
}

TEST_F(CollectCommandTest, DeclinedRateLimitEndsWithStatusThreeAndKeepsTheRows) {
  for (const Args& answer : {Args{"--on-rate-limit", "stop"}, Args{}}) {
    ChildProcess run(kBinary, Amap(answer));  // standard input is no terminal: stop
    EXPECT_EQ(run.Wait(), 3) << run.err();
    EXPECT_EQ(run.out(), kCsvHeader + CsvLine(1, kHotelE));
  }
  ChildProcess asked(kBinary, Amap({"--on-rate-limit", "ask"}), "n\n");
  EXPECT_EQ(asked.Wait(), 3) << asked.err();
  EXPECT_THAT(asked.err(), HasSubstr("是否打开滑块链接！"));
}

TEST_F(CollectCommandTest, AcceptedRateLimitPrintsTheLinkAndGoesOn) {
  platform_.SetAnswer({MapPlatform::kAmap, "440100", "便利店", 1}, AmapAnswer({kShopA}));
  Args args = Amap({"--on-rate-limit", "continue", "-k", "便利店"});
  ChildProcess run(kBinary, args);
  EXPECT_EQ(run.Wait(), 0) << run.err();
  EXPECT_THAT(run.err(), HasSubstr("https://" + platform_.host() +
                                   "/poidetail?poiid=B000AAFAC5&src=mypage&callnative=0"));
  EXPECT_EQ(run.out(), kCsvHeader + CsvLine(1, kHotelE) + CsvLine(2, kShopA));
}

TEST_F(CollectCommandTest, InterruptDuringASlowPageWritesWhatWasCollected) {
  platform_.SetFault({MapPlatform::kBaidu, "257", "超市", 0}, PageFault::kDelay,
                     std::chrono::seconds(60));
  const std::filesystem::path output = dir_ / "partial.csv";
  ChildProcess run(kBinary, {"--baidu-host", platform_.host(), "-c", "广州|440100", "-k", "酒店",
                             "-k", "超市", "-o", output.string()});
  // Wait until the slow page is being held, then interrupt.
  for (int i = 0; i < 1000 && platform_.HeldAnswers() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(platform_.HeldAnswers(), 1);
  run.Signal(SIGINT);
  EXPECT_EQ(run.Wait(), 130) << run.err();
  EXPECT_EQ(ReadFile(output), kCsvHeader + CsvLine(1, kHotelE));
  // The server still holds the page: the request was abandoned, not waited for.
  EXPECT_EQ(platform_.HeldAnswers(), 1);
}

TEST_F(CollectCommandTest, UsageErrorsStartNoRun) {
  const Args cases[] = {
      {"-p", "tencent"},   {"--format", "pdf"},
      {"-o", "x.unknown"}, {"--on-rate-limit", "later"},
      {"--bogus"},         {"--keywords", "/nonexistent/k.txt"},
  };
  for (const Args& extra : cases) {
    ChildProcess run(kBinary, Baidu(extra));
    EXPECT_EQ(run.Wait(), 2) << extra[0];
    EXPECT_THAT(run.err(), HasSubstr("--help")) << extra[0];
    EXPECT_EQ(std::count(run.err().begin(), run.err().end(), '\n'), 1) << run.err();
    EXPECT_EQ(run.out(), "");
  }
  EXPECT_TRUE(platform_.Requests().empty());
}

TEST_F(CollectCommandTest, UnwritableOutputIsStatusOneWithTheReason) {
  const std::filesystem::path target = dir_ / "missing" / "rows.csv";
  ChildProcess run(kBinary, Baidu({"-o", target.string()}));
  EXPECT_EQ(run.Wait(), 1);
  EXPECT_THAT(run.err(), HasSubstr("rows.csv"));
  EXPECT_FALSE(std::filesystem::exists(target));
}

TEST_F(CollectCommandTest, HelpAndVersion) {
  ChildProcess help(kBinary, {"--help"});
  EXPECT_EQ(help.Wait(), 0);
  EXPECT_THAT(help.out(), testing::StartsWith("varnelo-collect [options]\n"));
  ChildProcess version(kBinary, {"--version"});
  EXPECT_EQ(version.Wait(), 0);
  EXPECT_THAT(version.out(), HasSubstr("varnelo-collect "));
}

}  // namespace
}  // namespace varnelo::test
