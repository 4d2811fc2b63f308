#include "tests/app/app_test_support.h"

#include <gtest/gtest.h>

#include "app/box_text.h"

namespace varnelo::testing {

bool PumpUntil(const std::function<bool()>& done, int limitMs) {
  return QTest::qWaitFor(done, limitMs);
}

void DoubleClick(QWidget* widget, QPoint position) {
  QTest::mousePress(widget, Qt::LeftButton, {}, position);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
  QTest::mousePress(widget, Qt::LeftButton, {}, position);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

std::string Gbk(const QString& text) { return ToGbk(text); }

ResultRow GbkRow(const std::vector<QString>& cells) {
  ResultRow row;
  for (size_t column = 0; column < row.size() && column < cells.size(); ++column) {
    row[column] = ToGbk(cells[column]);
  }
  return row;
}

DialogCloser FakeDialogs::Inform(const QString& caption, const QString& text, BoxIcon icon,
                                 std::function<void()> done) {
  const size_t index = boxes.size();
  boxes.push_back({caption, text, false, false, false,
                   [done](bool) {
                     if (done) done();
                   },
                   icon});
  return [this, index] { boxes[index].closedByProgram = true; };
}

DialogCloser FakeDialogs::AskYesNo(const QString& caption, const QString& text,
                                   std::function<void(bool yes)> answered) {
  const size_t index = boxes.size();
  boxes.push_back({caption, text, true, false, false, std::move(answered)});
  return [this, index] { boxes[index].closedByProgram = true; };
}

std::optional<QString> FakeDialogs::AskSavePath(const SaveDialogOptions& options) {
  saveDialogs.push_back(options);
  if (duringSave) duringSave();
  const size_t index = saveDialogs.size() - 1;
  return index < savePaths.size() ? savePaths[index] : std::nullopt;
}

void FakeDialogs::Answer(size_t index, bool yes) {
  ASSERT_LT(index, boxes.size());
  Box& box = boxes[index];
  ASSERT_FALSE(box.answered) << "a box is answered once";
  ASSERT_FALSE(box.closedByProgram) << "the box was taken away";
  box.answered = true;
  if (box.answer) box.answer(yes);
}

void Gate::Open() {
  {
    std::lock_guard lock(mutex_);
    open_ = true;
  }
  opened_.notify_all();
}

bool Gate::Wait(const std::stop_token& stop) {
  std::unique_lock lock(mutex_);
  return opened_.wait(lock, stop, [this] { return open_; });
}

}  // namespace varnelo::testing
