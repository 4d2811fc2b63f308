#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace varnelo {

// One row of the results list: six code-page-936 texts. The collection run writes
// rows and the exports read them, addressing the cells by these indexes.
enum ResultColumn : size_t {
  kColumnNumber = 0,      // running number within its run, from 1
  kColumnName = 1,        // shop name
  kColumnTelephone = 2,   // telephone
  kColumnAddress = 3,     // address
  kColumnArea = 4,        // area
  kColumnCoordinates = 5  // x, the full-width comma, y
};
inline constexpr size_t kResultColumnCount = 6;

using ResultRow = std::array<std::string, kResultColumnCount>;

}  // namespace varnelo
