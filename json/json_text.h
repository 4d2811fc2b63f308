#pragma once

#include <string>
#include <string_view>

namespace varnelo {

// The text forms of numbers and strings that the JSON document writes.

// A number as the C format "%.13g" writes it in the "C" locale: at most 13
// significant digits, no trailing zeros, exponent form below 1e-4 and from 1e13.
// This is how a read number reaches the caller ("116.4", "13800138000").
// Independent of the process locale, which a GUI toolkit may have changed.
std::string NumberText(double number);

// A number as JSON text: the shortest digits that read back as the same double,
// laid out as the script language lays them out ("1e+21", "1.5e-7", "0.001",
// "123"), and "null" for infinities and NaN, which JSON cannot hold.
void AppendJsonNumber(double number, std::string& out);

// A UTF-8 string as a JSON string literal. The quote and the backslash are
// escaped, the five short control escapes are used, and the invisible or
// format characters that text tools tend to lose (C0 and C1 controls, soft
// hyphen, bidi and zero-width marks, line and paragraph separators, the byte
// order mark, specials) are written as \u with four lowercase hex digits.
// Everything else, Chinese included, is copied as it is.
void AppendJsonString(std::string_view utf8, std::string& out);

}  // namespace varnelo
