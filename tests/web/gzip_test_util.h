#pragma once

#include <zlib.h>

#include <string_view>

#include "web/bytes.h"

namespace varnelo::test {

// A gzip member of the given text, as a server would send it.
inline Bytes Gzip(std::string_view text, int level = Z_DEFAULT_COMPRESSION) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&stream, text.size()) + 32);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace varnelo::test
