#pragma once

#include <string>
#include <string_view>

namespace varnelo {

// Baidu Maps names a city by a numeric code of its own rather than the national
// administrative code that a city line carries. This is the built-in table: 388
// lines "code,full name" in code page 936, joined by CR LF, the last line
// without one.
const std::string& BaiduCityCodes();

// The code of the first line whose name begins with name (code page 936), so
// the short names of the city picker find their full names: "广州" gives "257".
// Empty when no line matches. An empty name matches the first line.
std::string BaiduCityCode(std::string_view name);

}  // namespace varnelo
