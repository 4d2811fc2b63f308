#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace varnelo {

enum class ExportStatus {
  kOk,
  kFailed,     // nothing was written; reason says why
  kCancelled,  // the progress callback asked to stop; nothing was written
};

// The outcome of one export. Every exporter leaves an existing target file as
// it was unless it returns kOk, so a caller may show the reason and move on.
struct [[nodiscard]] ExportResult {
  ExportStatus status = ExportStatus::kOk;
  std::string reason;  // UTF-8, for display; empty on success

  bool ok() const { return status == ExportStatus::kOk; }

  static ExportResult Ok() { return {}; }
  static ExportResult Failed(std::string why) { return {ExportStatus::kFailed, std::move(why)}; }
  static ExportResult Cancelled() { return {ExportStatus::kCancelled, "cancelled"}; }
};

// Called now and then, on the thread that runs the export, with the work done
// so far and the whole work (both in the exporter's own units; done never
// exceeds total, and the last call has done == total). Returning false cancels
// the export. An empty function means no progress is reported.
using ExportProgress = std::function<bool(size_t done, size_t total)>;

}  // namespace varnelo
