#pragma once

#include <string>
#include <string_view>

namespace varnelo {

// The text rules for headers and cookies. All work on code-page-936 text and
// never touch the network. Cookies live in one flat text of ";"-separated
// items with no domain, path or expiry.

// Trims ASCII spaces and the full-width space (A1 A1) at both ends.
std::string TrimSpaces(std::string_view text);
// Removes every ASCII space and full-width space.
std::string RemoveSpaces(std::string_view text);
// Replaces every occurrence of from, matched in any ASCII letter case, by to.
std::string ReplaceNoCase(std::string_view text, std::string_view from, std::string_view to);

// The trimmed text before / after the first ":" of a header line; both empty
// for a line without ":".
std::string HeaderName(std::string_view line);
std::string HeaderValue(std::string_view line);

// The lower-cased host of a URL, without scheme, path or port.
std::string UrlHost(std::string_view url);

// The cookie text a response header block sets: whatever follows
// "Set-Cookie:" on each of its lines, attributes included, joined by "; ".
std::string CaptureCookies(std::string_view headers);

// Merges newCookies into cookies: the new items in their order, then each old
// item whose name is not yet in that growing list; "=deleted" items go, and
// exact repeats are folded. Both texts lose their spaces and are written back.
// Returns a copy of the merged text.
std::string MergeCookies(std::string& cookies, std::string& newCookies);

// The trimmed text before the first "=" of a cookie item (the whole item
// without one).
std::string CookieName(std::string_view item);

// The pieces of text, each exact piece once (first occurrence wins), joined by
// separator.
std::string JoinUnique(std::string_view text, std::string_view separator);

}  // namespace varnelo
