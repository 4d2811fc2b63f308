#include "json/json_lookup.h"

#include "json/json_code_page.h"

#include <cstring>
#include <string>

namespace varnelo {
namespace {

JsonValue* MemberByPathName(JsonValue& object, std::string_view gbkName) {
  if (IsAsciiText(gbkName)) return MemberNamed(object, gbkName);
  // A name outside ASCII: the tree holds UTF-8. The conversion also ends the
  // name at a NUL, which no member name of an answer contains.
  std::string utf8 = JsonTextToUtf8(gbkName);
  return MemberNamed(object, utf8);
}

JsonValue* ElementOfArray(JsonValue& array, uint64_t index) {
  if (index >= array.Size()) return nullptr;
  return &array[static_cast<rapidjson::SizeType>(index)];
}

}  // namespace

JsonValue* MemberNamed(JsonValue& object, std::string_view utf8Name) {
  for (auto& member : object.GetObject()) {
    if (member.name.GetStringLength() == utf8Name.size() &&
        std::memcmp(member.name.GetString(), utf8Name.data(), utf8Name.size()) == 0) {
      return &member.value;
    }
  }
  return nullptr;
}

JsonValue* StepInto(JsonValue& from, const PathStep& step) {
  if (from.IsObject()) {
    return step.kind == PathStep::kMember ? MemberByPathName(from, step.text)
                                          : MemberNamed(from, IndexMemberName(step.text));
  }
  if (from.IsArray()) {
    return ElementOfArray(
        from, step.kind == PathStep::kElement ? step.index : ArrayIndexOfName(step.text));
  }
  return nullptr;
}

JsonValue* ElementAt(JsonValue& from, int64_t index) {
  if (from.IsArray())
    return index < 0 ? nullptr : ElementOfArray(from, static_cast<uint64_t>(index));
  if (from.IsObject()) return MemberNamed(from, std::to_string(index));
  return nullptr;
}

Lookup FindValue(JsonValue& root, std::string_view path, PathStart start) {
  PathReader reader(path, start);
  PathStep step;
  JsonValue* current = &root;
  bool undefined = false;
  while (reader.Next(step)) {
    // A step from nothing or from null is an error in the script language.
    if (undefined || current->IsNull()) return {};
    JsonValue* next = StepInto(*current, step);
    if (next == nullptr) {
      undefined = true;
    } else {
      current = next;
    }
  }
  if (reader.failed() || path.empty()) return {};
  if (undefined) return {Lookup::kUndefined, nullptr};
  return {Lookup::kValue, current};
}

bool FindSlot(JsonValue& root, std::string_view path, PathStart start, Slot& slot) {
  PathReader reader(path, start);
  PathStep step;
  int depth = 0;
  while (reader.Next(step)) {
    slot.last = step;
    ++depth;
  }
  if (reader.failed() || depth == 0) return false;
  slot.depth = depth;
  if (slot.last.offset == 0) {
    slot.parent = &root;
  } else {
    Lookup parent = FindValue(root, path.substr(0, slot.last.offset), start);
    if (parent.state != Lookup::kValue) return false;
    slot.parent = parent.value;
  }
  return slot.parent->IsObject() || slot.parent->IsArray();
}

}  // namespace varnelo
