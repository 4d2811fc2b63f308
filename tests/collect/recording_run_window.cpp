#include "tests/collect/recording_run_window.h"

#include "text/code_page.h"

namespace varnelo {

std::vector<std::string> RecordingRunWindow::Column(size_t column) const {
  std::vector<std::string> cells;
  for (const ResultRow& row : rows) cells.push_back(row[column]);
  return cells;
}

std::string RecordingRunWindow::CityText() {
  ++cityReads;
  return Utf8ToGbk(cityText);
}

std::string RecordingRunWindow::KeywordText() {
  ++keywordReads;
  std::string text = Utf8ToGbk(keywordText);
  if (afterKeywordRead) afterKeywordRead();
  return text;
}

bool RecordingRunWindow::HasTelephone(std::string_view telephone) {
  const std::string wanted = GbkToUtf8(telephone);
  for (const ResultRow& row : rows) {
    if (row[kColumnTelephone] == wanted) return true;
  }
  return false;
}

void RecordingRunWindow::ShowKeyword(std::string_view keyword) {
  shownKeywords.push_back(GbkToUtf8(keyword));
}

void RecordingRunWindow::ShowCount(std::string_view countText) {
  counts.push_back(GbkToUtf8(countText));
}

void RecordingRunWindow::AppendRow(const ResultRow& row) {
  ResultRow utf8;
  for (size_t i = 0; i < row.size(); ++i) utf8[i] = GbkToUtf8(row[i]);
  rows.push_back(utf8);
  if (afterAppendRow) afterAppendRow(utf8);
}

bool RecordingRunWindow::AskOpenSliderLink() {
  ++sliderQuestions;
  return answerOpenSliderLink;
}

void RecordingRunWindow::OpenLink(std::string_view url) { openedLinks.push_back(GbkToUtf8(url)); }

}  // namespace varnelo
