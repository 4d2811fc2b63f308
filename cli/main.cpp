// varnelo-collect: the collection run from the command line.

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/console_window.h"
#include "cli/interrupt_watch.h"
#include "cli/output.h"
#include "collect/collection_run.h"
#include "collect/place_search.h"
#include "web/web_global.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

constexpr int kExitDone = 0;
constexpr int kExitOutputFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDeclined = 3;
constexpr int kExitInterrupted = 130;

constexpr const char* kVersion = "varnelo-collect 0.1.0";

}  // namespace

int main(int argc, char** argv) {
  using namespace varnelo;
  using namespace varnelo::cli;

  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(args, isatty(fileno(stdin)) != 0);
  switch (parsed.action) {
    case ParsedCommandLine::Action::kHelp:
      std::fputs(HelpText().c_str(), stdout);
      return kExitDone;
    case ParsedCommandLine::Action::kVersion:
      std::puts(kVersion);
      return kExitDone;
    case ParsedCommandLine::Action::kUsageError:
      std::fprintf(stderr, "varnelo-collect: %s (see varnelo-collect --help)\n",
                   parsed.error.c_str());
      return kExitUsage;
    case ParsedCommandLine::Action::kRun:
      break;
  }
  const CliOptions& options = parsed.options;

  const WebGlobal web;
  PlaceSearchHosts hosts;
  if (!options.amapHost.empty()) hosts.amap = options.amapHost;
  if (!options.baiduHost.empty()) hosts.baidu = options.baiduHost;
  const PlaceSearch search(hosts);

  std::stop_source stop;
  ConsoleWindow window(options, stderr, isatty(fileno(stderr)) != 0, std::cin);
  RunEnd end;
  {
    InterruptWatch interrupts(stop);
    end = options.platform == Platform::kBaidu
              ? CollectBaidu(window, search, stop.get_token(), &window)
              : CollectAmap(window, search, stop.get_token(), &window);
    if (interrupts.interrupted()) end = RunEnd::kStopped;
  }
  window.FinishProgress();
  if (end == RunEnd::kStopped && !options.quiet) {
    std::fprintf(stderr, "interrupted: %zu rows collected\n", window.rows().size());
  }

  // What was collected is written however the run ended.
  if (const std::string error = WriteOutput(options, window.rows()); !error.empty()) {
    std::fprintf(stderr, "varnelo-collect: %s\n", error.c_str());
    return kExitOutputFailed;
  }
  switch (end) {
    case RunEnd::kFinished:
      return kExitDone;
    case RunEnd::kDeclined:
      return kExitDeclined;
    case RunEnd::kStopped:
      return kExitInterrupted;
  }
  return kExitDone;
}
