#pragma once

#include <atomic>
#include <stop_token>
#include <thread>

namespace varnelo::cli {

// Turns Ctrl-C (SIGINT) and SIGTERM into a stop request for the run, like the
// window's Stop button. The signal handler only sets a flag (nothing else is
// safe there); a small thread carries the flag over to the stop source.
class InterruptWatch {
 public:
  explicit InterruptWatch(std::stop_source stop);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  bool interrupted() const;

 private:
  std::stop_source stop_;
  std::atomic<bool> done_{false};
  std::thread watcher_;
};

}  // namespace varnelo::cli
