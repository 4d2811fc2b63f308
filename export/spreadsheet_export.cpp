#include "export/spreadsheet_export.h"

#include <string>

namespace varnelo {

SpreadsheetFormat SpreadsheetFormatFor(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension == ".xls" ? SpreadsheetFormat::kXls : SpreadsheetFormat::kXlsx;
}

ExportResult ExportSpreadsheet(std::span<const ResultRow> rows, const std::filesystem::path& path,
                               const ExportProgress& progress) {
  switch (SpreadsheetFormatFor(path)) {
    case SpreadsheetFormat::kXls:
      return ExportXls(rows, path, progress);
    case SpreadsheetFormat::kXlsx:
      break;
  }
  return ExportXlsx(rows, path, progress);
}

}  // namespace varnelo
