#include "web/cookie_text.h"

#include <gtest/gtest.h>

#include <string>

namespace varnelo {
namespace {

TEST(HeaderTextTest, NameAndValueAreTrimmedAroundTheFirstColon) {
  struct Case {
    std::string line, name, value;
  };
  const Case cases[] = {
      {" User-Agent : x:y ", "User-Agent", "x:y"},
      {"Accept: */*", "Accept", "*/*"},
      {"no colon here", "", ""},
      {":value", "", "value"},
      {"Name:", "Name", ""},
      {"\xA1\xA1Name\xA1\xA1:\xA1\xA1v", "Name", "v"},  // full-width spaces trim too
      {"\tName\t: v", "\tName\t", "v"},                 // tabs are not spaces here
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HeaderName(c.line), c.name) << c.line;
    EXPECT_EQ(HeaderValue(c.line), c.value) << c.line;
  }
}

TEST(HeaderTextTest, UrlHostIsTheLowerCaseHostWithoutPort) {
  struct Case {
    std::string url, host;
  };
  const Case cases[] = {
      {"https://MAP.Baidu.COM:8443/path?q=1", "map.baidu.com"},
      {"http://www.amap.com/service/poiInfo", "www.amap.com"},
      {"Example.COM:8080", "example.com"},
      {"http://", ""},
      {"https://", ""},
      {"ftp://host/x", "ftp"},  // no http marker: "http://" is put in front of the text
      {"x?u=http://inner.host/a", "inner.host"},
      // The trail byte of 0x81 0x41 is an "A" that stays; only single bytes lower.
      {"http://\x81\x41.COM/", "\x81\x41.com"},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
}

TEST(CookieTextTest, CaptureTakesEverythingAfterSetCookie) {
  EXPECT_EQ(CaptureCookies("HTTP/1.1 200 OK\r\nSet-Cookie: sid=A1; path=/; HttpOnly\r\n"
                           "Content-Type: text/html\r\nSet-Cookie: lang=zh\r\n\r\n"),
            "sid=A1; path=/; HttpOnly; lang=zh");
  EXPECT_EQ(CaptureCookies("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"), "");
  EXPECT_EQ(CaptureCookies(""), "");
}

TEST(CookieTextTest, MergeFollowsTheRulesOfTheFlatCookieText) {
  struct Case {
    std::string oldCookies, newCookies, merged, newAfter;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3", "b=3; a=1", "b=3"},
      {"a=1; b=2", "a=deleted", "b=2", "a=deleted"},
      {"x=1", "s=A; path=/; s=A; path=/", "s=A; path=/; x=1", "s=A;path=/;s=A;path=/"},
      {"n=a b", "", "n=ab", ""},
      {"", "", "", ""},
      {"a=1;;b=2", "", "a=1; ; b=2", ""},
      {"a=1", "a=2; a=3", "a=2; a=3", "a=2;a=3"},  // new items are not folded by name
      {"a\xA1\xA1=1", "", "a=1", ""},              // full-width spaces go too
      // The working list grows with the old items it takes, so a later old item
      // of a name already taken is dropped as well.
      {"a=1;a=2", "", "a=1", ""},
      {"a=1; b=2; a=3", "b=9", "b=9; a=1", "b=9"},
      {"HttpOnly; a=1", "s=1; HttpOnly", "s=1; HttpOnly; a=1", "s=1;HttpOnly"},
  };
  for (const Case& c : cases) {
    std::string cookies = c.oldCookies;
    std::string newCookies = c.newCookies;
    const std::string returned = MergeCookies(cookies, newCookies);
    EXPECT_EQ(cookies, c.merged) << c.oldCookies << " + " << c.newCookies;
    EXPECT_EQ(returned, c.merged);
    EXPECT_EQ(newCookies, c.newAfter);
  }
}

TEST(CookieTextTest, CookieNameAndJoinUnique) {
  EXPECT_EQ(CookieName(" sid = A1 "), "sid");
  EXPECT_EQ(CookieName("HttpOnly"), "HttpOnly");
  EXPECT_EQ(CookieName("a=b=c"), "a");
  EXPECT_EQ(JoinUnique("a;b;a;;c;", ";"), "a;b;;c");
  EXPECT_EQ(JoinUnique("", ";"), "");
}

TEST(CookieTextTest, ReplaceNoCaseRespectsCharacterBoundaries) {
  EXPECT_EQ(ReplaceNoCase("set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie"),
            "Set-Cookie: a\r\nSet-Cookie: b");
  // 0xC8 0x73 is one character; its trail byte must not start a match of "s".
  EXPECT_EQ(ReplaceNoCase("\xC8sx", "sx", "!"), "\xC8sx");
}

}  // namespace
}  // namespace varnelo
