#pragma once

#include <string>
#include <string_view>

namespace varnelo {

// The document's side of the code-page boundary. Like every text of the system
// the input ends at its first NUL. Pure ASCII is the same in both encodings and
// is copied without a conversion: most answers, and nearly every path, are.

// Code page 936 to UTF-8, for the parser.
std::string JsonTextToUtf8(std::string_view gbk);

// UTF-8 to code page 936, with "?" for what the code page cannot hold.
std::string JsonTextToGbk(std::string_view utf8);

bool IsAsciiText(std::string_view text);

}  // namespace varnelo
