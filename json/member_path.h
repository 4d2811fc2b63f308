#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace varnelo {

// Member paths name a value below the root the way script code writes member
// access, without the root's own name: "content", "content[3].tel",
// "data['poi_list'][2]['disp_name']". The grammar is deliberately small:
//
//   path  = first { step }
//   first = name                 (or, where allowed, a bracket step)
//   step  = "." name | "[" digits "]" | "['" quoted "']"
//   name  = letter-or-underscore { letter | digit | underscore }
//
// A quoted name may hold any code-page-936 text except a single quote, a
// backslash, a NUL or a line break. Anything else is not a path.

// Whether a path may open with a bracket step ("[0].tel") or must open with a
// name. Some operations reach their value as root + "." + path, for which a
// leading bracket can never be valid.
enum class PathStart { kName, kNameOrBracket };

struct PathStep {
  enum Kind { kMember, kElement };
  Kind kind = kMember;
  // kMember: the name as written (code page 936, quotes removed).
  // kElement: the digits as written.
  std::string_view text;
  // kElement: the index value, or kIndexOverflow when the digits do not fit.
  uint64_t index = 0;
  // Where the step begins in the path text.
  size_t offset = 0;
};

inline constexpr uint64_t kIndexOverflow = UINT64_MAX;

// Reads a path one step at a time, so that looking a value up never builds a
// list of steps or allocates.
class PathReader {
 public:
  PathReader(std::string_view path, PathStart start) : path_(path), start_(start) {}

  // Reads the next step into step. Returns false at the end of the path and
  // when the text there is outside the grammar; failed() tells the two apart.
  bool Next(PathStep& step);

  bool failed() const { return failed_; }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }

  std::string_view path_;
  PathStart start_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// True when the whole text is a path of the grammar. An empty text is not.
bool IsMemberPath(std::string_view path, PathStart start);

// The member name a bracketed index stands for on an object: element 3 of an
// object is its member "3". Leading zeros are dropped ("007" names "7").
std::string_view IndexMemberName(std::string_view digits);

// The element a member name stands for on an array: "3" is element 3. Only the
// canonical decimal form counts ("03" is an ordinary name); kIndexOverflow when
// the name is not an index.
uint64_t ArrayIndexOfName(std::string_view name);

}  // namespace varnelo
