#pragma once

#include <string>
#include <string_view>

namespace varnelo {

// Text inside the system is code page 936 (GBK as Windows defines it). These are
// the two conversions to and from UTF-8. Neither ever fails: input that cannot be
// decoded, and characters the target cannot hold, become a replacement character
// ("?" in code page 936, U+FFFD in UTF-8). Like every text of the system, a result
// ends at its first NUL.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace varnelo
