#include "export/spreadsheet_export.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/spreadsheet_layout.h"
#include "tests/export/export_test_support.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

using testing::HasSubstr;
using testing_support::ReadBack;
using testing_support::ReadBytes;
using testing_support::ReadSheet;
using testing_support::ReadWorkbook;
using testing_support::Row;
using testing_support::TempFolder;
using testing_support::WriteBytes;

constexpr size_t kMaxCellCharacters = 32767;
const std::vector<std::string> kTitles = {"编号", "店铺名", "联系电话", "联系地址", "区域"};

// Checks that a sheet holds the title row and then the given rows, columns 0
// to 4, every cell text-formatted, empty texts as empty cells, and nothing
// in column f.
void ExpectSheet(const ReadSheet& sheet, const std::vector<ResultRow>& rows, size_t first,
                 size_t count) {
  ASSERT_EQ(sheet.rows, count + 1) << sheet.name;
  ASSERT_EQ(sheet.columns, 5u) << sheet.name;
  for (size_t c = 0; c < 5; ++c) {
    EXPECT_EQ(sheet.at(0, c).kind, "text");
    EXPECT_EQ(sheet.at(0, c).value, kTitles[c]);
    EXPECT_EQ(sheet.at(0, c).format, "@");
  }
  EXPECT_EQ(sheet.at(0, 5).kind, "missing");
  for (size_t i = 0; i < count; ++i) {
    for (size_t c = 0; c < 5; ++c) {
      const auto& cell = sheet.at(i + 1, c);
      const std::string expected = GbkToUtf8(rows[first + i][c]);
      ASSERT_EQ(cell.kind, expected.empty() ? "blank" : "text")
          << sheet.name << " " << i << "," << c;
      ASSERT_EQ(cell.value, expected) << sheet.name << " " << i << "," << c;
      ASSERT_EQ(cell.format, "@") << sheet.name << " " << i << "," << c;
    }
  }
}

TEST(SpreadsheetLayoutTest, SplitsLongListsOverSheetsThatEachStartWithTheTitles) {
  struct Case {
    size_t rows;
    std::vector<SheetRows> sheets;
  } cases[] = {
      {0, {{0, 0}}},
      {2, {{0, 2}}},
      {65535, {{0, 65535}}},
      {65536, {{0, 65535}, {65535, 1}}},
      {70000, {{0, 65535}, {65535, 4465}}},
      {3 * 65535, {{0, 65535}, {65535, 65535}, {131070, 65535}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SplitIntoSheets(c.rows, kXlsMaxSheetRows), c.sheets) << c.rows;
  EXPECT_EQ(SplitIntoSheets(1000000, kXlsxMaxSheetRows), (std::vector<SheetRows>{{0, 1000000}}));
}

TEST(SpreadsheetFormatTest, TheNameChoosesTheFormat) {
  struct Case {
    const char* name;
    SpreadsheetFormat format;
  } cases[] = {
      {"数据.xls", SpreadsheetFormat::kXls},      {"/a/b/DATA.XLS", SpreadsheetFormat::kXls},
      {"data.Xls", SpreadsheetFormat::kXls},      {"data.xlsx", SpreadsheetFormat::kXlsx},
      {"data", SpreadsheetFormat::kXlsx},         {"data.csv", SpreadsheetFormat::kXlsx},
      {"data.xls.bak", SpreadsheetFormat::kXlsx}, {".xls", SpreadsheetFormat::kXlsx},
  };
  for (const Case& c : cases) EXPECT_EQ(SpreadsheetFormatFor(c.name), c.format) << c.name;
}

TEST(SpreadsheetFormatTest, ExportSpreadsheetWritesTheFormatOfTheName) {
  TempFolder folder;
  const std::vector<ResultRow> rows = {Row("1", "店", "13800000000")};
  for (const char* name : {"a.xls", "b.XLS", "c.xlsx", "d.dat"}) {
    ASSERT_TRUE(ExportSpreadsheet(rows, folder / name).ok()) << name;
  }
  const std::string compound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
  EXPECT_EQ(ReadBytes(folder / "a.xls").substr(0, 8), compound);
  EXPECT_EQ(ReadBytes(folder / "b.XLS").substr(0, 8), compound);
  EXPECT_EQ(ReadBytes(folder / "c.xlsx").substr(0, 2), "PK");
  EXPECT_EQ(ReadBytes(folder / "d.dat").substr(0, 2), "PK");
}

class WorkbookTest : public testing::TestWithParam<const char*> {
 protected:
  std::filesystem::path Target(const TempFolder& folder) const {
    return folder / (std::string("数据") + GetParam());
  }
};

TEST_P(WorkbookTest, TwoRowsReadBackAsTextCells) {
  TempFolder folder;
  const std::vector<ResultRow> rows = {
      Row("1", "超市A", "05511234567", "合肥市蜀山区长江西路1号", "蜀山区", "117.2，31.8"),
      Row("2", "超市B", "13800000000", "", "包河区", "117.3，31.7"),
  };
  ASSERT_TRUE(ExportSpreadsheet(rows, Target(folder)).ok());
  ReadWorkbook book = ReadBack(Target(folder));
  ASSERT_TRUE(book.read) << book.failure;
  EXPECT_TRUE(book.warnings.empty()) << book.warnings.front();
  ASSERT_EQ(book.sheets.size(), 1u);
  EXPECT_EQ(book.sheets[0].name, "Sheet1");
  ExpectSheet(book.sheets[0], rows, 0, rows.size());
  // The leading zero and all eleven digits are there, as text.
  EXPECT_EQ(book.sheets[0].at(1, 2).value, "05511234567");
  EXPECT_EQ(book.sheets[0].at(2, 2).value, "13800000000");
}

TEST_P(WorkbookTest, AnEmptyListGivesTheTitleRowOnly) {
  TempFolder folder;
  ASSERT_TRUE(ExportSpreadsheet({}, Target(folder)).ok());
  ReadWorkbook book = ReadBack(Target(folder));
  ASSERT_TRUE(book.read) << book.failure;
  ASSERT_EQ(book.sheets.size(), 1u);
  ExpectSheet(book.sheets[0], {}, 0, 0);
}

TEST_P(WorkbookTest, UnusualTextsArriveIntact) {
  TempFolder folder;
  std::string long_address;
  for (int i = 0; i < 20000; ++i) long_address += i % 7 == 0 ? "A" : "路";
  std::string longest(kMaxCellCharacters, 'x');
  const std::vector<ResultRow> rows = {
      // Latin-1 only: stored one byte a character.
      Row("1", "25°C × 2 ±", "0551-1234567,13800000000", "Café", "区"),
      // "?" for what code page 936 lacks, the euro sign, a backslash trail byte.
      Row("2", "Café ♫ 😀", "€", "乗\\|", "区"),
      // Spread over several CONTINUE records, cut inside the text.
      Row("3", "长", "1", long_address, ""),
      Row("4", "满", "1", longest, ""),
  };
  ASSERT_TRUE(ExportSpreadsheet(rows, Target(folder)).ok());
  ReadWorkbook book = ReadBack(Target(folder));
  ASSERT_TRUE(book.read) << book.failure;
  EXPECT_TRUE(book.warnings.empty()) << book.warnings.front();
  ASSERT_EQ(book.sheets.size(), 1u);
  ExpectSheet(book.sheets[0], rows, 0, rows.size());
  if (SpreadsheetFormatFor(Target(folder)) == SpreadsheetFormat::kXls) {
    EXPECT_EQ(testing_support::CheckXlsStructure(Target(folder)), "ok");
  }
}

TEST_P(WorkbookTest, TextTooLongForACellFailsAndKeepsTheOldFile) {
  TempFolder folder;
  WriteBytes(Target(folder), "old");
  const std::vector<ResultRow> rows = {
      Row("1", "店", "1"), Row("2", "店", "1", std::string(kMaxCellCharacters + 1, 'x'))};
  ExportResult result = ExportSpreadsheet(rows, Target(folder));
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("row 2, column 4"));
  EXPECT_EQ(ReadBytes(Target(folder)), "old");
  EXPECT_EQ(folder.Entries().size(), 1u);
}

TEST_P(WorkbookTest, CancellingWritesNothing) {
  TempFolder folder;
  std::vector<ResultRow> rows(20000, Row("1", "店", "13800000000"));
  size_t last_done = 0;
  ExportResult result = ExportSpreadsheet(rows, Target(folder), [&](size_t done, size_t total) {
    EXPECT_LE(done, total);
    last_done = done;
    return done < total / 2;
  });
  EXPECT_EQ(result.status, ExportStatus::kCancelled);
  EXPECT_GT(last_done, 0u);
  EXPECT_TRUE(folder.Entries().empty());
}

TEST_P(WorkbookTest, ProgressReachesTheTotal) {
  TempFolder folder;
  std::vector<ResultRow> rows(10000, Row("1", "店", "13800000000"));
  size_t calls = 0;
  std::pair<size_t, size_t> last;
  ASSERT_TRUE(ExportSpreadsheet(rows, Target(folder), [&](size_t done, size_t total) {
                EXPECT_GE(done, last.first);
                last = {done, total};
                ++calls;
                return true;
              }).ok());
  EXPECT_GT(calls, 2u);
  EXPECT_EQ(last.first, last.second);
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkbookTest, testing::Values(".xls", ".xlsx"),
                         [](const auto& param_info) { return std::string(param_info.param + 1); });

TEST(XlsWorkbookTest, SeventyThousandRowsGoOnInASecondSheet) {
  TempFolder folder;
  std::vector<ResultRow> rows;
  rows.reserve(70000);
  for (int i = 0; i < 70000; ++i) {
    const std::string n = std::to_string(i + 1);
    rows.push_back(Row(n, "超市" + n, "0551" + std::to_string(1000000 + i), "某某路" + n + "号",
                       i % 5 == 0 ? "" : (i % 2 ? "蜀山区" : "包河区")));
  }
  const auto target = folder / "big.xls";
  ASSERT_TRUE(ExportXls(rows, target).ok());

  // Over 109 FAT sectors: the container needs DIFAT sectors.
  const std::string head = ReadBytes(target).substr(0, 76);
  EXPECT_GT(static_cast<uint8_t>(head[72]), 0);

  ReadWorkbook book = ReadBack(target);
  ASSERT_TRUE(book.read) << book.failure;
  EXPECT_TRUE(book.warnings.empty()) << book.warnings.front();
  ASSERT_EQ(book.sheets.size(), 2u);
  EXPECT_EQ(book.sheets[0].name, "Sheet1");
  EXPECT_EQ(book.sheets[1].name, "Sheet2");
  ExpectSheet(book.sheets[0], rows, 0, 65535);
  ExpectSheet(book.sheets[1], rows, 65535, 4465);
  EXPECT_EQ(testing_support::CheckXlsStructure(target), "ok");
}

}  // namespace
}  // namespace varnelo
