#include "web/cookie_text.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "text/text_search.h"

namespace varnelo {
namespace {

constexpr std::string_view kFullWidthSpace = "\xA1\xA1";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

size_t CharLength(std::string_view text, size_t pos) {
  return (IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
}

}  // namespace

std::string TrimSpaces(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  // Leading: step over whole characters.
  while (begin < end) {
    if (text[begin] == ' ') {
      ++begin;
    } else if (text.substr(begin, 2) == kFullWidthSpace) {
      begin += 2;
    } else {
      break;
    }
  }
  // Trailing: find where the last run of spaces starts, walking forward so a
  // trail byte A1 of some other character is never taken for half a space.
  size_t keepEnd = begin;
  for (size_t pos = begin; pos < end;) {
    size_t length = CharLength(text, pos);
    std::string_view ch = text.substr(pos, length);
    pos += length;
    if (ch != " " && ch != kFullWidthSpace) keepEnd = pos;
  }
  return std::string(text.substr(begin, keepEnd - begin));
}

std::string RemoveSpaces(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    size_t length = CharLength(text, pos);
    std::string_view ch = text.substr(pos, length);
    if (ch != " " && ch != kFullWidthSpace) result += ch;
    pos += length;
  }
  return result;
}

std::string ReplaceNoCase(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    if (EqualsNoCase(text.substr(pos, from.size()), from)) {
      result += to;
      pos += from.size();
      continue;
    }
    size_t length = CharLength(text, pos);
    result += text.substr(pos, length);
    pos += length;
  }
  return result;
}

std::string HeaderName(std::string_view line) {
  size_t colon = FindText(line, ":");
  if (colon == std::string_view::npos) return {};
  return TrimSpaces(line.substr(0, colon));
}

std::string HeaderValue(std::string_view line) {
  size_t colon = FindText(line, ":");
  if (colon == std::string_view::npos) return {};
  return TrimSpaces(line.substr(colon + 1));
}

std::string UrlHost(std::string_view url) {
  // Only single-byte letters are lowered: the trail byte of a double-byte
  // character may fall in A..Z and must stay.
  std::string text;
  text.reserve(url.size() + 8);
  for (size_t pos = 0; pos < url.size();) {
    const size_t length = CharLength(url, pos);
    if (length == 1) {
      text += LowerAscii(url[pos]);
    } else {
      text += url.substr(pos, length);
    }
    pos += length;
  }
  if (!text.ends_with('/')) text += '/';

  std::string_view marker = "https://";
  if (!text.starts_with(marker)) {
    marker = "http://";
    if (!ContainsText(text, marker)) text.insert(0, marker);
  }
  size_t start = FindText(text, marker);
  if (start == std::string::npos) return {};
  start += marker.size();
  size_t slash = FindText(text, "/", start);
  if (slash == std::string::npos) return {};
  std::string host = text.substr(start, slash - start);
  if (size_t colon = FindText(host, ":"); colon != std::string::npos) host.resize(colon);
  return host;
}

std::string CaptureCookies(std::string_view headers) {
  constexpr std::string_view kSetCookie = "Set-Cookie:";
  std::string result;
  for (const std::string& line : SplitLines(headers)) {
    if (!ContainsText(line, "Set-Cookie")) continue;
    std::string piece;
    if (ContainsText(line, ";")) {
      size_t last = FindLastText(line, kSetCookie);
      if (last != std::string::npos) piece = line.substr(last + kSetCookie.size());
    } else {
      piece = ReplaceNoCase(line, kSetCookie, "");
    }
    result += TrimSpaces(piece);
    result += "; ";
  }
  if (result.size() >= 2) result.resize(result.size() - 2);
  return result;
}

std::string CookieName(std::string_view item) {
  size_t equals = FindText(item, "=");
  return TrimSpaces(equals == std::string_view::npos ? item : item.substr(0, equals));
}

std::string JoinUnique(std::string_view text, std::string_view separator) {
  std::unordered_set<std::string> seen;
  std::string result;
  bool first = true;
  for (std::string& piece : SplitText(text, separator)) {
    if (!seen.insert(piece).second) continue;
    if (!first) result += separator;
    result += piece;
    first = false;
  }
  return result;
}

std::string MergeCookies(std::string& cookies, std::string& newCookies) {
  cookies = RemoveSpaces(cookies);
  newCookies = RemoveSpaces(newCookies);

  std::vector<std::string> items = SplitText(newCookies, ";");
  std::unordered_set<std::string> names;
  for (const std::string& item : items) names.insert(CookieName(item));
  for (std::string& old : SplitText(cookies, ";")) {
    // Compared against the working list as it grows, as the routine always did: an old
    // item is dropped when a new item or an earlier old one has its name.
    if (names.insert(CookieName(old)).second) items.push_back(std::move(old));
  }

  constexpr std::string_view kDeleted = "=deleted";
  std::string merged;
  for (const std::string& item : items) {
    if (std::string_view(item).ends_with(kDeleted)) continue;
    merged += item;
    merged += "; ";
  }
  if (merged.size() >= 2) merged.resize(merged.size() - 2);

  cookies = JoinUnique(merged, "; ");
  return cookies;
}

}  // namespace varnelo
