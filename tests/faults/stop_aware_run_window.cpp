#include "tests/faults/stop_aware_run_window.h"

#include <utility>

#include "text/code_page.h"

namespace varnelo {

StopAwareRunWindow::StopAwareRunWindow(std::string cityText, std::string keywordText)
    : cityText_(std::move(cityText)), keywordText_(std::move(keywordText)) {}

void StopAwareRunWindow::SetAnswerOpenSliderLink(bool open) {
  std::lock_guard lock(mutex_);
  openSliderLink_ = open;
}

void StopAwareRunWindow::Stop(std::stop_source& source) {
  {
    std::lock_guard lock(mutex_);
    stop_ = source.get_token();
  }
  source.request_stop();
  std::lock_guard lock(mutex_);
  stopReturned_ = true;
}

bool StopAwareRunWindow::WaitForAccesses(int count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return accessed_.wait_for(lock, timeout, [&] { return accesses_ >= count; });
}

bool StopAwareRunWindow::Admit(bool isRow) {
  ++accesses_;
  accessed_.notify_all();
  if (stopReturned_) {
    ++accessesAfterStop_;
    if (isRow) ++rowsAfterStop_;
  }
  return !stop_.stop_requested();
}

std::vector<ResultRow> StopAwareRunWindow::Rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

std::vector<std::string> StopAwareRunWindow::ShownKeywords() const {
  std::lock_guard lock(mutex_);
  return shownKeywords_;
}

int StopAwareRunWindow::FinishedShown() const {
  std::lock_guard lock(mutex_);
  return finishedShown_;
}

int StopAwareRunWindow::SliderQuestions() const {
  std::lock_guard lock(mutex_);
  return sliderQuestions_;
}

std::vector<std::string> StopAwareRunWindow::OpenedLinks() const {
  std::lock_guard lock(mutex_);
  return openedLinks_;
}

int StopAwareRunWindow::Accesses() const {
  std::lock_guard lock(mutex_);
  return accesses_;
}

int StopAwareRunWindow::AccessesAfterStop() const {
  std::lock_guard lock(mutex_);
  return accessesAfterStop_;
}

int StopAwareRunWindow::RowsAfterStop() const {
  std::lock_guard lock(mutex_);
  return rowsAfterStop_;
}

std::string StopAwareRunWindow::CityText() {
  std::lock_guard lock(mutex_);
  return Admit(false) ? Utf8ToGbk(cityText_) : std::string();
}

std::string StopAwareRunWindow::KeywordText() {
  std::lock_guard lock(mutex_);
  return Admit(false) ? Utf8ToGbk(keywordText_) : std::string();
}

bool StopAwareRunWindow::LandlineFilter() {
  std::lock_guard lock(mutex_);
  Admit(false);
  return false;
}

bool StopAwareRunWindow::DuplicateFilter() {
  std::lock_guard lock(mutex_);
  Admit(false);
  return false;
}

bool StopAwareRunWindow::HasTelephone(std::string_view) {
  std::lock_guard lock(mutex_);
  Admit(false);
  return false;
}

void StopAwareRunWindow::ShowKeyword(std::string_view keyword) {
  std::lock_guard lock(mutex_);
  if (Admit(false)) shownKeywords_.push_back(GbkToUtf8(keyword));
}

void StopAwareRunWindow::ShowCount(std::string_view) {
  std::lock_guard lock(mutex_);
  Admit(false);
}

void StopAwareRunWindow::AppendRow(const ResultRow& row) {
  std::lock_guard lock(mutex_);
  if (!Admit(true)) return;
  ResultRow utf8;
  for (size_t i = 0; i < row.size(); ++i) utf8[i] = GbkToUtf8(row[i]);
  rows_.push_back(std::move(utf8));
}

void StopAwareRunWindow::ShowFinished() {
  std::lock_guard lock(mutex_);
  if (Admit(false)) ++finishedShown_;
}

bool StopAwareRunWindow::AskOpenSliderLink() {
  std::lock_guard lock(mutex_);
  if (!Admit(false)) return false;
  ++sliderQuestions_;
  return openSliderLink_;
}

void StopAwareRunWindow::OpenLink(std::string_view url) {
  std::lock_guard lock(mutex_);
  if (Admit(false)) openedLinks_.push_back(GbkToUtf8(url));
}

}  // namespace varnelo
