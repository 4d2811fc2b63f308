#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace varnelo {

// The exported columns are the first five of a ResultRow, under these titles
// (UTF-8).
inline constexpr size_t kSpreadsheetColumns = 5;
inline constexpr std::array<std::string_view, kSpreadsheetColumns> kSpreadsheetTitles = {
    "编号", "店铺名", "联系电话", "联系地址", "区域"};

// Most rows a sheet holds, title row included.
inline constexpr size_t kXlsMaxSheetRows = 65536;
inline constexpr size_t kXlsxMaxSheetRows = 1048576;

// One sheet's share of the list: count list rows from first, below the title
// row.
struct SheetRows {
  size_t first = 0;
  size_t count = 0;
  bool operator==(const SheetRows&) const = default;
};

// Spreads row_count list rows over as many sheets as needed, each starting
// with the title row, so that no row is lost to a sheet's row limit. An empty
// list gives one sheet with only the title row.
std::vector<SheetRows> SplitIntoSheets(size_t row_count, size_t max_sheet_rows);

}  // namespace varnelo
