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
  return IsAsciiText(utf8) ? std::string(utf8) : Utf8ToGbk(utf8);
}

}  // namespace varnelo
