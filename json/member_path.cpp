#include "json/member_path.h"

#include "text/text_search.h"

namespace varnelo {
namespace {

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Decimal value of a run of digits, saturating at kIndexOverflow.
uint64_t DigitsValue(std::string_view digits) {
  uint64_t value = 0;
  for (char c : digits) {
    auto digit = static_cast<uint64_t>(c - '0');
    if (value > (kIndexOverflow - 1 - digit) / 10) return kIndexOverflow;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

bool PathReader::Next(PathStep& step) {
  if (failed_ || pos_ >= path_.size()) return false;
  step.offset = pos_;
  const bool first = pos_ == 0;
  char c = path_[pos_];

  if (c == '.' || (first && c != '[')) {
    if (c == '.') {
      if (first) return Fail();
      ++pos_;
    }
    size_t begin = pos_;
    if (pos_ >= path_.size() || !IsNameStart(path_[pos_])) return Fail();
    while (pos_ < path_.size() && IsNameChar(path_[pos_])) ++pos_;
    step.kind = PathStep::kMember;
    step.text = path_.substr(begin, pos_ - begin);
    step.index = 0;
    return true;
  }

  if (c != '[' || (first && start_ == PathStart::kName)) return Fail();
  ++pos_;
  if (pos_ < path_.size() && path_[pos_] == '\'') {
    ++pos_;
    size_t begin = pos_;
    // Walk by characters: the trail byte of a double-byte character may equal
    // the backslash and is not one. A quote never appears as a trail byte.
    while (pos_ < path_.size() && path_[pos_] != '\'') {
      auto byte = static_cast<unsigned char>(path_[pos_]);
      if (byte == '\\' || byte == '\r' || byte == '\n' || byte == 0) return Fail();
      pos_ += (IsGbkLeadByte(byte) && pos_ + 1 < path_.size()) ? 2 : 1;
    }
    if (pos_ + 1 >= path_.size() || path_[pos_ + 1] != ']') return Fail();
    step.kind = PathStep::kMember;
    step.text = path_.substr(begin, pos_ - begin);
    step.index = 0;
    pos_ += 2;
    return true;
  }

  size_t begin = pos_;
  while (pos_ < path_.size() && IsDigit(path_[pos_])) ++pos_;
  if (pos_ == begin || pos_ >= path_.size() || path_[pos_] != ']') return Fail();
  step.kind = PathStep::kElement;
  step.text = path_.substr(begin, pos_ - begin);
  step.index = DigitsValue(step.text);
  ++pos_;
  return true;
}

bool IsMemberPath(std::string_view path, PathStart start) {
  if (path.empty()) return false;
  PathReader reader(path, start);
  PathStep step;
  while (reader.Next(step)) {
  }
  return !reader.failed();
}

std::string_view IndexMemberName(std::string_view digits) {
  size_t zeros = 0;
  while (zeros + 1 < digits.size() && digits[zeros] == '0') ++zeros;
  return digits.substr(zeros);
}

uint64_t ArrayIndexOfName(std::string_view name) {
  if (name.empty() || name.size() > 10) return kIndexOverflow;
  for (char c : name) {
    if (!IsDigit(c)) return kIndexOverflow;
  }
  if (name.size() > 1 && name[0] == '0') return kIndexOverflow;
  // Script arrays stop at 2^32 - 2; a larger number is an ordinary name.
  uint64_t value = DigitsValue(name);
  return value < 4294967295u ? value : kIndexOverflow;
}

}  // namespace varnelo
