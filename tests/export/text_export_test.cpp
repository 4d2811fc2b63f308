#include "export/text_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/export/export_test_support.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

using testing_support::ReadBytes;
using testing_support::Row;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// Hands out 0, 1, 2, ... so the contact names are known: x = 0 gives "h",
// x = 1 gives "e".
FastCounter CountingFrom(uint32_t first) {
  return [next = first]() mutable { return next++; };
}

std::vector<ResultRow> TwoShops() {
  return {Row("1", "超市A", "13800000000"), Row("2", "超市B", "13900000000")};
}

TEST(TextExportTest, TwoRowsGiveTheExactBytesOfEachFile) {
  TempFolder folder;
  const std::vector<ResultRow> rows = TwoShops();
  const std::string shop_a = Utf8ToGbk("超市A");
  const std::string shop_b = Utf8ToGbk("超市B");

  ASSERT_TRUE(ExportText(rows, folder / "data.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "data.txt"),
            "13800000000----" + shop_a + "\r\n13900000000----" + shop_b + "\r\n");

  ASSERT_TRUE(ExportTelephones(rows, folder / "phones.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "phones.txt"), "13800000000\r\n13900000000\r\n");

  ASSERT_TRUE(ExportContactCards(rows, folder / "vcf.vcf", {}, CountingFrom(0)).ok());
  EXPECT_EQ(ReadBytes(folder / "vcf.vcf"),
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:h\r\n"
            "TEL;CELL:13800000000\r\nBDAY:00000000\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:e\r\n"
            "TEL;CELL:13900000000\r\nBDAY:00000000\r\nEND:VCARD\r\n");
}

TEST(TextExportTest, ContactNamesAreOneLowercaseLetterFromTheRealCounter) {
  TempFolder folder;
  std::vector<ResultRow> rows(50, Row("1", "店", "13800000000"));
  ASSERT_TRUE(ExportContactCards(rows, folder / "c.vcf").ok());
  const std::string file = ReadBytes(folder / "c.vcf");
  const std::string prefix = "QUOTED-PRINTABLE:";
  size_t names = 0;
  for (size_t at = file.find(prefix); at != std::string::npos; at = file.find(prefix, at + 1)) {
    const size_t name = at + prefix.size();
    ASSERT_LT(name + 2, file.size());
    EXPECT_GE(file[name], 'a');
    EXPECT_LE(file[name], 'z');
    EXPECT_EQ(file.substr(name + 1, 2), "\r\n");
    ++names;
  }
  EXPECT_EQ(names, rows.size());
}

TEST(TextExportTest, AnEmptyListReplacesAFileWithZeroBytes) {
  TempFolder folder;
  for (auto exporter : {+[](std::span<const ResultRow> r, const std::filesystem::path&p) {
                          return ExportText(r, p);
                        },
                        +[](std::span<const ResultRow> r, const std::filesystem::path&p) {
                          return ExportTelephones(r, p);
                        },
                        +[](std::span<const ResultRow> r, const std::filesystem::path&p) {
                          return ExportContactCards(r, p);
                        }}) {
    WriteBytes(folder / "old.txt", "old content\r\n");
    ASSERT_TRUE(exporter({}, folder / "old.txt").ok());
    EXPECT_EQ(ReadBytes(folder / "old.txt"), "");
  }
  // Nothing is left behind beside the file.
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"old.txt"});
}

TEST(TextExportTest, SeveralNumbersInOneCellAreWrittenUnchanged) {
  TempFolder folder;
  const std::vector<ResultRow> rows = {Row("1", "超市A", "0551-1234567,13800000000")};
  ASSERT_TRUE(ExportText(rows, folder / "t.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "t.txt"),
            "0551-1234567,13800000000----" + Utf8ToGbk("超市A") + "\r\n");
  ASSERT_TRUE(ExportTelephones(rows, folder / "p.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "p.txt"), "0551-1234567,13800000000\r\n");
  ASSERT_TRUE(ExportContactCards(rows, folder / "c.vcf", {}, CountingFrom(0)).ok());
  EXPECT_NE(ReadBytes(folder / "c.vcf").find("\r\nTEL;CELL:0551-1234567,13800000000\r\n"),
            std::string::npos);
}

TEST(TextExportTest, CodePageBytesPassThroughUntouched) {
  TempFolder folder;
  // Characters without a code-page-936 form reach the list as "?"; the euro
  // sign is the single byte 0x80 and "乗" has the backslash as trail byte.
  const std::string name = Utf8ToGbk("Café ♫ 😀 € 乗");
  ASSERT_NE(name.find('?'), std::string::npos);
  ASSERT_NE(name.find("\x81\x5C"), std::string::npos);
  ResultRow row = Row("1", "", "13800000000");
  row[kColumnName] = name;
  ASSERT_TRUE(ExportText(std::vector<ResultRow>{row}, folder / "t.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "t.txt"), "13800000000----" + name + "\r\n");
}

TEST(TextExportTest, ACellEndsAtItsFirstNul) {
  TempFolder folder;
  ResultRow row = Row("1", "shop", "");
  row[kColumnTelephone] = std::string("138\0garbage", 11);
  ASSERT_TRUE(ExportTelephones(std::vector<ResultRow>{row}, folder / "p.txt").ok());
  EXPECT_EQ(ReadBytes(folder / "p.txt"), "138\r\n");
}

TEST(TextExportTest, ProgressEndsAtTheTotalAndCanCancel) {
  TempFolder folder;
  std::vector<ResultRow> rows(10000, Row("1", "店", "13800000000"));
  std::vector<std::pair<size_t, size_t>> calls;
  ASSERT_TRUE(ExportText(rows, folder / "t.txt", [&](size_t done, size_t total) {
                calls.emplace_back(done, total);
                return true;
              }).ok());
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), std::make_pair(rows.size(), rows.size()));
  for (size_t i = 1; i < calls.size(); ++i) EXPECT_LE(calls[i - 1].first, calls[i].first);

  WriteBytes(folder / "t.txt", "keep me");
  ExportResult cancelled =
      ExportText(rows, folder / "t.txt", [](size_t done, size_t) { return done < 5000; });
  EXPECT_EQ(cancelled.status, ExportStatus::kCancelled);
  EXPECT_EQ(ReadBytes(folder / "t.txt"), "keep me");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"t.txt"});
}

}  // namespace
}  // namespace varnelo
