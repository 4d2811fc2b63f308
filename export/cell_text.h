#pragma once

#include <cstddef>
#include <string_view>

#include "text/result_row.h"

namespace varnelo {

// A cell of a row as the system's text: up to its first NUL, like every text
// of the list.
inline std::string_view CellText(const ResultRow& row, size_t column) {
  std::string_view text = row[column];
  return text.substr(0, text.find('\0'));
}

}  // namespace varnelo
