#include "export/xls_shared_strings.h"

#include <unicode/ustring.h>

#include <string>
#include <utility>

#include "text/code_page.h"

namespace varnelo {
namespace {

uint32_t HashOf(std::string_view text) {
  size_t hash = std::hash<std::string_view>{}(text);
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

}  // namespace

XlsSharedStrings::XlsSharedStrings(TextOf text_of) : text_of_(std::move(text_of)) {
  slots_.assign(1024, 0);
}

void XlsSharedStrings::Grow() {
  std::vector<uint32_t> bigger(slots_.size() * 2, 0);
  size_t mask = bigger.size() - 1;
  for (uint32_t index = 0; index < keys_.size(); ++index) {
    size_t slot = hashes_[index] & mask;
    while (bigger[slot] != 0) slot = (slot + 1) & mask;
    bigger[slot] = index + 1;
  }
  slots_ = std::move(bigger);
}

uint32_t XlsSharedStrings::Add(uint32_t key, std::string_view gbk) {
  uint32_t hash = HashOf(gbk);
  size_t mask = slots_.size() - 1;
  size_t slot = hash & mask;
  while (slots_[slot] != 0) {
    uint32_t index = slots_[slot] - 1;
    if (hashes_[index] == hash && text_of_(keys_[index]) == gbk) return index;
    slot = (slot + 1) & mask;
  }
  if (!Encode(gbk)) return kTooLong;
  uint32_t index = count_++;
  keys_.push_back(key);
  hashes_.push_back(hash);
  slots_[slot] = index + 1;
  // Half full at most keeps the probe sequences short.
  if (keys_.size() * 2 > slots_.size()) Grow();
  return index;
}

void XlsSharedStrings::FinishAdding() {
  std::vector<uint32_t>().swap(slots_);
  std::vector<uint32_t>().swap(hashes_);
  std::vector<uint32_t>().swap(keys_);
}

bool XlsSharedStrings::Encode(std::string_view gbk) {
  // Through UTF-8 so that the conversion rules stay those of text/.
  std::string utf8 = GbkToUtf8(gbk);
  // A UTF-8 text never has more UTF-16 units than bytes.
  wide_.resize(utf8.size());
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(wide_.data()), static_cast<int32_t>(wide_.size()),
                       &length, utf8.data(), static_cast<int32_t>(utf8.size()), 0xFFFD, nullptr,
                       &status);
  if (U_FAILURE(status)) length = 0;
  if (static_cast<size_t>(length) > kMaxCharacters) return false;
  wide_.resize(static_cast<size_t>(length));

  bool one_byte = true;
  for (char16_t unit : wide_) one_byte = one_byte && unit <= 0xFF;
  encoded_.push_back(static_cast<uint8_t>(length));
  encoded_.push_back(static_cast<uint8_t>(length >> 8));
  encoded_.push_back(one_byte ? 0 : 1);
  for (char16_t unit : wide_) {
    encoded_.push_back(static_cast<uint8_t>(unit));
    if (!one_byte) encoded_.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return true;
}

}  // namespace varnelo
