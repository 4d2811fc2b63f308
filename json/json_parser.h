#pragma once

#include "json/json_value.h"

#include <string>
#include <string_view>

namespace varnelo {

// JSON text into a tree, with the value model of the script language the
// member paths come from: every number is a double, and an object that names
// a member twice keeps the first position with the later value. Deeper nesting
// than kMaxJsonDepth and longer text than kMaxJsonTextBytes are parse errors.

enum class ParseOutcome {
  kParsed,
  kFailed,
  // The text escapes half of a surrogate pair on its own. Script engines take
  // that; the parser does not. ReplaceLoneSurrogates on a fresh copy of the
  // text makes it parse.
  kLoneSurrogate,
};

// Parses the whole of root.text in place (its strings stay in root.text) into
// root.tree. On failure the tree is null; the text is then spoilt.
ParseOutcome ParseRootText(JsonRoot& root);

// Rewrites every \u escape of an unpaired surrogate as \ufffd, the
// replacement character, in place: an engine would keep the lone code unit,
// and the code-page conversion turns either into one "?".
void ReplaceLoneSurrogates(std::string& json);

// Parses a UTF-8 text into value, allocating from allocator. nesting receives
// the container depth of the value (0 for a scalar). On failure value is left
// as it was and false is returned.
bool ParseJsonValue(std::string_view utf8, JsonAllocator& allocator, JsonValue& value,
                    int& nesting);

}  // namespace varnelo
