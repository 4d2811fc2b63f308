// GbkToUtf8 and Utf8ToGbk over any bytes: the UTF-8 side is always well-formed,
// no result holds a NUL, and one round trip reaches a fixed point.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "text/code_page.h"

namespace {

using namespace varnelo;
using varnelo::fuzz::Check;
using varnelo::fuzz::IsUtf8;

bool HasNul(const std::string& text) { return text.find('\0') != std::string::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  const std::string utf8 = GbkToUtf8(input);
  Check(IsUtf8(utf8), "GbkToUtf8 gives well-formed UTF-8");
  Check(!HasNul(utf8), "GbkToUtf8 ends at the first NUL");
  // The text ends at its first NUL, so only what comes before it converts.
  const std::string_view beforeNul = input.substr(0, input.find('\0'));
  Check(utf8.empty() == beforeNul.empty(), "a text converts to a text");

  const std::string gbk = Utf8ToGbk(input);
  Check(!HasNul(gbk), "Utf8ToGbk ends at the first NUL");

  // Characters that code page 936 holds go there and back unchanged;
  // everything else has become "?" by the first trip.
  const std::string once = GbkToUtf8(Utf8ToGbk(utf8));
  Check(GbkToUtf8(Utf8ToGbk(once)) == once, "a round trip is a fixed point");
  Check(Utf8ToGbk(GbkToUtf8(gbk)) == gbk, "code page 936 text survives a trip to UTF-8");
  return 0;
}
