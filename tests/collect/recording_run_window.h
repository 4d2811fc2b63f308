#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "collect/run_window.h"
#include "text/result_row.h"

namespace varnelo {

// A window double for the collection run: serves the inputs a test sets and
// records every access. It speaks code page 936 to the run, as the window does,
// and holds everything in UTF-8 so tests read naturally.
class RecordingRunWindow : public RunWindow {
 public:
  // Inputs (UTF-8).
  std::string cityText;
  std::string keywordText;
  bool landlineFilter = false;
  bool duplicateFilter = false;
  bool answerOpenSliderLink = true;

  // Called after each access of that kind, so a test can act in the middle of
  // a run (change an input, raise Stop).
  std::function<void()> afterKeywordRead;
  std::function<void(const ResultRow&)> afterAppendRow;

  // What the run did (UTF-8).
  int cityReads = 0;
  int keywordReads = 0;
  std::vector<ResultRow> rows;
  std::vector<std::string> shownKeywords;
  std::vector<std::string> counts;
  int finishedShown = 0;
  int sliderQuestions = 0;
  std::vector<std::string> openedLinks;

  std::vector<std::string> Column(size_t column) const;

  std::string CityText() override;
  std::string KeywordText() override;
  bool LandlineFilter() override { return landlineFilter; }
  bool DuplicateFilter() override { return duplicateFilter; }
  bool HasTelephone(std::string_view telephone) override;
  void ShowKeyword(std::string_view keyword) override;
  void ShowCount(std::string_view countText) override;
  void AppendRow(const ResultRow& row) override;
  void ShowFinished() override { ++finishedShown; }
  bool AskOpenSliderLink() override;
  void OpenLink(std::string_view url) override;
};

}  // namespace varnelo
