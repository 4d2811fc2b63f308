#include <string>

#include "export/atomic_file.h"
#include "export/cell_text.h"
#include "export/compound_file.h"
#include "export/progress_reporter.h"
#include "export/spreadsheet_export.h"
#include "export/spreadsheet_layout.h"
#include "export/xls_shared_strings.h"
#include "export/xls_workbook_stream.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

// Keys of the shared strings: the titles first, then the list's cells in
// row order.
constexpr uint32_t kTitleKeys = kSpreadsheetColumns;

std::string TooLongReason(size_t row, size_t column) {
  return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) +
         " holds more than " + std::to_string(XlsSharedStrings::kMaxCharacters) +
         " characters, more than a spreadsheet cell can hold";
}

}  // namespace

ExportResult ExportXls(std::span<const ResultRow> rows, const std::filesystem::path& path,
                       const ExportProgress& progress) {
  // Every cell gets a 32-bit key.
  if (rows.size() > (UINT32_MAX - kTitleKeys) / kSpreadsheetColumns)
    return ExportResult::Failed("the list is too long for an .xls workbook");

  AtomicFile file(path);
  if (!file.Open()) return ExportResult::Failed(file.error());

  // Two passes over the list: one collects the shared strings, one writes.
  ProgressReporter reporter(progress, 2 * rows.size());

  std::array<std::string, kSpreadsheetColumns> titles;
  for (size_t c = 0; c < kSpreadsheetColumns; ++c) titles[c] = Utf8ToGbk(kSpreadsheetTitles[c]);
  XlsSharedStrings strings([&](uint32_t key) -> std::string_view {
    if (key < kTitleKeys) return titles[key];
    uint32_t cell = key - kTitleKeys;
    return CellText(rows[cell / kSpreadsheetColumns], cell % kSpreadsheetColumns);
  });

  XlsWorkbookContent content;
  content.sheets = SplitIntoSheets(rows.size(), kXlsMaxSheetRows);
  for (uint32_t c = 0; c < kSpreadsheetColumns; ++c)
    content.title_strings[c] = strings.Add(c, titles[c]);
  content.cell_strings.resize(rows.size() * kSpreadsheetColumns, XlsWorkbookContent::kEmpty);
  // Every sheet repeats the titles.
  uint64_t string_cells = uint64_t{kSpreadsheetColumns} * content.sheets.size();
  for (size_t r = 0; r < rows.size(); ++r) {
    if (!reporter.Step(r)) return ExportResult::Cancelled();
    for (size_t c = 0; c < kSpreadsheetColumns; ++c) {
      std::string_view text = CellText(rows[r], c);
      if (text.empty()) continue;
      uint32_t key = static_cast<uint32_t>(kTitleKeys + r * kSpreadsheetColumns + c);
      uint32_t index = strings.Add(key, text);
      if (index == XlsSharedStrings::kTooLong) return ExportResult::Failed(TooLongReason(r, c));
      content.cell_strings[r * kSpreadsheetColumns + c] = index;
      ++string_cells;
    }
  }
  strings.FinishAdding();
  content.unique_strings = strings.size();
  if (string_cells > UINT32_MAX)
    return ExportResult::Failed("the list is too long for an .xls workbook");
  content.string_cells = static_cast<uint32_t>(string_cells);
  content.encoded_strings = strings.encoded();

  // A dry run finds where every record lands; the stream has to fit the
  // 32-bit positions that records point with.
  CountingSink counter;
  XlsStreamLayout planned;
  (void)WriteXlsWorkbookStream(counter, content, {}, planned, nullptr, 0);
  std::optional<CompoundFileLayout> layout = PlanCompoundFile(planned.size);
  if (!layout || planned.size > UINT32_MAX)
    return ExportResult::Failed("the list is too long for an .xls workbook (over 4 GB)");

  CompoundFileWriter container(file, *layout, "Workbook");
  XlsStreamLayout written;
  if (!WriteXlsWorkbookStream(container, content, planned, written, &reporter, rows.size()))
    return ExportResult::Cancelled();
  if (file.failed()) return ExportResult::Failed(file.error());
  if (!(written == planned) || !container.Finish(planned.size))
    return ExportResult::Failed("internal error: the workbook layout changed while writing");
  if (!reporter.Finish()) return ExportResult::Cancelled();
  if (!file.Commit()) return ExportResult::Failed(file.error());
  return ExportResult::Ok();
}

}  // namespace varnelo
