#include "json/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace varnelo {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendUnicodeEscape(uint32_t codePoint, std::string& out) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(codePoint >> shift) & 0xF];
}

bool NeedsUnicodeEscape(uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x600 && c <= 0x604) ||
         c == 0x70F || c == 0x17B4 || c == 0x17B5 || (c >= 0x200C && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
         (c >= 0xFFF0 && c <= 0xFFFF);
}

// Length of the UTF-8 sequence that starts at text[pos] and its code point; a
// byte that starts no well-formed sequence counts as one byte on its own.
size_t DecodeUtf8(std::string_view text, size_t pos, uint32_t& codePoint) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
  unsigned char lead = byte(0);
  size_t length = lead < 0x80   ? 1
                  : lead < 0xC2 ? 0
                  : lead < 0xE0 ? 2
                  : lead < 0xF0 ? 3
                  : lead < 0xF5 ? 4
                                : 0;
  if (length == 0 || pos + length > text.size()) {
    codePoint = lead;
    return 1;
  }
  codePoint = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      codePoint = lead;
      return 1;
    }
    codePoint = (codePoint << 6) | (byte(i) & 0x3F);
  }
  return length;
}

}  // namespace

std::string NumberText(double number) {
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::general, 13);
  return std::string(buffer, result.ptr);
}

void AppendJsonNumber(double number, std::string& out) {
  if (!std::isfinite(number)) {
    out += "null";
    return;
  }
  if (number == 0) {  // -0 too
    out += '0';
    return;
  }
  if (number < 0) {
    out += '-';
    number = -number;
  }
  // Shortest round-trip digits, then the script language's layout of them.
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific);
  std::string_view scientific(buffer, static_cast<size_t>(result.ptr - buffer));
  size_t e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e)) {
    if (c != '.') digits += c;
  }
  int exponent = 0;
  std::string_view exponentText = scientific.substr(e + 1);
  if (!exponentText.empty() && exponentText[0] == '+') exponentText.remove_prefix(1);
  std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

  const int k = static_cast<int>(digits.size());
  const int n = exponent + 1;  // the decimal point sits after n digits
  if (k <= n && n <= 21) {
    out += digits;
    out.append(static_cast<size_t>(n - k), '0');
  } else if (0 < n && n <= 21) {
    out.append(digits, 0, static_cast<size_t>(n));
    out += '.';
    out.append(digits, static_cast<size_t>(n));
  } else if (-6 < n && n <= 0) {
    out += "0.";
    out.append(static_cast<size_t>(-n), '0');
    out += digits;
  } else {
    out += digits[0];
    if (k > 1) {
      out += '.';
      out.append(digits, 1);
    }
    out += 'e';
    out += n - 1 < 0 ? '-' : '+';
    out += std::to_string(n - 1 < 0 ? 1 - n : n - 1);
  }
}

void AppendJsonString(std::string_view utf8, std::string& out) {
  out += '"';
  size_t pos = 0;
  while (pos < utf8.size()) {
    char c = utf8[pos];
    switch (c) {
      case '"':
        out += "\\\"";
        ++pos;
        continue;
      case '\\':
        out += "\\\\";
        ++pos;
        continue;
      case '\b':
        out += "\\b";
        ++pos;
        continue;
      case '\t':
        out += "\\t";
        ++pos;
        continue;
      case '\n':
        out += "\\n";
        ++pos;
        continue;
      case '\f':
        out += "\\f";
        ++pos;
        continue;
      case '\r':
        out += "\\r";
        ++pos;
        continue;
      default:
        break;
    }
    uint32_t codePoint = 0;
    size_t length = DecodeUtf8(utf8, pos, codePoint);
    if (length > 1 || static_cast<unsigned char>(c) < 0x80) {
      if (NeedsUnicodeEscape(codePoint)) {
        AppendUnicodeEscape(codePoint, out);
      } else {
        out.append(utf8, pos, length);
      }
    } else {
      out += c;  // a stray byte: passed on for the code-page conversion to replace
    }
    pos += length;
  }
  out += '"';
}

}  // namespace varnelo
