// EncodeUrlText and DecodeUrlText over any text, with every switch: the encoded
// text is plain query-string text, and decoding undoes encoding.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "collect/url_text.h"
#include "fuzz/fuzz_check.h"
#include "text/code_page.h"

namespace {

using namespace varnelo;
using varnelo::fuzz::Check;

bool IsQueryText(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '%';
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // Decoding anything terminates and never grows the text (before the code
  // page conversion).
  Check(DecodeUrlText(input, false).size() <= input.size(), "decoding never grows a text");
  DecodeUrlText(input, true);

  for (const bool keepPlain : {true, false}) {
    const std::string raw = EncodeUrlText(input, false, keepPlain);
    Check(IsQueryText(raw), "encoded text is plain query-string text");
    Check(DecodeUrlText(raw, false) == input, "decoding undoes encoding of the bytes");
    if (!keepPlain) Check(raw.size() == 3 * input.size(), "every byte encoded is three bytes");

    const std::string utf8 = EncodeUrlText(input, true, keepPlain);
    Check(IsQueryText(utf8), "encoded UTF-8 is plain query-string text");
    Check(DecodeUrlText(utf8, true) == Utf8ToGbk(GbkToUtf8(input)),
          "decoding undoes encoding of the UTF-8 form");
  }
  return 0;
}
