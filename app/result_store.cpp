#include "app/result_store.h"

namespace varnelo {

void ResultStore::Append(const ResultRow& row) {
  if (size_ % kRowsPerBlock == 0) {
    Block& block = blocks_.emplace_back();
    block.cellEnds.reserve(kRowsPerBlock * kResultColumnCount);
  }
  Block& block = blocks_.back();
  for (const std::string& cell : row) {
    block.text += cell;
    block.cellEnds.push_back(block.text.size());
  }
  ++size_;
  if (telephonesIndexed_) telephones_.insert(row[kColumnTelephone]);
}

void ResultStore::Clear() {
  blocks_.clear();
  size_ = 0;
  telephonesIndexed_ = false;
  telephones_.clear();
}

std::string_view ResultStore::Cell(size_t row, size_t column) const {
  if (row >= size_ || column >= kResultColumnCount) return {};
  const Block& block = blocks_[row / kRowsPerBlock];
  const size_t cell = (row % kRowsPerBlock) * kResultColumnCount + column;
  const size_t begin = cell == 0 ? 0 : block.cellEnds[cell - 1];
  return std::string_view(block.text).substr(begin, block.cellEnds[cell] - begin);
}

ResultRow ResultStore::Row(size_t row) const {
  ResultRow cells;
  for (size_t column = 0; column < kResultColumnCount; ++column) {
    cells[column] = std::string(Cell(row, column));
  }
  return cells;
}

bool ResultStore::HasTelephone(std::string_view telephone) const {
  if (!telephonesIndexed_) {
    for (size_t row = 0; row < size_; ++row) {
      telephones_.emplace(Cell(row, kColumnTelephone));
    }
    telephonesIndexed_ = true;
  }
  return telephones_.find(std::string(telephone)) != telephones_.end();
}

}  // namespace varnelo
