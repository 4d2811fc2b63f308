#include "export/text_export.h"

#include <string>
#include <string_view>

#include "export/atomic_file.h"
#include "export/cell_text.h"
#include "export/progress_reporter.h"

namespace varnelo {
namespace {

// Writes one record per row through append(record, row), then publishes the
// file.
template <typename AppendRecord>
ExportResult WriteRecords(std::span<const ResultRow> rows, const std::filesystem::path& path,
                          const ExportProgress& progress, AppendRecord append) {
  AtomicFile file(path);
  if (!file.Open()) return ExportResult::Failed(file.error());
  ProgressReporter reporter(progress, rows.size());
  std::string record;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!reporter.Step(i)) return ExportResult::Cancelled();
    record.clear();
    append(record, rows[i]);
    if (!file.Write(record)) return ExportResult::Failed(file.error());
  }
  if (!reporter.Finish()) return ExportResult::Cancelled();
  if (!file.Commit()) return ExportResult::Failed(file.error());
  return ExportResult::Ok();
}

}  // namespace

ExportResult ExportText(std::span<const ResultRow> rows, const std::filesystem::path& path,
                        const ExportProgress& progress) {
  return WriteRecords(rows, path, progress, [](std::string& out, const ResultRow& row) {
    out.append(CellText(row, kColumnTelephone));
    out.append("----");
    out.append(CellText(row, kColumnName));
    out.append("\r\n");
  });
}

ExportResult ExportTelephones(std::span<const ResultRow> rows, const std::filesystem::path& path,
                              const ExportProgress& progress) {
  return WriteRecords(rows, path, progress, [](std::string& out, const ResultRow& row) {
    out.append(CellText(row, kColumnTelephone));
    out.append("\r\n");
  });
}

ExportResult ExportContactCards(std::span<const ResultRow> rows, const std::filesystem::path& path,
                                const ExportProgress& progress, const FastCounter& counter) {
  return WriteRecords(rows, path, progress, [&counter](std::string& out, const ResultRow& row) {
    // The name field declares UTF-8 and quoted-printable, but a single ASCII
    // letter reads the same in every encoding, so nothing needs encoding.
    out.append("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:");
    out.append(RandomLetters(1, 0, counter));
    out.append("\r\nTEL;CELL:");
    out.append(CellText(row, kColumnTelephone));
    out.append("\r\nBDAY:00000000\r\nEND:VCARD\r\n");
  });
}

}  // namespace varnelo
