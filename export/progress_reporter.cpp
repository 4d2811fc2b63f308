#include "export/progress_reporter.h"

namespace varnelo {
namespace {
// Often enough for a smooth progress bar, rarely enough to cost nothing.
constexpr size_t kStride = 4096;
}  // namespace

ProgressReporter::ProgressReporter(const ExportProgress& progress, size_t total)
    : progress_(progress), total_(total) {}

bool ProgressReporter::Report(size_t done) {
  if (cancelled_) return false;
  if (progress_ && !progress_(done, total_)) cancelled_ = true;
  return !cancelled_;
}

bool ProgressReporter::Step(size_t done) {
  if (cancelled_) return false;
  if (done < next_) return true;
  next_ = done + kStride;
  return Report(done);
}

bool ProgressReporter::Finish() { return Report(total_); }

}  // namespace varnelo
