#include "app/run_controller.h"

#include <utility>

#include "app/run_bridge.h"
#include "app/run_target.h"

namespace varnelo {

RunController::RunController(RunTarget& target, Dialogs& dialogs, QObject* parent)
    : QObject(parent), target_(target), dialogs_(dialogs) {}

RunController::~RunController() {
  Stop();
  if (worker_.joinable()) worker_.join();
  if (channel_) channel_->Discard();
}

bool RunController::IsCurrent(const RunChannel& channel) const {
  return currentGeneration_ != 0 && channel.generation() == currentGeneration_;
}

bool RunController::IsRunning() const {
  return channel_ && IsCurrent(*channel_) && !channel_->returned;
}

bool RunController::Start(RunFunction run) {
  if (IsRunning() || !run) return false;
  // A run that ended by itself may still have accesses on their way; they
  // belong in front of the new run's.
  if (channel_ && IsCurrent(*channel_)) {
    std::vector<RunOp> ops;
    channel_->Take(ops);
    Apply(ops, channel_->generation());
  }
  openBoxes_.clear();

  currentGeneration_ = ++lastGeneration_;
  // The worker asks for drains from its own thread; the controller outlives
  // every worker (its destructor joins), so the queued call always has a target.
  channel_ =
      std::make_shared<RunChannel>(currentGeneration_, [this](std::weak_ptr<RunChannel> channel) {
        QMetaObject::invokeMethod(
            this,
            [this, channel = std::move(channel)] {
              if (auto live = channel.lock()) Drain(live);
            },
            Qt::QueuedConnection);
      });

  // The previous worker, stopped or returned, goes along: the new one waits for
  // it before the run begins, so the window thread never has to.
  worker_ = std::jthread([this, channel = channel_, run = std::move(run),
                          previous = std::move(worker_)](std::stop_token stop) mutable {
    if (previous.joinable()) previous.join();
    RunEnd end = RunEnd::kStopped;
    if (!stop.stop_requested()) {
      RunBridge bridge(channel, stop);
      end = run(bridge, stop);
    }
    channel->returned = true;
    QMetaObject::invokeMethod(
        this, [this, channel, end] { Finish(channel, end); }, Qt::QueuedConnection);
  });
  return true;
}

void RunController::Stop() {
  if (!IsRunning()) return;
  worker_.request_stop();
  currentGeneration_ = 0;
  channel_->Discard();
  // What did arrive stays in the list, and is seen.
  target_.ShowPending();
  // Closing a box would answer it; the answer finds no current run and is lost.
  std::vector<DialogCloser> boxes = std::move(openBoxes_);
  openBoxes_.clear();
  for (DialogCloser& close : boxes) {
    if (close) close();
  }
}

void RunController::Drain(const std::shared_ptr<RunChannel>& channel) {
  if (!IsCurrent(*channel)) {
    channel->Discard();
    return;
  }
  // A local batch: a call inside it may run a nested event loop that drains again.
  std::vector<RunOp> ops;
  channel->Take(ops);
  Apply(ops, channel->generation());
}

void RunController::Finish(const std::shared_ptr<RunChannel>& channel, RunEnd end) {
  Drain(channel);
  target_.ShowPending();
  emit RunEnded(end);
}

void RunController::Apply(std::vector<RunOp>& ops, uint64_t generation) {
  // Rows that arrive together go into the list in one insertion, and of the
  // progress texts only the latest is worth drawing; both are written before
  // any call that follows them, so a box never shows ahead of the rows it ends.
  std::vector<ResultRow> rows;
  QString keyword;
  QString count;
  bool keywordChanged = false;
  bool countChanged = false;
  auto flush = [&] {
    if (!rows.empty()) target_.AppendRows(std::exchange(rows, {}));
    if (keywordChanged) target_.ShowKeyword(keyword);
    if (countChanged) target_.ShowCount(count);
    keywordChanged = countChanged = false;
  };
  WindowSide side{target_, dialogs_, openBoxes_};
  for (RunOp& op : ops) {
    switch (op.kind) {
      case RunOp::Kind::kRow:
        rows.push_back(std::move(op.row));
        break;
      case RunOp::Kind::kKeyword:
        keyword = std::move(op.text);
        keywordChanged = true;
        break;
      case RunOp::Kind::kCount:
        count = std::move(op.text);
        countChanged = true;
        break;
      case RunOp::Kind::kCall:
      case RunOp::Kind::kShow:
        flush();
        if (op.kind == RunOp::Kind::kShow) target_.ShowPending();
        if (op.call) op.call(side);
        // A call may hand control to the user's side (a box answered at once),
        // which may have stopped the run; the rest of the batch is then dropped.
        if (currentGeneration_ != generation) {
          ops.clear();
          return;
        }
        break;
    }
  }
  flush();
  ops.clear();
}

}  // namespace varnelo
