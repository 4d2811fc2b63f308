// What every exporter does when the target cannot be written: it reports why,
// leaves whatever was there as it was, and leaves no temporary file behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "export/spreadsheet_export.h"
#include "export/text_export.h"
#include "tests/export/export_test_support.h"

namespace varnelo {
namespace {

using testing::HasSubstr;
using testing_support::ReadBytes;
using testing_support::Row;
using testing_support::TempFolder;
using testing_support::WriteBytes;

struct Exporter {
  const char* name;
  const char* file_name;
  ExportResult (*run)(std::span<const ResultRow>, const std::filesystem::path&);
};

const Exporter kExporters[] = {
    {"text", "data.txt", [](auto rows, const auto& path) { return ExportText(rows, path); }},
    {"telephones", "phones.txt",
     [](auto rows, const auto& path) { return ExportTelephones(rows, path); }},
    {"contacts", "vcf.vcf",
     [](auto rows, const auto& path) { return ExportContactCards(rows, path); }},
    {"xls", "data.xls", [](auto rows, const auto& path) { return ExportXls(rows, path); }},
    {"xlsx", "data.xlsx", [](auto rows, const auto& path) { return ExportXlsx(rows, path); }},
};

void PrintTo(const Exporter& exporter, std::ostream* out) { *out << exporter.name; }

class ExportFailureTest : public testing::TestWithParam<Exporter> {
 protected:
  std::vector<ResultRow> rows_ = {Row("1", "超市A", "13800000000", "路1号", "蜀山区")};
};

TEST_P(ExportFailureTest, AFolderThatDoesNotExist) {
  TempFolder folder;
  ExportResult result = GetParam().run(rows_, folder / "missing" / GetParam().file_name);
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("does not exist"));
  EXPECT_THAT(result.reason, HasSubstr("missing"));
  EXPECT_TRUE(folder.Entries().empty());
}

TEST_P(ExportFailureTest, AReadOnlyTargetKeepsItsContent) {
  TempFolder folder;
  const auto target = folder / GetParam().file_name;
  WriteBytes(target, "the old file");
  // No write bit for anyone: root could rename over it, but the file is
  // marked read-only and is left alone for everyone.
  std::filesystem::permissions(target, std::filesystem::perms::owner_read);
  ExportResult result = GetParam().run(rows_, target);
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("read-only"));
  EXPECT_TRUE(ReadBytes(target) == "the old file") << "the target changed";
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{GetParam().file_name});
}

TEST_P(ExportFailureTest, ATargetThatIsAFolderStays) {
  TempFolder folder;
  const auto target = folder / GetParam().file_name;
  std::filesystem::create_directory(target);
  WriteBytes(target / "inside", "x");
  ExportResult result = GetParam().run(rows_, target);
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("is a folder"));
  EXPECT_EQ(ReadBytes(target / "inside"), "x");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{GetParam().file_name});
}

TEST_P(ExportFailureTest, AFolderNobodyMayCreateFilesIn) {
  // /proc takes no new files, not even from root.
  ExportResult result =
      GetParam().run(rows_, std::filesystem::path("/proc") / GetParam().file_name);
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("cannot create a file in the folder \"/proc\""));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path("/proc") / GetParam().file_name));
}

TEST_P(ExportFailureTest, AReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "root may create files in a read-only folder";
  TempFolder folder;
  const auto locked = folder / "locked";
  std::filesystem::create_directory(locked);
  WriteBytes(locked / GetParam().file_name, "the old file");
  std::filesystem::permissions(
      locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ExportResult result = GetParam().run(rows_, locked / GetParam().file_name);
  EXPECT_EQ(result.status, ExportStatus::kFailed);
  EXPECT_THAT(result.reason, HasSubstr("Permission denied"));
  EXPECT_EQ(ReadBytes(locked / GetParam().file_name), "the old file");
}

// Runs the export with a file size limit far below what it writes, as a full
// disk would stop it, and reports through the exit code: 0 when it failed
// with a reason and the old file was kept.
int ExportIntoAFullDisk(const Exporter& exporter, const std::filesystem::path& target) {
  std::vector<ResultRow> rows(20000,
                              Row("123", "超市超市", "13800000000", "某某路100号", "蜀山区"));
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{64 * 1024, 64 * 1024};
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
  ExportResult result = exporter.run(rows, target);
  std::fprintf(stderr, "status %d reason: %s\n", static_cast<int>(result.status),
               result.reason.c_str());
  if (result.status != ExportStatus::kFailed || result.reason.empty()) return 3;
  if (ReadBytes(target) != "the old file") return 4;
  if (std::distance(std::filesystem::directory_iterator(target.parent_path()),
                    std::filesystem::directory_iterator()) != 1)
    return 5;
  return 0;
}

TEST_P(ExportFailureTest, AWriteErrorKeepsTheOldFile) {
  TempFolder folder;
  const auto target = folder / GetParam().file_name;
  WriteBytes(target, "the old file");
  EXPECT_EXIT(std::_Exit(ExportIntoAFullDisk(GetParam(), target)), testing::ExitedWithCode(0),
              "reason: .+");
  EXPECT_TRUE(ReadBytes(target) == "the old file") << "the target changed";
}

INSTANTIATE_TEST_SUITE_P(AllExports, ExportFailureTest, testing::ValuesIn(kExporters),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

}  // namespace
}  // namespace varnelo
