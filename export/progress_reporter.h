#pragma once

#include <cstddef>

#include "export/export_result.h"

namespace varnelo {

// Calls an ExportProgress every few thousand units of work, and once at the
// end, and remembers when the callback asked to stop.
class ProgressReporter {
 public:
  ProgressReporter(const ExportProgress& progress, size_t total);

  // Reports done if enough work has passed since the last report; false once
  // the export is to stop.
  bool Step(size_t done);
  // Reports that all the work is done; false if the callback cancels even now.
  bool Finish();
  bool cancelled() const { return cancelled_; }

 private:
  bool Report(size_t done);

  const ExportProgress& progress_;
  size_t total_;
  size_t next_ = 0;
  bool cancelled_ = false;
};

}  // namespace varnelo
