// The header and cookie text rules over any text: CaptureCookies of a header
// block, MergeCookies of two cookie texts, UrlHost, HeaderName, HeaderValue.
//
// Input: the header block; its first line is also the old cookie text for the
// merge and the URL, its second line the new cookie text. Properties that rest
// on character boundaries are checked on ASCII input only: a lead byte of code
// page 936 swallows whatever byte follows it, so stray lead bytes legitimately
// change where items begin.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "text/text_search.h"
#include "web/cookie_text.h"

namespace {

using namespace varnelo;
using varnelo::fuzz::Check;

std::string_view LineAt(std::string_view text, size_t index) {
  for (size_t i = 0; i < index; ++i) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return {};
    text.remove_prefix(end + 1);
  }
  return text.substr(0, text.find('\n'));
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const bool ascii = IsAscii(input);

  const std::string captured = CaptureCookies(input);
  if (!ContainsText(input, "Set-Cookie")) Check(captured.empty(), "no cookie lines, no cookies");

  std::string cookies(LineAt(input, 0));
  std::string newCookies(LineAt(input, 1));
  const std::string merged = MergeCookies(cookies, newCookies);
  Check(merged == cookies, "the merged text is written back");
  std::string captureCookies = merged;
  std::string capturedCopy = captured;
  MergeCookies(captureCookies, capturedCopy);

  const std::string host = UrlHost(LineAt(input, 0));
  const std::string line(LineAt(input, 0));
  const std::string name = HeaderName(line);
  const std::string value = HeaderValue(line);
  if (!ContainsText(line, ":")) Check(name.empty() && value.empty(), "no colon, no header");

  if (ascii) {
    Check(newCookies.find(' ') == std::string::npos, "the new cookies lose their spaces");
    for (const std::string& item : SplitText(merged, "; ")) {
      Check(!std::string_view(item).ends_with("=deleted"), "deleted cookies are gone");
    }
    // New items may repeat a name and all stay; old items never do. So a
    // merge of nothing keeps one item per name, and a second such merge then
    // changes nothing.
    std::string once = merged;
    std::string none;
    MergeCookies(once, none);
    std::string twice = once;
    Check(MergeCookies(twice, none) == once, "a merge of nothing is a fixed point");
    // An empty last item is kept once and leaves the text ending in "; ",
    // which a further split no longer yields as a piece.
    if (!merged.ends_with("; ")) {
      Check(JoinUnique(merged, "; ") == merged, "a merged text has no repeats");
    }

    Check(host.find('/') == std::string::npos, "a host has no path");
    Check(host.find(':') == std::string::npos, "a host has no port");
    Check(std::none_of(host.begin(), host.end(), [](char c) { return c >= 'A' && c <= 'Z'; }),
          "a host is lower case");
    Check(name.find(':') == std::string::npos, "a header name ends at the first colon");
    Check(name.empty() || (name.front() != ' ' && name.back() != ' '), "names are trimmed");
    Check(value.empty() || (value.front() != ' ' && value.back() != ' '), "values are trimmed");
  }
  return 0;
}
