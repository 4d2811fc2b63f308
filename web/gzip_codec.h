#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "web/bytes.h"

namespace varnelo {

// Inflates gzip-encoded response bodies. Keeps no decompression state between
// calls, so the one shared instance serves any number of threads.
class GzipCodec {
 public:
  static constexpr size_t kChunkBytes = 8192;
  // No answer of a map service comes near this; a larger result is taken for a
  // gzip bomb rather than grown without bound.
  static constexpr size_t kMaxInflatedBytes = size_t{64} << 20;

  struct Inflated {
    Bytes bytes;
    bool tooLarge = false;  // inflating stopped at the bound; bytes is then empty
  };

  GzipCodec();

  // True once the decoder is bound; zlib is linked in, so always.
  bool ready() const { return ready_; }

  // The inflated body: everything the decoder produced, up to the first error
  // or the end of the first gzip member. Empty when nothing could be decoded,
  // and when the output would exceed kMaxInflatedBytes.
  Bytes Decompress(const Bytes& body) const;

  // As Decompress, telling a body that inflates past maxBytes apart.
  Inflated Inflate(const Bytes& body, size_t maxBytes = kMaxInflatedBytes) const;

 private:
  bool ready_ = false;
};

}  // namespace varnelo
