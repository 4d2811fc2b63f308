#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace varnelo {

// Query-string text for a code-page-936 text. toUtf8: encode the UTF-8 form
// (what the map services expect) instead of the 936 bytes. keepPlain: leave
// A-Z, a-z, 0-9, "-" and "." as they are; every other byte becomes "%XX" with
// upper-case hex digits. Every caller in the system passes both switches on.
std::string EncodeUrlText(std::string_view text, bool toUtf8 = true, bool keepPlain = true);

// The reverse of the percent encoding: "%XX" (either case) becomes that byte,
// everything else is copied. A "%" without two hex digits behind it is copied as
// it stands, so a stray percent sign never swallows the bytes that follow.
// toGbk: the decoded bytes are UTF-8 and are converted to code page 936.
std::string DecodeUrlText(std::string_view text, bool toGbk = true);

enum class UnixTimeUnit { kMilliseconds, kSeconds };

// The Unix time as decimal text: 13 digits in milliseconds, 10 in seconds (the
// first 10 characters of the millisecond text). The services compare it with
// China Standard Time, which is UTC+8, so the Unix time is exactly what they
// expect whatever zone this machine is set to.
std::string UnixTimeText(UnixTimeUnit unit, std::chrono::system_clock::time_point now);
std::string UnixTimeText(UnixTimeUnit unit = UnixTimeUnit::kMilliseconds);

}  // namespace varnelo
