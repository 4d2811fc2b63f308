#include "json/json_code_page.h"

#include "text/code_page.h"

namespace varnelo {
namespace {

std::string_view UpToNul(std::string_view text) {
  size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

}  // namespace

bool IsAsciiText(std::string_view text) {
  // No early exit: an OR over every byte vectorises, and texts are short.
  unsigned char bits = 0;
  for (char c : text) bits |= static_cast<unsigned char>(c);
  return bits < 0x80;
}

std::string JsonTextToUtf8(std::string_view gbk) {
  gbk = UpToNul(gbk);
  return IsAsciiText(gbk) ? std::string(gbk) : GbkToUtf8(gbk);
}

std::string JsonTextToGbk(std::string_view utf8) {
  utf8 = UpToNul(utf8);
  if (IsAsciiText(utf8)) return std::string(utf8);
  if (utf8.find('\xED') == std::string_view::npos) return Utf8ToGbk(utf8);
  // A lone surrogate from a \u escape arrives as the three bytes ED A0..BF
  // xx, which are no UTF-8 and would become three "?". It is one character;
  // as the replacement character it becomes one "?".
  std::string text(utf8);
  for (size_t pos = 0; pos + 2 < text.size(); ++pos) {
    auto second = static_cast<unsigned char>(text[pos + 1]);
    if (static_cast<unsigned char>(text[pos]) == 0xED && second >= 0xA0 && second <= 0xBF) {
      text.replace(pos, 3, "\xEF\xBF\xBD");
      pos += 2;
    }
  }
  return Utf8ToGbk(text);
}

}  // namespace varnelo
