// Serves a fixture folder as both map platforms, for the command-line tests and
// the benchmarks:
//
//   fake_map_platform <fixture-root> [--port N] [--delay-ms N] [--requests FILE]
//
// Prints the port on the first line of standard output once it listens, then
// serves until SIGINT or SIGTERM. --requests appends every request target to
// FILE as it arrives, one per line.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>

#include "tests/support/fake_map_platform.h"

namespace {

int Usage() {
  std::cerr << "usage: fake_map_platform <fixture-root> [--port N] [--delay-ms N] "
               "[--requests FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string root = argv[1];
  int port = 0;
  long delayMs = 0;
  std::string requestsFile;
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return Usage();
    const char* value = argv[++i];
    if (option == "--port") {
      port = std::atoi(value);
    } else if (option == "--delay-ms") {
      delayMs = std::atol(value);
    } else if (option == "--requests") {
      requestsFile = value;
    } else {
      return Usage();
    }
  }

  // Block the signals before any thread starts, so only sigwait below sees them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  varnelo::test::FakeMapPlatform platform(root, port);
  if (!platform.IsListening()) {
    std::cerr << "fake_map_platform: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  platform.SetAnswerDelay(std::chrono::milliseconds(delayMs));

  std::ofstream log;
  std::mutex logMutex;
  if (!requestsFile.empty()) {
    log.open(requestsFile, std::ios::app);
    platform.SetRequestHook([&](const varnelo::test::RecordedRequest& request) {
      std::lock_guard lock(logMutex);
      log << request.target << '\n' << std::flush;
    });
  }

  std::cout << platform.port() << std::endl;
  int received = 0;
  sigwait(&signals, &received);
  platform.Stop();
  return 0;
}
