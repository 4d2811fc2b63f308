#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "export/byte_sink.h"
#include "export/progress_reporter.h"
#include "export/spreadsheet_layout.h"

namespace varnelo {

// What goes into the BIFF8 Workbook stream: the sheets, each a title row and
// a run of list rows, every cell a shared string or an empty cell.
struct XlsWorkbookContent {
  static constexpr uint32_t kEmpty = UINT32_MAX;

  std::vector<SheetRows> sheets;
  std::array<uint32_t, kSpreadsheetColumns> title_strings{};
  // kSpreadsheetColumns entries per list row: a shared string index or kEmpty.
  std::vector<uint32_t> cell_strings;
  uint32_t unique_strings = 0;
  uint32_t string_cells = 0;  // cells that refer to a shared string
  // The strings as XlsSharedStrings::encoded() holds them.
  std::span<const uint8_t> encoded_strings;
};

// Stream positions of the records that other records point to. A first run
// into a CountingSink finds them; the second run writes them into the pointing
// records and must find them in the same places.
struct XlsStreamLayout {
  struct Sheet {
    uint32_t bof = 0;
    uint32_t default_column_width = 0;
    std::vector<uint32_t> row_block_ends;  // the DBCELL record of each row block
    bool operator==(const Sheet&) const = default;
  };
  std::vector<Sheet> sheets;
  uint64_t size = 0;
  bool operator==(const XlsStreamLayout&) const = default;
};

// Writes the whole Workbook stream, pointing records taken from planned, and
// fills found with where things went. Progress steps once per list row from
// progress_base on; returns false when the export was cancelled.
bool WriteXlsWorkbookStream(ByteSink& sink, const XlsWorkbookContent& content,
                            const XlsStreamLayout& planned, XlsStreamLayout& found,
                            ProgressReporter* progress, size_t progress_base);

}  // namespace varnelo
