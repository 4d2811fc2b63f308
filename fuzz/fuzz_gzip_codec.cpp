// GzipCodec::Decompress of any bytes; then the input itself, gzip-compressed
// here, must inflate back to exactly the input.

#include <zlib.h>

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "web/gzip_codec.h"

namespace {

using varnelo::Bytes;
using varnelo::GzipCodec;
using varnelo::fuzz::Check;

Bytes Gzip(const uint8_t* data, size_t size) {
  z_stream stream{};
  Check(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) ==
            Z_OK,
        "deflateInit2");
  Bytes out(deflateBound(&stream, static_cast<uLong>(size)) + 32);
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  Check(deflate(&stream, Z_FINISH) == Z_STREAM_END, "deflate");
  out.resize(out.size() - stream.avail_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const GzipCodec codec;
  const Bytes body(data, data + size);

  const Bytes inflated = codec.Decompress(body);
  Check(inflated.size() <= GzipCodec::kMaxInflatedBytes, "the result stays within the bound");

  // A small bound is a bomb in miniature: either the whole result fits, or the
  // result is empty and says so.
  const size_t smallBound = size % 4096;
  const GzipCodec::Inflated bounded = codec.Inflate(body, smallBound);
  if (bounded.tooLarge) {
    Check(bounded.bytes.empty(), "a body past the bound gives no bytes");
    Check(inflated.size() > smallBound, "only a larger result is too large");
  } else {
    Check(bounded.bytes == inflated, "a result within the bound is the whole result");
  }

  if (size > 0) {
    Check(codec.Decompress(Gzip(data, size)) == body, "a gzip stream inflates to its input");
  }
  return 0;
}
