#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

// The shared string table of an .xls workbook: each distinct cell text once,
// in the order of first use, kept already encoded as BIFF8 strings. Texts are
// not copied: the caller names each by a key and text_of(key) gives it back
// whenever two texts have to be compared.
class XlsSharedStrings {
 public:
  static constexpr uint32_t kTooLong = UINT32_MAX;
  // The most characters a worksheet cell holds.
  static constexpr size_t kMaxCharacters = 32767;

  using TextOf = std::function<std::string_view(uint32_t key)>;
  explicit XlsSharedStrings(TextOf text_of);

  // The index of a non-empty code-page-936 text, adding it when it is new;
  // kTooLong when it has more characters than a cell can hold.
  uint32_t Add(uint32_t key, std::string_view gbk);

  // Frees the lookup table once every text is in.
  void FinishAdding();

  uint32_t size() const { return count_; }

  // The strings one after another, each as the SST holds it: the character
  // count (2 bytes), the flags byte (1 for two-byte characters, 0 when every
  // character fits one byte) and the characters (UTF-16LE or one byte each).
  const std::vector<uint8_t>& encoded() const { return encoded_; }

 private:
  void Grow();
  // Returns false when the text is too long.
  bool Encode(std::string_view gbk);

  TextOf text_of_;
  std::vector<uint32_t> slots_;   // 0 = free, else string index + 1
  std::vector<uint32_t> keys_;    // per string
  std::vector<uint32_t> hashes_;  // per string, to skip most comparisons
  std::vector<uint8_t> encoded_;
  uint32_t count_ = 0;
  std::u16string wide_;
};

}  // namespace varnelo
