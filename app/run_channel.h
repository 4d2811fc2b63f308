#pragma once

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "app/dialogs.h"
#include "text/result_row.h"

namespace varnelo {

class RunTarget;

// What an access finds on the window thread.
struct WindowSide {
  RunTarget& target;
  Dialogs& dialogs;
  std::vector<DialogCloser>& openBoxes;  // the run's boxes, taken away when it is stopped
};

// One access of a run on its way to the window thread. Rows and the two
// progress texts have kinds of their own so the window can take a whole batch
// of them in one go; everything else is a call, and a call that puts something
// in front of the user (a box, the browser) is a show.
struct RunOp {
  enum class Kind { kRow, kKeyword, kCount, kCall, kShow };
  Kind kind = Kind::kCall;
  ResultRow row;
  QString text;
  std::function<void(WindowSide&)> call;
};

// The queue between one run's worker and the window thread. The worker queues
// its accesses in order; the window thread takes all that are waiting at once
// and applies them in that order. A write does not wait for the window, except
// when kMaxPending accesses are already waiting, so a fast run cannot flood the
// window; a read waits for its answer, which the window gives only after every
// earlier access has been applied. Every wait of the worker also ends when the
// run's stop token is raised.
class RunChannel : public std::enable_shared_from_this<RunChannel> {
 public:
  static constexpr size_t kMaxPending = 2048;

  // Asks the window thread to take the waiting accesses of the channel. Called
  // from the worker, once for each time the queue goes from empty to not empty.
  using Post = std::function<void(std::weak_ptr<RunChannel>)>;

  RunChannel(uint64_t generation, Post post);

  uint64_t generation() const { return generation_; }

  // Worker side. False when the run was stopped before the access could be queued.
  bool Push(RunOp op, const std::stop_token& stop);

  // Worker side: waits until done() holds (evaluated under the channel's lock)
  // or the run is stopped; returns whether done() holds.
  template <class Done>
  bool WaitUntil(const std::stop_token& stop, Done done) {
    std::unique_lock lock(mutex_);
    return wake_.wait(lock, stop, done);
  }

  // Window side: runs set under the channel's lock and wakes the worker. Replies
  // to reads are given this way.
  template <class Set>
  void Complete(Set set) {
    {
      std::lock_guard lock(mutex_);
      set();
    }
    wake_.notify_all();
  }

  // Window side: moves every waiting access into ops (which is emptied first).
  void Take(std::vector<RunOp>& ops);
  // Window side: drops every waiting access.
  void Discard();

  // Set by the worker once the run's procedure has returned.
  std::atomic<bool> returned{false};

 private:
  const uint64_t generation_;
  const Post post_;

  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::vector<RunOp> pending_;
  bool drainAsked_ = false;
};

}  // namespace varnelo
