#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varnelo::cli {
namespace {

using Args = std::vector<std::string>;
using Action = ParsedCommandLine::Action;

ParsedCommandLine Parse(const Args& args, bool terminal = false) {
  return ParseCommandLine(args, terminal);
}

TEST(CliOptionsTest, DefaultsWithoutArguments) {
  ParsedCommandLine parsed = Parse({});
  ASSERT_EQ(parsed.action, Action::kRun);
  EXPECT_EQ(parsed.options.platform, Platform::kBaidu);
  EXPECT_FALSE(parsed.options.output.has_value());
  EXPECT_EQ(parsed.options.format, OutputFormat::kCsv);
  EXPECT_EQ(parsed.options.onRateLimit, RateLimitAction::kStop);
  EXPECT_EQ(Parse({}, true).options.onRateLimit, RateLimitAction::kAsk);
}

TEST(CliOptionsTest, RepeatedCitiesAndKeywordsKeepTheirOrderAndEmptyWords) {
  ParsedCommandLine parsed =
      Parse({"-p", "amap", "-c", "广州|440100", "--city", "芜湖|340200", "-k", "超市", "-k", "",
             "--keyword=酒店", "--mobile-only", "--dedupe", "-q", "--amap-host", "127.0.0.1:8443"});
  ASSERT_EQ(parsed.action, Action::kRun) << parsed.error;
  EXPECT_EQ(parsed.options.platform, Platform::kAmap);
  EXPECT_EQ(parsed.options.cityLines, (Args{"广州|440100", "芜湖|340200"}));
  EXPECT_EQ(parsed.options.keywords, (Args{"超市", "", "酒店"}));
  EXPECT_TRUE(parsed.options.mobileOnly);
  EXPECT_TRUE(parsed.options.dedupe);
  EXPECT_TRUE(parsed.options.quiet);
  EXPECT_EQ(parsed.options.amapHost, "127.0.0.1:8443");
}

TEST(CliOptionsTest, FormatComesFromTheOptionOrTheExtension) {
  struct Case {
    Args args;
    OutputFormat format;
  };
  const Case cases[] = {
      {{"-o", "out.txt"}, OutputFormat::kPairs},
      {{"-o", "out.vcf"}, OutputFormat::kVcf},
      {{"-o", "out.xls"}, OutputFormat::kXls},
      {{"-o", "OUT.XLSX"}, OutputFormat::kXlsx},
      {{"-o", "out.csv"}, OutputFormat::kCsv},
      {{"-o", "out.txt", "-f", "phones"}, OutputFormat::kPhones},
      {{"-o", "list", "--format", "xls"}, OutputFormat::kXls},
  };
  for (const Case& c : cases) {
    ParsedCommandLine parsed = Parse(c.args);
    ASSERT_EQ(parsed.action, Action::kRun) << c.args[1] << ": " << parsed.error;
    EXPECT_EQ(parsed.options.format, c.format) << c.args[1];
  }
}

TEST(CliOptionsTest, BadValuesAreUsageErrorsOnOneLine) {
  const Args cases[] = {
      {"-p", "tencent"},
      {"-f", "pdf", "-o", "a.pdf"},
      {"-o", "a.pdf"},
      {"-f", "xls"},  // only csv goes to standard output
      {"--on-rate-limit", "maybe"},
      {"--frobnicate"},
      {"-c"},
      {"--cities", "/nonexistent/cities.txt"},
      {"stray"},
  };
  for (const Args& args : cases) {
    ParsedCommandLine parsed = Parse(args);
    EXPECT_EQ(parsed.action, Action::kUsageError) << args[0];
    EXPECT_FALSE(parsed.error.empty()) << args[0];
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
  }
}

TEST(CliOptionsTest, HelpAndVersion) {
  EXPECT_EQ(Parse({"-h"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--help"}).action, Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).action, Action::kVersion);
  EXPECT_NE(HelpText().find("--on-rate-limit ask|stop|continue"), std::string::npos);
}

TEST(CliOptionsTest, LineFilesAcceptLfCrlfAndAByteOrderMark) {
  const std::filesystem::path dir = testing::TempDir();
  const std::filesystem::path cities = dir / "cities.txt";
  const std::filesystem::path keywords = dir / "keywords.txt";
  std::ofstream(cities, std::ios::binary) << "\xEF\xBB\xBF广州|440100\r\n芜湖|340200\r\n";
  std::ofstream(keywords, std::ios::binary) << "超市\n\n酒店";
  ParsedCommandLine parsed =
      Parse({"-c", "北京|110100", "--cities", cities.string(), "--keywords", keywords.string()});
  ASSERT_EQ(parsed.action, Action::kRun) << parsed.error;
  EXPECT_EQ(parsed.options.cityLines, (Args{"北京|110100", "广州|440100", "芜湖|340200"}));
  EXPECT_EQ(parsed.options.keywords, (Args{"超市", "", "酒店"}));
}

}  // namespace
}  // namespace varnelo::cli
