// A gzip bomb against one web request that asks for gzip. The run never asks
// for gzip, so this is the request's own concern: the inflated body is bounded
// at 64 MiB and a body past that is a failed request, not memory without end.

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/faults/fault_support.h"
#include "tests/support/loopback_server.h"
#include "web/gzip_codec.h"
#include "web/web_request.h"

namespace varnelo {
namespace {

constexpr size_t kMiB = size_t{1} << 20;

// A gzip stream of bytes zero bytes, made a mebibyte at a time.
std::string GzipOfZeros(size_t bytes) {
  z_stream stream{};
  EXPECT_EQ(
      deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY),
      Z_OK);
  const std::vector<Bytef> zeros(kMiB, 0);
  std::vector<Bytef> buffer(64 * 1024);
  std::string out;
  for (size_t left = bytes;;) {
    const size_t now = std::min(left, zeros.size());
    left -= now;
    stream.next_in = const_cast<Bytef*>(zeros.data());
    stream.avail_in = static_cast<uInt>(now);
    const int flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    int status = Z_OK;
    do {
      stream.next_out = buffer.data();
      stream.avail_out = static_cast<uInt>(buffer.size());
      status = deflate(&stream, flush);
      out.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - stream.avail_out);
    } while (stream.avail_out == 0);
    if (flush == Z_FINISH) {
      EXPECT_EQ(status, Z_STREAM_END);
      break;
    }
  }
  deflateEnd(&stream);
  return out;
}

TEST(GzipBombTest, BodyThatInflatesToAQuarterGibibyteFailsWithinBoundedMemory) {
  constexpr size_t kInflated = size_t{256} * kMiB;
  const std::string bomb = GzipOfZeros(kInflated);
  ASSERT_LT(bomb.size(), kMiB / 2);  // about a thousandth of what it inflates to
  const std::string smallGzip = GzipOfZeros(1000);

  test::LoopbackServer server;
  server.server().Get("/bomb", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content(bomb, "application/octet-stream");
  });
  server.server().Get("/small", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Encoding", "gzip");
    response.set_content(smallGzip, "application/octet-stream");
  });
  server.Start();

  // The same route with a body that inflates within the bound: inflated.
  WebRequestArgs small;
  small.url = server.Url("/small");
  small.requestHeaders = "Accept-Encoding: gzip";
  EXPECT_EQ(WebRequestBytes(small), Bytes(1000, 0));
  EXPECT_EQ(small.status, 200);

  const size_t peakBefore = faults::PeakResidentBytes();
  for (const bool asText : {true, false}) {
    SCOPED_TRACE(asText ? "WebRequest" : "WebRequestBytes");
    WebRequestArgs args;
    args.url = server.Url("/bomb");
    args.requestHeaders = "Accept-Encoding: gzip";

    if (asText) {
      EXPECT_EQ(WebRequest(args), "");
    } else {
      EXPECT_TRUE(WebRequestBytes(args).empty());
    }
    // The exchange itself went through; only its result is refused.
    EXPECT_EQ(args.status, 200);
    EXPECT_FALSE(args.error.empty());
  }
  const size_t growth = faults::PeakResidentBytes() - peakBefore;
  std::printf("peak resident size grew by %zu MiB\n", growth / kMiB);
  if (!faults::kSanitized) {
    // Inflating stops at 64 MiB; holding the whole result alone would take
    // the quarter gibibyte, and growing it there half as much again.
    EXPECT_LT(growth, 256 * kMiB);
  }
}

}  // namespace
}  // namespace varnelo
