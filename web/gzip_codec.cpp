#include "web/gzip_codec.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace varnelo {

GzipCodec::GzipCodec() : ready_(true) {}

Bytes GzipCodec::Decompress(const Bytes& body) const { return Inflate(body).bytes; }

GzipCodec::Inflated GzipCodec::Inflate(const Bytes& body, size_t maxBytes) const {
  Inflated result;
  if (body.empty()) return result;

  z_stream stream{};
  // 15 window bits + 16: a gzip wrapper is expected, header and trailer checked.
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return result;

  std::array<uint8_t, kChunkBytes> output;
  size_t offset = 0;
  int status = Z_OK;
  do {
    const size_t chunk = std::min(kChunkBytes, body.size() - offset);
    // zlib does not write through next_in; the cast only satisfies its API.
    stream.next_in = const_cast<Bytef*>(body.data() + offset);
    stream.avail_in = static_cast<uInt>(chunk);
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());

    status = inflate(&stream, Z_NO_FLUSH);

    const size_t produced = output.size() - stream.avail_out;
    if (result.bytes.size() + produced > maxBytes) {
      result.bytes = {};
      result.tooLarge = true;
      break;
    }
    result.bytes.insert(result.bytes.end(), output.data(), output.data() + produced);
    offset += chunk - stream.avail_in;
    // Z_OK: more to do. Z_STREAM_END, an error, or Z_BUF_ERROR once the input
    // is used up all end the loop, so a truncated stream cannot spin.
  } while (status == Z_OK);

  inflateEnd(&stream);
  return result;
}

}  // namespace varnelo
