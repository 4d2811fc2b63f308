#include "collect/url_text.h"

#include <algorithm>
#include <cstdint>

#include "text/code_page.h"

namespace varnelo {
namespace {

bool IsPlainByte(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
         (byte >= '0' && byte <= '9') || byte == '-' || byte == '.';
}

int HexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  return -1;
}

}  // namespace

std::string EncodeUrlText(std::string_view text, bool toUtf8, bool keepPlain) {
  if (text.empty()) return {};
  const std::string bytes = toUtf8 ? GbkToUtf8(text) : std::string(text);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (keepPlain && IsPlainByte(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string DecodeUrlText(std::string_view text, bool toGbk) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexValue(text[i + 1]);
      const int low = HexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += text[i];
  }
  return toGbk ? Utf8ToGbk(decoded) : decoded;
}

std::string UnixTimeText(UnixTimeUnit unit, std::chrono::system_clock::time_point now) {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  const int64_t ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
  int64_t seconds = ms / 1000;
  int64_t fraction = ms % 1000;
  if (fraction < 0) {  // before 1970: keep the fraction a positive 0..999
    fraction += 1000;
    seconds -= 1;
  }
  std::string millis = std::to_string(fraction);
  millis.insert(0, 3 - millis.size(), '0');
  std::string full = std::to_string(seconds) + millis;
  if (unit == UnixTimeUnit::kSeconds) full.resize(std::min<size_t>(full.size(), 10));
  return full;
}

std::string UnixTimeText(UnixTimeUnit unit) {
  return UnixTimeText(unit, std::chrono::system_clock::now());
}

}  // namespace varnelo
