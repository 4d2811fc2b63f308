#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <string>

namespace varnelo {

// The value tree behind a JsonDocument: RapidJSON values in a memory pool. The
// pool frees everything at once, so releasing a tree never walks it and a deep
// tree cannot exhaust the stack on the way out.
using JsonAllocator = rapidjson::MemoryPoolAllocator<>;
using JsonValue = rapidjson::GenericValue<rapidjson::UTF8<>, JsonAllocator>;
using JsonTree = rapidjson::GenericDocument<rapidjson::UTF8<>, JsonAllocator>;

// Containers nest at most this deep, in parsed text and after every write, so
// that the recursive walks over a tree (writing JSON text) stay shallow.
inline constexpr int kMaxJsonDepth = 512;

// The longest UTF-8 text that is parsed; map answers are a few dozen kilobytes.
inline constexpr size_t kMaxJsonTextBytes = size_t{8} << 20;

// An index past the end of an array pads it with nulls up to this length and
// no further.
inline constexpr size_t kMaxPaddedArrayLength = size_t{1} << 20;

// What copies of a document share: the parsed text, whose strings the tree
// points into, and the tree itself.
struct JsonRoot {
  std::string text;
  JsonTree tree;
  // Set when the root holds no value at all (the empty text was parsed), as
  // opposed to null. Both count as missing; only the JSON text differs.
  bool undefined = false;

  JsonValue& value() { return tree; }
  JsonAllocator& allocator() { return tree.GetAllocator(); }
};

}  // namespace varnelo
