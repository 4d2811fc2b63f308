#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnelo::cli {

enum class Platform { kBaidu, kAmap };
enum class OutputFormat { kPairs, kPhones, kVcf, kXls, kXlsx, kCsv };
enum class RateLimitAction { kAsk, kStop, kContinue };

// What the command line asks for. Texts are UTF-8 as typed.
struct CliOptions {
  Platform platform = Platform::kBaidu;
  std::vector<std::string> cityLines;
  std::vector<std::string> keywords;
  bool mobileOnly = false;
  bool dedupe = false;
  std::optional<std::filesystem::path> output;  // standard output when absent
  OutputFormat format = OutputFormat::kCsv;
  RateLimitAction onRateLimit = RateLimitAction::kStop;
  std::string amapHost;  // empty: the platform's own host
  std::string baiduHost;
  bool quiet = false;
};

struct ParsedCommandLine {
  enum class Action { kRun, kHelp, kVersion, kUsageError };
  Action action = Action::kRun;
  CliOptions options;
  std::string error;  // one line, for kUsageError
};

// Parses the arguments after the program name. stdinIsTerminal decides the
// default answer to the rate-limit question. Files named by --cities and
// --keywords are read here, so a missing file is a usage error before any run.
ParsedCommandLine ParseCommandLine(std::span<const std::string> args, bool stdinIsTerminal);

// The lines of a UTF-8 text file: LF or CRLF, a byte-order mark dropped, a line
// break at the end adding no line. Empty when the file cannot be read.
std::optional<std::vector<std::string>> ReadLinesFile(const std::filesystem::path& path);

// The help text printed by -h.
std::string HelpText();

}  // namespace varnelo::cli
