#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "text/result_row.h"

namespace varnelo {

// The rows of the results list, code page 936, appended at the end and cleared
// as a whole. Rows sit in blocks of a fixed number of rows, each block one text
// buffer plus the end offsets of its cells, so hundreds of thousands of rows cost
// little memory and growing the list never moves more than one block.
class ResultStore {
 public:
  size_t size() const { return size_; }
  void Append(const ResultRow& row);
  void Clear();

  std::string_view Cell(size_t row, size_t column) const;
  ResultRow Row(size_t row) const;

  // True when a row has exactly this telephone. The index behind it is built on
  // first use, so lists that never ask pay nothing for it.
  bool HasTelephone(std::string_view telephone) const;

 private:
  static constexpr size_t kRowsPerBlock = 4096;

  struct Block {
    std::string text;
    std::vector<size_t> cellEnds;  // kResultColumnCount per row, offsets into text
  };

  std::vector<Block> blocks_;
  size_t size_ = 0;

  mutable bool telephonesIndexed_ = false;
  mutable std::unordered_set<std::string> telephones_;
};

}  // namespace varnelo
