#include "app/throttle.h"

#include <utility>

namespace varnelo {

Throttle::Throttle(int intervalMs, std::function<void()> action)
    : intervalMs_(intervalMs), action_(std::move(action)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] { RunNow(); });
}

void Throttle::Request() {
  if (timer_.isActive()) return;
  const qint64 quiet = sinceRun_.isValid() ? sinceRun_.elapsed() : intervalMs_;
  if (quiet >= intervalMs_) {
    RunNow();
  } else {
    timer_.start(intervalMs_ - static_cast<int>(quiet));
  }
}

void Throttle::RunNow() {
  timer_.stop();
  sinceRun_.start();
  action_();
}

}  // namespace varnelo
