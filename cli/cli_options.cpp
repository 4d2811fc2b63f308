#include "cli/cli_options.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <map>
#include <sstream>

namespace varnelo::cli {
namespace {

const std::map<std::string, Platform> kPlatforms = {{"baidu", Platform::kBaidu},
                                                    {"amap", Platform::kAmap}};

const std::map<std::string, OutputFormat> kFormats = {
    {"pairs", OutputFormat::kPairs}, {"phones", OutputFormat::kPhones},
    {"vcf", OutputFormat::kVcf},     {"xls", OutputFormat::kXls},
    {"xlsx", OutputFormat::kXlsx},   {"csv", OutputFormat::kCsv}};

const std::map<std::string, OutputFormat> kExtensions = {{".txt", OutputFormat::kPairs},
                                                         {".vcf", OutputFormat::kVcf},
                                                         {".xls", OutputFormat::kXls},
                                                         {".xlsx", OutputFormat::kXlsx},
                                                         {".csv", OutputFormat::kCsv}};

const std::map<std::string, RateLimitAction> kRateLimitActions = {
    {"ask", RateLimitAction::kAsk},
    {"stop", RateLimitAction::kStop},
    {"continue", RateLimitAction::kContinue}};

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

ParsedCommandLine UsageError(std::string reason) {
  ParsedCommandLine parsed;
  parsed.action = ParsedCommandLine::Action::kUsageError;
  parsed.error = std::move(reason);
  return parsed;
}

// CLI11 messages may span lines; the user gets one.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool AppendFileLines(const std::vector<std::string>& files, std::vector<std::string>& lines,
                     std::string& error) {
  for (const std::string& file : files) {
    auto fileLines = ReadLinesFile(file);
    if (!fileLines) {
      error = "cannot read " + file;
      return false;
    }
    lines.insert(lines.end(), fileLines->begin(), fileLines->end());
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> ReadLinesFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return std::nullopt;
  std::string text = content.str();
  if (text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);

  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

ParsedCommandLine ParseCommandLine(std::span<const std::string> args, bool stdinIsTerminal) {
  CLI::App app{"varnelo-collect", "varnelo-collect"};
  app.set_help_flag();  // help is ours, so that it reads exactly as documented
  app.allow_extras(false);

  bool help = false;
  bool version = false;
  std::string platform = "baidu";
  std::vector<std::string> cities;
  std::vector<std::string> cityFiles;
  std::vector<std::string> keywords;
  std::vector<std::string> keywordFiles;
  std::string output;
  std::string format;
  std::string onRateLimit;
  CliOptions options;

  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_option("-p,--platform", platform)->check(CLI::IsMember(kPlatforms));
  app.add_option("-c,--city", cities)->allow_extra_args(false);
  app.add_option("--cities", cityFiles)->allow_extra_args(false);
  app.add_option("-k,--keyword", keywords)->allow_extra_args(false);
  app.add_option("--keywords", keywordFiles)->allow_extra_args(false);
  app.add_flag("--mobile-only", options.mobileOnly);
  app.add_flag("--dedupe", options.dedupe);
  app.add_option("-o,--output", output);
  app.add_option("-f,--format", format)->check(CLI::IsMember(kFormats));
  app.add_option("--on-rate-limit", onRateLimit)->check(CLI::IsMember(kRateLimitActions));
  app.add_option("--amap-host", options.amapHost);
  app.add_option("--baidu-host", options.baiduHost);
  app.add_flag("-q,--quiet", options.quiet);

  // CLI11 wants the arguments last to first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return UsageError(OneLine(e.what()));
  }

  ParsedCommandLine parsed;
  if (help) {
    parsed.action = ParsedCommandLine::Action::kHelp;
    return parsed;
  }
  if (version) {
    parsed.action = ParsedCommandLine::Action::kVersion;
    return parsed;
  }

  options.platform = kPlatforms.at(platform);
  options.cityLines = cities;
  options.keywords = keywords;
  std::string error;
  if (!AppendFileLines(cityFiles, options.cityLines, error) ||
      !AppendFileLines(keywordFiles, options.keywords, error)) {
    return UsageError(error);
  }

  if (!output.empty()) options.output = std::filesystem::path(output);
  if (!format.empty()) {
    options.format = kFormats.at(format);
  } else if (options.output) {
    std::string extension = LowerAscii(options.output->extension().string());
    auto known = kExtensions.find(extension);
    if (known == kExtensions.end()) {
      return UsageError("cannot tell the format of " + output + " from its extension; use -f");
    }
    options.format = known->second;
  }
  if (!options.output && options.format != OutputFormat::kCsv) {
    return UsageError("only csv goes to standard output; name a file with -o");
  }

  if (!onRateLimit.empty()) {
    options.onRateLimit = kRateLimitActions.at(onRateLimit);
  } else {
    options.onRateLimit = stdinIsTerminal ? RateLimitAction::kAsk : RateLimitAction::kStop;
  }

  parsed.options = std::move(options);
  return parsed;
}

std::string HelpText() {
  return R"(varnelo-collect [options]
  -p, --platform baidu|amap     the map platform (default baidu)
  -c, --city LINE               a city line such as "广州|440100"; repeatable, in order
      --cities FILE             city lines from a file, one per line (UTF-8; CRLF or LF)
  -k, --keyword WORD            a keyword; repeatable, in order (an empty word is searched too)
      --keywords FILE           keywords from a file, one per line
      --mobile-only             the landline filter ("过滤座机号码")
      --dedupe                  the duplicate filter ("过滤重复数据")
  -o, --output FILE             write the rows when the run ends
  -f, --format FORMAT           pairs | phones | vcf | xls | xlsx | csv; default from the output's
                                extension (.txt pairs, .vcf vcf, .xls xls, .xlsx xlsx, .csv csv)
      --on-rate-limit ask|stop|continue
                                Amap's "too fast" answer: ask on a terminal (the default when standard
                                input is a terminal), stop (the default otherwise: the run ends as the
                                window's "No" does), continue (as "Yes": print the link, go on)
      --amap-host HOST[:PORT]   other hosts for the two platforms (mirrors, proxies, tests)
      --baidu-host HOST[:PORT]
  -q, --quiet                   no progress
  -h, --help, --version

City lines given with -c come first, then those of the --cities files; the same holds for keywords.
Without -o the rows go to standard output as CSV (UTF-8 with a byte-order mark).
Exit status: 0 done, 1 output not written, 2 usage error, 3 declined rate limit, 130 interrupted.
)";
}

}  // namespace varnelo::cli
