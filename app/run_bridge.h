#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "app/run_channel.h"
#include "collect/run_window.h"

namespace varnelo {

// The window as a run sees it from its worker thread. Each access becomes one
// op on the run's channel and is applied on the window thread; reads and
// message boxes wait for the window's answer, or for the stop token. Texts are
// converted between code page 936 and the window's form here, on the worker, so
// the window thread only moves them.
class RunBridge final : public RunWindow {
 public:
  RunBridge(std::shared_ptr<RunChannel> channel, std::stop_token stop);

  std::string CityText() override;
  std::string KeywordText() override;
  bool LandlineFilter() override;
  bool DuplicateFilter() override;
  bool HasTelephone(std::string_view telephone) override;

  void ShowKeyword(std::string_view keyword) override;
  void ShowCount(std::string_view countText) override;
  void AppendRow(const ResultRow& row) override;

  void ShowFinished() override;
  bool AskOpenSliderLink() override;
  void OpenLink(std::string_view url) override;

 private:
  // ask runs on the window thread and hands its answer to the function it gets,
  // then or later (a message box answers when it is closed). Empty when the run
  // was stopped first.
  template <class T>
  std::optional<T> Ask(std::function<void(WindowSide&, std::function<void(T)>)> ask,
                       RunOp::Kind kind = RunOp::Kind::kCall);
  void Send(RunOp op);

  std::shared_ptr<RunChannel> channel_;
  std::stop_token stop_;
};

}  // namespace varnelo
