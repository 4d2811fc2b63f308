#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "collect/run_window.h"
#include "text/result_row.h"

namespace varnelo {

// A window double for whole runs under faults and Stop. It serves the inputs
// a test sets and records what the run did, in UTF-8. Like every real window
// it takes nothing from a run once the run's stop has been raised (the run
// window's rule), and it records each access that still arrived after Stop
// had returned, so a test can bound what the run does past that point.
// Accesses come from the run's thread, Stop from another; all state is
// guarded.
class StopAwareRunWindow : public RunWindow {
 public:
  StopAwareRunWindow(std::string cityText, std::string keywordText);

  // The answer to the rate-limit question.
  void SetAnswerOpenSliderLink(bool open);

  // Raises stop on source, as a window's Stop button does, and notes that
  // Stop has returned.
  void Stop(std::stop_source& source);

  // Waits until the run has made at least count accesses; false after timeout.
  bool WaitForAccesses(int count, std::chrono::milliseconds timeout);

  // What the run left in the window (UTF-8).
  std::vector<ResultRow> Rows() const;
  std::vector<std::string> ShownKeywords() const;
  int FinishedShown() const;
  int SliderQuestions() const;
  std::vector<std::string> OpenedLinks() const;
  int Accesses() const;
  // Accesses, and rows among them, that arrived after Stop had returned.
  int AccessesAfterStop() const;
  int RowsAfterStop() const;

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
  // Counts one access; false when the window takes nothing any more. Called
  // with the lock held.
  bool Admit(bool isRow);

  const std::string cityText_;
  const std::string keywordText_;

  mutable std::mutex mutex_;
  std::condition_variable accessed_;
  bool openSliderLink_ = true;
  std::stop_token stop_;
  bool stopReturned_ = false;
  int accesses_ = 0;
  int accessesAfterStop_ = 0;
  int rowsAfterStop_ = 0;
  std::vector<ResultRow> rows_;
  std::vector<std::string> shownKeywords_;
  int finishedShown_ = 0;
  int sliderQuestions_ = 0;
  std::vector<std::string> openedLinks_;
};

}  // namespace varnelo
