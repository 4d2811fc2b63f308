#include "web/request_rules.h"

#include <algorithm>
#include <limits>

#include "text/text_search.h"
#include "web/cookie_text.h"

namespace varnelo {
namespace {

bool HoldsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

std::string_view MethodName(int method) {
  static constexpr std::string_view kNames[] = {"GET",    "POST",    "HEAD",  "PUT",
                                                "DELETE", "OPTIONS", "TRACE", "CONNECT"};
  if (method < 0 || method >= static_cast<int>(std::size(kNames))) return kNames[0];
  return kNames[method];
}

bool CorrectScheme(std::string& url) {
  if (ContainsText(url, "http://") || ContainsText(url, "https://")) return false;
  url.insert(0, "http://");
  return true;
}

std::optional<int64_t> TimeoutMilliseconds(int timeoutSeconds) {
  if (timeoutSeconds == -1) return std::nullopt;
  if (timeoutSeconds < 1) return 15000;
  return std::min<int64_t>(int64_t{timeoutSeconds} * 1000, std::numeric_limits<int32_t>::max());
}

std::string CompleteRequestHeaders(std::string_view headers, std::string_view url) {
  const std::string referer = "Referer: http://" + UrlHost(url);
  const std::string userAgent = "User-Agent: " + std::string(kDefaultUserAgent);
  const std::pair<std::string_view, std::string_view> defaults[] = {
      {"Accept:", "Accept: */*"},
      {"Referer:", referer},
      {"Accept-Language:", "Accept-Language: zh-cn"},
      {"User-Agent:", userAgent},
      {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
  };
  std::string text(headers);
  for (const auto& [key, line] : defaults) {
    if (ContainsText(text, key)) continue;
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

HeaderList RequestHeaderLines(std::string_view cookies, std::string_view completedHeaders) {
  HeaderList list;
  if (!cookies.empty() && !HoldsLineBreak(cookies)) list.emplace_back("Cookie", cookies);
  auto add = [&list](std::string_view line) {
    std::string name = HeaderName(line);
    std::string value = HeaderValue(line);
    if (name.empty() || HoldsLineBreak(name) || HoldsLineBreak(value)) return;
    list.emplace_back(std::move(name), std::move(value));
  };
  if (!ContainsText(completedHeaders, "\r\n")) {
    add(completedHeaders);
  } else {
    for (const std::string& line : SplitLines(completedHeaders)) {
      if (!line.empty()) add(line);
    }
  }
  return list;
}

bool AsksForGzip(std::string_view completedHeaders) {
  return ContainsText(completedHeaders, "Accept-Encoding: gzip") ||
         ContainsText(completedHeaders, "Accept-Encoding:gzip");
}

}  // namespace varnelo
