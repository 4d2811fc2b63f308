#include "text/text_search.h"

namespace varnelo {

size_t FindText(std::string_view text, std::string_view needle, size_t from) {
  // Walk character by character so a match never starts on a trail byte.
  size_t pos = 0;
  while (pos < from && pos < text.size()) {
    pos += IsGbkLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
  }
  if (pos > text.size()) return std::string_view::npos;
  while (pos + needle.size() <= text.size()) {
    if (text.compare(pos, needle.size(), needle) == 0) return pos;
    if (pos == text.size()) break;
    pos += IsGbkLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
  }
  return std::string_view::npos;
}

size_t FindLastText(std::string_view text, std::string_view needle) {
  size_t last = std::string_view::npos;
  for (size_t pos = FindText(text, needle); pos != std::string_view::npos;
       pos = FindText(text, needle, pos + (needle.empty() ? 1 : needle.size()))) {
    last = pos;
    if (pos >= text.size()) break;
  }
  return last;
}

bool ContainsText(std::string_view text, std::string_view needle) {
  return FindText(text, needle) != std::string_view::npos;
}

std::string TextBefore(std::string_view text, std::string_view separator) {
  size_t pos = FindText(text, separator);
  if (pos == std::string_view::npos) return {};
  return std::string(text.substr(0, pos));
}

std::string TextAfterLast(std::string_view text, std::string_view separator) {
  size_t pos = FindLastText(text, separator);
  if (pos == std::string_view::npos) return {};
  return std::string(text.substr(pos + separator.size()));
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  size_t start = 0;
  while (start < text.size()) {
    size_t pos = FindText(text, separator, start);
    if (pos == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      break;
    }
    pieces.emplace_back(text.substr(start, pos - start));
    start = pos + separator.size();
  }
  return pieces;
}

std::vector<std::string> SplitLines(std::string_view text) { return SplitText(text, "\r\n"); }

}  // namespace varnelo
