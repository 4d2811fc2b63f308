#include "export/spreadsheet_layout.h"

#include <algorithm>

namespace varnelo {

std::vector<SheetRows> SplitIntoSheets(size_t row_count, size_t max_sheet_rows) {
  const size_t per_sheet = max_sheet_rows - 1;  // below the title row
  std::vector<SheetRows> sheets;
  size_t first = 0;
  do {
    size_t count = std::min(per_sheet, row_count - first);
    sheets.push_back({first, count});
    first += count;
  } while (first < row_count);
  return sheets;
}

}  // namespace varnelo
