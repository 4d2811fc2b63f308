#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>
#include <vector>

#include "app/dialogs.h"
#include "app/run_channel.h"
#include "collect/collection_run.h"

namespace varnelo {

class RunTarget;
class RunWindow;

// A collection run as the window starts it: CollectBaidu or CollectAmap bound to
// the program's place search, or a stand-in in the tests.
using RunFunction = std::function<RunEnd(RunWindow&, std::stop_token)>;

// Starts and stops the collection runs of one window, one at a time, and applies
// what a run sends on the window thread. The window thread never waits for a
// worker, except when the controller itself is destroyed.
//
// Each run gets a generation number. Stop makes no generation current, so every
// access a stopped run still has on its way is dropped when it reaches the
// window: no row of a stopped run appears after Stop has returned.
class RunController final : public QObject {
  Q_OBJECT

 public:
  RunController(RunTarget& target, Dialogs& dialogs, QObject* parent = nullptr);
  // Stops a run that is still going and waits for its worker to return.
  ~RunController() override;

  // Starts run on a worker thread. Does nothing and returns false while a run is
  // going. After Stop the new worker first waits for the stopped one to finish
  // unwinding, so two runs never work at the same time.
  bool Start(RunFunction run);

  // Raises the run's stop token, drops what it still sends and takes its message
  // boxes away; returns at once. Nothing happens when no run is going.
  void Stop();

  // A run was started and has neither ended by itself nor been stopped.
  bool IsRunning() const;

 signals:
  // On the window thread, once for every run whose worker has returned, after
  // everything the run sent has been applied (dropped for a stopped run).
  void RunEnded(varnelo::RunEnd end);

 private:
  void Drain(const std::shared_ptr<RunChannel>& channel);
  void Finish(const std::shared_ptr<RunChannel>& channel, RunEnd end);
  void Apply(std::vector<RunOp>& ops, uint64_t generation);
  bool IsCurrent(const RunChannel& channel) const;

  RunTarget& target_;
  Dialogs& dialogs_;

  uint64_t lastGeneration_ = 0;
  uint64_t currentGeneration_ = 0;  // 0 once the last run was stopped
  std::shared_ptr<RunChannel> channel_;
  std::vector<DialogCloser> openBoxes_;
  std::jthread worker_;
};

}  // namespace varnelo
