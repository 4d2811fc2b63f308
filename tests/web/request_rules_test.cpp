#include "web/request_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace varnelo {
namespace {

const std::string kUserAgentLine = "User-Agent: " + std::string(kDefaultUserAgent);

TEST(RequestRulesTest, MethodNumbersGiveTheTableNames) {
  const std::pair<int, std::string_view> cases[] = {
      {0, "GET"},   {1, "POST"},    {2, "HEAD"}, {3, "PUT"},  {4, "DELETE"},    {5, "OPTIONS"},
      {6, "TRACE"}, {7, "CONNECT"}, {8, "GET"},  {-1, "GET"}, {INT_MAX, "GET"}, {INT_MIN, "GET"},
  };
  for (const auto& [number, name] : cases) EXPECT_EQ(MethodName(number), name) << number;
}

TEST(RequestRulesTest, TimeoutRule) {
  const std::pair<int, std::optional<int64_t>> cases[] = {
      {-1, std::nullopt},  // the client keeps its own
      {0, 15000},          // omitted
      {-5, 15000},          {INT_MIN, 15000}, {1, 1000}, {30, 30000}, {2147483, 2147483000},
      {2147484, INT32_MAX},  // no faithful 32-bit value: clamped
      {INT_MAX, INT32_MAX},
  };
  for (const auto& [seconds, ms] : cases) EXPECT_EQ(TimeoutMilliseconds(seconds), ms) << seconds;
}

TEST(RequestRulesTest, SchemeCorrection) {
  struct Case {
    std::string url, corrected;
    bool changed;
  };
  const Case cases[] = {
      {"map.baidu.com/su?wd=1", "http://map.baidu.com/su?wd=1", true},
      {"http://a/", "http://a/", false},
      {"https://a/", "https://a/", false},
      {"a/?next=http://b", "a/?next=http://b", false},  // anywhere counts
      {"HTTP://a/", "http://HTTP://a/", true},          // case-sensitive
      {"", "http://", true},
  };
  for (const Case& c : cases) {
    std::string url = c.url;
    EXPECT_EQ(CorrectScheme(url), c.changed) << c.url;
    EXPECT_EQ(url, c.corrected) << c.url;
  }
}

TEST(RequestRulesTest, DefaultHeaderCompletion) {
  const std::string accept = "Accept: */*";
  const std::string referer = "Referer: http://map.baidu.com";
  const std::string language = "Accept-Language: zh-cn";
  const std::string type = "Content-Type: application/x-www-form-urlencoded";
  const std::string crlf = "\r\n";
  const std::string afterAccept =
      crlf + referer + crlf + language + crlf + kUserAgentLine + crlf + type;
  struct Case {
    std::string given, completed;
  };
  const Case cases[] = {
      // Empty text: exactly "Accept: */*" first, no leading break.
      {"", accept + afterAccept},
      // Lower case does not count.
      {"accept: text/html", "accept: text/html" + crlf + accept + afterAccept},
      // The caller's Referer stays and no second one comes.
      {"Referer: http://x/y", "Referer: http://x/y" + crlf + accept + crlf + language + crlf +
                                  kUserAgentLine + crlf + type},
      // A trailing CR LF leaves an empty line before the defaults.
      {"X-A: 1\r\n", "X-A: 1\r\n" + crlf + accept + afterAccept},
      // The key anywhere, also inside another header's value.
      {"X-Note: Accept: none", "X-Note: Accept: none" + afterAccept},
      // Every key present: nothing added.
      {"Accept:a\r\nReferer:b\r\nAccept-Language:c\r\nUser-Agent:d\r\nContent-Type:e",
       "Accept:a\r\nReferer:b\r\nAccept-Language:c\r\nUser-Agent:d\r\nContent-Type:e"},
      // "Accept-Language:" holds no "Accept:", so Accept is still added.
      {"Accept-Language: en", "Accept-Language: en" + crlf + accept + crlf + referer + crlf +
                                  kUserAgentLine + crlf + type},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompleteRequestHeaders(c.given, "https://MAP.Baidu.com:8443/su?wd=1"), c.completed)
        << c.given;
  }
  // The Referer is always http://, the host lower-cased, without port or path.
  EXPECT_EQ(CompleteRequestHeaders("", "HTTPS://Example.COM:99/a/b")
                .find(accept + crlf + "Referer: http://example.com" + crlf),
            0u);
}

TEST(RequestRulesTest, HeaderLinesAsTheClientGetsThem) {
  struct Case {
    std::string cookies, headers;
    HeaderList lines;
  };
  const Case cases[] = {
      {"a=1; b=2", "X-B: 2\r\nX-A: 1", {{"Cookie", "a=1; b=2"}, {"X-B", "2"}, {"X-A", "1"}}},
      // No CR LF: the whole text is one line.
      {"", " Accept : */* ", {{"Accept", "*/*"}}},
      // Empty lines, lines without ":" and empty names have no effect.
      {"", "X-A: 1\r\n\r\nno colon\r\n: v\r\nX-B:", {{"X-A", "1"}, {"X-B", ""}}},
      // A lone LF or CR would smuggle a line in: such a header is left out.
      {"", "X-A: 1\nInjected: yes\r\nX-B: 2\rX\r\nX-C: 3", {{"X-C", "3"}}},
      {"a=1\r\nInjected: yes", "X-A: 1", {{"X-A", "1"}}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestHeaderLines(c.cookies, c.headers), c.lines) << c.headers;
}

TEST(RequestRulesTest, GzipIsAskedForOnlyByTheExactHeader) {
  const std::pair<std::string, bool> cases[] = {
      {"Accept-Encoding: gzip", true},
      {"Accept-Encoding:gzip", true},
      {"X: 1\r\nAccept-Encoding: gzip, deflate", true},
      {"accept-encoding: gzip", false},
      {"Accept-Encoding:  gzip", false},
      {"Accept-Encoding: deflate", false},
      {"", false},
  };
  for (const auto& [headers, asks] : cases) EXPECT_EQ(AsksForGzip(headers), asks) << headers;
}

}  // namespace
}  // namespace varnelo
