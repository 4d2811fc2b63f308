#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

// Searching and splitting code-page-936 text. A separator or needle is found only
// where a character begins: the second byte of a double-byte character may equal
// an ASCII byte such as "|" or "\\", and must never be taken for it.

// True when a double-byte character begins with this byte.
constexpr bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Position of the first occurrence of needle at or after from that starts at a
// character boundary, or npos. An empty needle is found at from.
size_t FindText(std::string_view text, std::string_view needle, size_t from = 0);

// Position of the last such occurrence, or npos.
size_t FindLastText(std::string_view text, std::string_view needle);

bool ContainsText(std::string_view text, std::string_view needle);

// The text in front of the first separator; empty when it does not occur or the
// text begins with it.
std::string TextBefore(std::string_view text, std::string_view separator);

// The text behind the last separator; empty when it does not occur.
std::string TextAfterLast(std::string_view text, std::string_view separator);

// The pieces between separators, in order. Separators at the start or next to
// each other give empty pieces; a separator at the very end gives no empty last
// piece; an empty text gives no pieces.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

// The lines of a multi-line text: SplitText at "\r\n". Lines are not trimmed.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace varnelo
