#include <xlsxwriter.h>

#include <string>
#include <vector>

#include "export/atomic_file.h"
#include "export/cell_text.h"
#include "export/progress_reporter.h"
#include "export/spreadsheet_export.h"
#include "export/spreadsheet_layout.h"
#include "export/xlsx_check.h"
#include "text/code_page.h"

namespace varnelo {
namespace {

// Frees a workbook that is abandoned before it was closed.
class WorkbookOwner {
 public:
  explicit WorkbookOwner(lxw_workbook* workbook) : workbook_(workbook) {}
  ~WorkbookOwner() {
    if (workbook_ != nullptr) lxw_workbook_free(workbook_);
  }
  WorkbookOwner(const WorkbookOwner&) = delete;
  WorkbookOwner& operator=(const WorkbookOwner&) = delete;

  lxw_workbook* get() const { return workbook_; }
  // workbook_close frees the workbook whatever it returns.
  lxw_error Close() {
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;
    return workbook_close(workbook);
  }

 private:
  lxw_workbook* workbook_;
};

std::string CellFailure(size_t row, size_t column, lxw_error error) {
  return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) + ": " +
         lxw_strerror(error);
}

}  // namespace

ExportResult ExportXlsx(std::span<const ResultRow> rows, const std::filesystem::path& path,
                        const ExportProgress& progress) {
  AtomicFile file(path);
  if (!file.Open()) return ExportResult::Failed(file.error());
  // The library opens the file by name when it closes the workbook.
  if (!file.HandOver()) return ExportResult::Failed(file.error());

  // Writing the rows is about two thirds of the work, zipping the rest.
  const size_t zip_share = rows.size() / 2 + 1;
  ProgressReporter reporter(progress, rows.size() + zip_share);

  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;  // rows go to temporary files, not memory
  // The rows wait in temporary files beside the target rather than in /tmp,
  // which is often memory.
  std::string folder = file.temp_path().parent_path().string();
  options.tmpdir = folder.data();
  options.use_zip64 = LXW_FALSE;  // a sheet's part stays far below 4 GB
  WorkbookOwner workbook(workbook_new_opt(file.temp_path().c_str(), &options));
  if (workbook.get() == nullptr)
    return ExportResult::Failed(
        "cannot start an .xlsx workbook (out of memory or temporary files)");

  lxw_format* text = workbook_add_format(workbook.get());
  if (text == nullptr) return ExportResult::Failed("out of memory");
  format_set_num_format(text, "@");

  const std::vector<SheetRows> sheets = SplitIntoSheets(rows.size(), kXlsxMaxSheetRows);
  for (const SheetRows& sheet : sheets) {
    lxw_worksheet* worksheet = workbook_add_worksheet(workbook.get(), nullptr);
    if (worksheet == nullptr) return ExportResult::Failed("cannot add a worksheet");
    for (size_t c = 0; c < kSpreadsheetColumns; ++c) {
      std::string title(kSpreadsheetTitles[c]);
      lxw_error error =
          worksheet_write_string(worksheet, 0, static_cast<lxw_col_t>(c), title.c_str(), text);
      if (error != LXW_NO_ERROR) return ExportResult::Failed(lxw_strerror(error));
    }
    for (size_t i = 0; i < sheet.count; ++i) {
      const size_t r = sheet.first + i;
      if (!reporter.Step(r)) return ExportResult::Cancelled();
      const lxw_row_t sheet_row = static_cast<lxw_row_t>(i + 1);
      for (size_t c = 0; c < kSpreadsheetColumns; ++c) {
        std::string utf8 = GbkToUtf8(CellText(rows[r], c));
        const lxw_col_t column = static_cast<lxw_col_t>(c);
        // An empty text still gets the text format, as a blank cell.
        lxw_error error =
            utf8.empty() ? worksheet_write_blank(worksheet, sheet_row, column, text)
                         : worksheet_write_string(worksheet, sheet_row, column, utf8.c_str(), text);
        if (error != LXW_NO_ERROR) return ExportResult::Failed(CellFailure(r, c, error));
      }
    }
  }
  if (!reporter.Step(rows.size())) return ExportResult::Cancelled();

  if (lxw_error error = workbook.Close(); error != LXW_NO_ERROR)
    return ExportResult::Failed(std::string("cannot write the workbook: ") + lxw_strerror(error));
  std::vector<size_t> sheet_rows;
  for (const SheetRows& sheet : sheets) sheet_rows.push_back(sheet.count + 1);
  if (std::string problem = CheckXlsxSheets(file.temp_path(), sheet_rows); !problem.empty())
    return ExportResult::Failed(problem + " (is the disk full?)");
  if (!reporter.Finish()) return ExportResult::Cancelled();
  if (!file.Commit()) return ExportResult::Failed(file.error());
  return ExportResult::Ok();
}

}  // namespace varnelo
