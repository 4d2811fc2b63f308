#include "cli/console_window.h"

#include <istream>

#include "text/code_page.h"

namespace varnelo::cli {

std::string JoinLinesForRun(const std::vector<std::string>& utf8Lines) {
  std::string text;
  for (const std::string& line : utf8Lines) {
    text += Utf8ToGbk(line);
    text += "\r\n";
  }
  return text;
}

ConsoleWindow::ConsoleWindow(const CliOptions& options, std::FILE* progress,
                             bool progressIsTerminal, std::istream& answers)
    : options_(options),
      progress_(progress),
      progressIsTerminal_(progressIsTerminal),
      answers_(answers) {}

std::string ConsoleWindow::CityText() { return JoinLinesForRun(options_.cityLines); }

std::string ConsoleWindow::KeywordText() { return JoinLinesForRun(options_.keywords); }

bool ConsoleWindow::LandlineFilter() { return options_.mobileOnly; }

bool ConsoleWindow::DuplicateFilter() { return options_.dedupe; }

bool ConsoleWindow::HasTelephone(std::string_view telephone) {
  return telephones_.contains(std::string(telephone));
}

void ConsoleWindow::ShowKeyword(std::string_view) {}

void ConsoleWindow::ShowCount(std::string_view) {}

void ConsoleWindow::AppendRow(const ResultRow& row) {
  telephones_.insert(row[kColumnTelephone]);
  rows_.push_back(row);
}

void ConsoleWindow::ShowFinished() {
  if (options_.quiet) return;
  Say("采集完成: " + std::to_string(rows_.size()) + " rows");
}

bool ConsoleWindow::AskOpenSliderLink() {
  switch (options_.onRateLimit) {
    case RateLimitAction::kContinue:
      return true;
    case RateLimitAction::kStop:
      Say("Amap answered \"too fast\"; the run stops (--on-rate-limit continue goes on)");
      return false;
    case RateLimitAction::kAsk:
      break;
  }
  FinishProgress();
  std::fputs("是否打开滑块链接！ [y/N] ", progress_);
  std::fflush(progress_);
  std::string answer;
  if (!std::getline(answers_, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void ConsoleWindow::OpenLink(std::string_view url) {
  // A terminal has no browser to hand; the user opens the page to pass the check.
  Say("open this page in a browser: " + GbkToUtf8(url));
}

void ConsoleWindow::CityStarted(size_t index, size_t count, std::string_view cityLine) {
  cityIndex_ = index;
  cityCount_ = count;
  cityLine_ = GbkToUtf8(cityLine);
}

void ConsoleWindow::PageDone(std::string_view keyword, int page, PageOutcome outcome, int) {
  if (outcome == PageOutcome::kFailed) ++failedRequests_;
  if (options_.quiet) return;
  std::string line = "city " + std::to_string(cityIndex_ + 1) + "/" + std::to_string(cityCount_) +
                     " " + cityLine_ + " | keyword " + GbkToUtf8(keyword) + " | page " +
                     std::to_string(page) + " | " + std::to_string(rows_.size()) + " rows | " +
                     std::to_string(failedRequests_) + " failed";
  if (progressIsTerminal_) {
    // One line redrawn in place.
    std::fprintf(progress_, "\r\x1b[2K%s", line.c_str());
    std::fflush(progress_);
    progressLineOpen_ = true;
  } else {
    Say(line);
  }
}

void ConsoleWindow::FinishProgress() {
  if (!progressLineOpen_) return;
  std::fputc('\n', progress_);
  progressLineOpen_ = false;
}

void ConsoleWindow::Say(const std::string& utf8Line) {
  FinishProgress();
  std::fprintf(progress_, "%s\n", utf8Line.c_str());
  std::fflush(progress_);
}

}  // namespace varnelo::cli
