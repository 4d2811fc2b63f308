#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace varnelo {

// Runs an action on the window thread at most once per interval. A request
// after a quiet spell runs the action at once; requests that follow it within
// the interval run it once more, together, when the interval is over. A run adds
// rows and progress texts far faster than anyone can read them, and every
// update costs the window a layout and a repaint.
class Throttle {
 public:
  Throttle(int intervalMs, std::function<void()> action);
  Throttle(const Throttle&) = delete;
  Throttle& operator=(const Throttle&) = delete;

  void Request();
  // Runs the action now, in place of any request still waiting.
  void RunNow();
  // Forgets a request still waiting.
  void Cancel() { timer_.stop(); }

 private:
  const int intervalMs_;
  const std::function<void()> action_;
  QTimer timer_;
  QElapsedTimer sinceRun_;
};

}  // namespace varnelo
