#include "cli/interrupt_watch.h"

#include <chrono>
#include <csignal>

#if defined(__unix__) || defined(__APPLE__)
#include <signal.h>
#endif

namespace varnelo::cli {
namespace {

volatile std::sig_atomic_t interruptFlag = 0;

extern "C" void OnInterrupt(int) { interruptFlag = 1; }

void Install() {
#if defined(__unix__) || defined(__APPLE__)
  // Without SA_RESTART, so a read waiting on the terminal (the rate-limit
  // question) returns at once instead of holding the run.
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#else
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
#endif
}

}  // namespace

InterruptWatch::InterruptWatch(std::stop_source stop) : stop_(std::move(stop)) {
  Install();
  watcher_ = std::thread([this] {
    while (!done_) {
      if (interruptFlag != 0) {
        stop_.request_stop();
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
}

InterruptWatch::~InterruptWatch() {
  done_ = true;
  watcher_.join();
}

bool InterruptWatch::interrupted() const { return interruptFlag != 0; }

}  // namespace varnelo::cli
