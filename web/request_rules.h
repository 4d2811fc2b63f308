#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnelo {

// The rules of one web request that do not touch the network, kept
// apart from the exchange so that they can be tested as tables.

// 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 DELETE, 5 OPTIONS, 6 TRACE, 7 CONNECT,
// any other number GET.
std::string_view MethodName(int method);

// puts "http://" in front of a URL that contains neither "http://" nor
// "https://" (case-sensitive, anywhere). True when it changed url.
bool CorrectScheme(std::string& url);

// the timeout for timeoutSeconds in milliseconds, or nothing for -1 (the
// client keeps its own). 1 or more gives timeoutSeconds x 1000; 0 and every other
// value below 1 give 15000. The platform takes 32-bit signed milliseconds, so a
// value above 2147483 s is clamped to 2147483647 ms.
std::optional<int64_t> TimeoutMilliseconds(int timeoutSeconds);

inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.102 Safari/537.36";

// the header text completed with the default headers it lacks, in the
// table's order. A default is added when its search key ("Accept:", "Referer:",
// "Accept-Language:", "User-Agent:", "Content-Type:") occurs nowhere in the text
// (exact and case-sensitive); each added line is preceded by CR LF, except that an
// empty text becomes exactly "Accept: */*". The Referer is "http://" + UrlHost(url).
std::string CompleteRequestHeaders(std::string_view headers, std::string_view url);

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// Steps 10 and 11: the (name, value) pairs handed to the client, in order: "Cookie"
// first when cookies is not empty, then each non-empty line of the completed text
// as HeaderName / HeaderValue (the whole text as one line when it holds no CR LF).
// A line with an empty name has no effect, and so has one whose name or value
// still holds a lone CR or LF: the platform refuses such a header, and passing it
// on would smuggle extra lines into the request.
HeaderList RequestHeaderLines(std::string_view cookies, std::string_view completedHeaders);

// the completed header text contains "Accept-Encoding: gzip" or
// "Accept-Encoding:gzip" (case-sensitive, anywhere).
bool AsksForGzip(std::string_view completedHeaders);

}  // namespace varnelo
