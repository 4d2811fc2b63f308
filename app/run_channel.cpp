#include "app/run_channel.h"

#include <utility>

namespace varnelo {

RunChannel::RunChannel(uint64_t generation, Post post)
    : generation_(generation), post_(std::move(post)) {}

bool RunChannel::Push(RunOp op, const std::stop_token& stop) {
  bool askDrain = false;
  {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, stop, [this] { return pending_.size() < kMaxPending; });
    if (stop.stop_requested()) return false;
    pending_.push_back(std::move(op));
    askDrain = !std::exchange(drainAsked_, true);
  }
  if (askDrain && post_) post_(weak_from_this());
  return true;
}

void RunChannel::Take(std::vector<RunOp>& ops) {
  ops.clear();
  {
    std::lock_guard lock(mutex_);
    ops.swap(pending_);
    drainAsked_ = false;
  }
  wake_.notify_all();
}

void RunChannel::Discard() {
  std::vector<RunOp> dropped;
  Take(dropped);
}

}  // namespace varnelo
