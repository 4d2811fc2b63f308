#pragma once

#include "json/json_value.h"
#include "json/member_path.h"

#include <cstdint>
#include <string_view>

namespace varnelo {

// Where a member path leads, with the script language's three outcomes:
//   kValue     a value is there (possibly null);
//   kUndefined the last step found nothing: a missing member, an index past
//              the end, or any member of a string, number or truth value;
//   kFailed    the path is outside the grammar, or a step was taken from
//              nothing or from null ("missing.deeper", "content[9].tel").
struct Lookup {
  enum State { kValue, kUndefined, kFailed };
  State state = kFailed;
  JsonValue* value = nullptr;
};

// Follows a non-empty path from root. The root itself may be null, in which
// case every path fails.
Lookup FindValue(JsonValue& root, std::string_view path, PathStart start);

// One step from a value; nullptr when nothing is there. Names are code page
// 936 as the path writes them.
JsonValue* StepInto(JsonValue& from, const PathStep& step);

// from[index] as the script language reads it: an element of an array, or of
// an object the member whose name is the index in decimal.
JsonValue* ElementAt(JsonValue& from, int64_t index);

// The member of an object by UTF-8 name, or nullptr.
JsonValue* MemberNamed(JsonValue& object, std::string_view utf8Name);

// Where a write through a path lands: the existing container that holds the
// slot and the last step, which names the slot in it. depth is the number of
// steps, the depth of the slot below the root.
struct Slot {
  JsonValue* parent = nullptr;
  PathStep last;
  int depth = 0;
};

// False when the path is not in the grammar, or its parent is missing, null,
// or not a container (writes into a string or number change nothing).
bool FindSlot(JsonValue& root, std::string_view path, PathStart start, Slot& slot);

}  // namespace varnelo
