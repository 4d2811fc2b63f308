#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <unordered_set>
#include <vector>

#include "cli/cli_options.h"
#include "collect/run_observer.h"
#include "collect/run_window.h"

namespace varnelo::cli {

// The run's window on a terminal: the inputs come from the command line, the
// rows are kept for the output, progress goes to standard error.
class ConsoleWindow : public RunWindow, public RunObserver {
 public:
  // progress: where progress and messages go (standard error). answers: where
  // the rate-limit question is answered (standard input).
  ConsoleWindow(const CliOptions& options, std::FILE* progress, bool progressIsTerminal,
                std::istream& answers);

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

  void CityStarted(size_t index, size_t count, std::string_view cityLine) override;
  void PageDone(std::string_view keyword, int page, PageOutcome outcome, int records) override;

  const std::vector<ResultRow>& rows() const { return rows_; }
  int failedRequests() const { return failedRequests_; }

  // Ends a progress line that is still being redrawn.
  void FinishProgress();

 private:
  void Say(const std::string& utf8Line);

  const CliOptions& options_;
  std::FILE* progress_;
  bool progressIsTerminal_;
  std::istream& answers_;
  std::vector<ResultRow> rows_;
  std::unordered_set<std::string> telephones_;
  size_t cityIndex_ = 0;
  size_t cityCount_ = 0;
  std::string cityLine_;  // UTF-8
  int failedRequests_ = 0;
  bool progressLineOpen_ = false;
};

// The lines as one window text, code page 936: every line followed by CR LF,
// so an empty last line survives the run's line splitting.
std::string JoinLinesForRun(const std::vector<std::string>& utf8Lines);

}  // namespace varnelo::cli
