#pragma once

#include "json/json_value.h"

#include <string_view>

namespace varnelo {

// JSON text into a tree, with the value model of the script language the
// member paths come from: every number is a double, and an object that names
// a member twice keeps the first position with the later value. Deeper nesting
// than kMaxJsonDepth and longer text than kMaxJsonTextBytes are parse errors.

// Parses the whole of root.text in place (its strings stay in root.text) into
// root.tree. On failure the tree is null and false is returned.
bool ParseRootText(JsonRoot& root);

// Parses a UTF-8 text into value, allocating from allocator. nesting receives
// the container depth of the value (0 for a scalar). On failure value is left
// as it was and false is returned.
bool ParseJsonValue(std::string_view utf8, JsonAllocator& allocator, JsonValue& value,
                    int& nesting);

}  // namespace varnelo
