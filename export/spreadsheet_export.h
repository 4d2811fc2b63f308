#pragma once

#include <filesystem>
#include <span>

#include "export/export_result.h"
#include "text/result_row.h"

namespace varnelo {

// The workbook holds a title row ("编号", "店铺名", "联系电话", "联系地址",
// "区域") and below it columns 0 to 4 of every row, each cell text with the
// number format "@" so that numbers keep their leading zeros and all their
// digits; an empty text is an empty cell (still text-formatted). A sheet
// that is full goes on in a new sheet that starts with the title row again,
// so nothing is lost to a sheet's row limit. The file replaces the target
// only when it is complete. Progress is in the exporter's own units.

enum class SpreadsheetFormat {
  kXls,   // Excel 97-2003 (BIFF8 in a compound file), 65,536 rows a sheet
  kXlsx,  // Office Open XML, 1,048,576 rows a sheet
};

// ".xls" in any letter case gives kXls; every other name gives kXlsx, the
// default workbook format of today's spreadsheet applications. The name
// itself is never changed.
SpreadsheetFormat SpreadsheetFormatFor(const std::filesystem::path& path);

// Writes the format that the path's name asks for.
ExportResult ExportSpreadsheet(std::span<const ResultRow> rows, const std::filesystem::path& path,
                               const ExportProgress& progress = {});

ExportResult ExportXls(std::span<const ResultRow> rows, const std::filesystem::path& path,
                       const ExportProgress& progress = {});

ExportResult ExportXlsx(std::span<const ResultRow> rows, const std::filesystem::path& path,
                        const ExportProgress& progress = {});

}  // namespace varnelo
