#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "export/byte_sink.h"

namespace varnelo {

// BIFF8 records: a 2-byte type, a 2-byte length and at most this many bytes
// of body; longer data goes on in CONTINUE records.
inline constexpr size_t kBiffMaxBody = 8224;

// Builds one record body, little-endian.
class BiffBody {
 public:
  BiffBody& U8(uint8_t value) {
    bytes_.push_back(value);
    return *this;
  }
  BiffBody& U16(uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
  BiffBody& U32(uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
  BiffBody& F64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return U32(static_cast<uint32_t>(bits)).U32(static_cast<uint32_t>(bits >> 32));
  }
  BiffBody& Zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
  }
  BiffBody& Raw(const void* data, size_t size) {
    const uint8_t* begin = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), begin, begin + size);
    return *this;
  }
  // An ASCII or Latin-1 text as a BIFF8 string in its one-byte form: a 1- or
  // 2-byte character count, the flags byte, the characters.
  BiffBody& Latin1String(std::string_view text, bool two_byte_count) {
    if (two_byte_count) {
      U16(static_cast<uint16_t>(text.size()));
    } else {
      U8(static_cast<uint8_t>(text.size()));
    }
    U8(0);
    return Raw(text.data(), text.size());
  }

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  size_t size() const { return bytes_.size(); }
  void clear() { bytes_.clear(); }

 private:
  std::vector<uint8_t> bytes_;
};

inline void WriteBiffRecord(ByteSink& sink, uint16_t type, const void* body, size_t size) {
  uint8_t header[4] = {static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8),
                       static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
  sink.Write(header, sizeof header);
  if (size > 0) sink.Write(body, size);
}

inline void WriteBiffRecord(ByteSink& sink, uint16_t type, const BiffBody& body) {
  WriteBiffRecord(sink, type, body.bytes().data(), body.size());
}

}  // namespace varnelo
