#include "json/json_document.h"

#include "json/json_code_page.h"
#include "json/json_lookup.h"
#include "json/json_parser.h"
#include "json/json_text.h"
#include "json/json_value.h"
#include "json/json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace varnelo {
namespace {

constexpr std::string_view kDefaultRootName = "da";

std::shared_ptr<JsonRoot> NewEmptyObjectRoot() {
  auto root = std::make_shared<JsonRoot>();
  root->tree.SetObject();
  return root;
}

std::string JsonOf(const JsonValue& value) {
  std::string utf8;
  AppendValueJson(value, utf8);
  return JsonTextToGbk(utf8);
}

std::string JsonOf(const Lookup& lookup) {
  return lookup.state == Lookup::kValue ? JsonOf(*lookup.value) : std::string();
}

// The text of a value read without asking for JSON.
std::string PlainText(const JsonValue& value) {
  if (value.IsString()) {
    return JsonTextToGbk(std::string_view(value.GetString(), value.GetStringLength()));
  }
  if (value.IsNumber()) return NumberText(value.GetDouble());
  if (value.IsBool()) return value.GetBool() ? "true" : "false";
  return {};
}

bool IsJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A string that holds nothing but a decimal number, as a number.
bool DecimalStringValue(std::string_view text, double& number) {
  if (text.empty()) return false;
  size_t digit = text[0] == '-' ? 1 : 0;
  if (digit >= text.size() || !(text[digit] == '.' || (text[digit] >= '0' && text[digit] <= '9'))) {
    return false;
  }
  auto result = std::from_chars(text.data(), text.data() + text.size(), number);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// The value a setter stores: its text as a string, or with asJson the JSON
// value the text holds. nesting is the container depth of the value.
bool MakeValue(JsonRoot& root, std::string_view gbk, bool asJson, JsonValue& value, int& nesting) {
  std::string utf8 = JsonTextToUtf8(gbk);
  if (asJson) return ParseJsonValue(utf8, root.allocator(), value, nesting);
  if (utf8.size() > kMaxJsonTextBytes) return false;
  value.SetString(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()), root.allocator());
  nesting = 0;
  return true;
}

bool FitsDepth(int slotDepth, int nesting) { return slotDepth + nesting <= kMaxJsonDepth; }

void StoreMember(JsonRoot& root, JsonValue& object, std::string_view utf8Name, JsonValue& value) {
  if (JsonValue* existing = MemberNamed(object, utf8Name)) {
    *existing = value;  // moves; the member keeps its place
    return;
  }
  JsonValue name(utf8Name.data(), static_cast<rapidjson::SizeType>(utf8Name.size()),
                 root.allocator());
  object.AddMember(name, value, root.allocator());
}

bool StoreElement(JsonRoot& root, JsonValue& array, uint64_t index, JsonValue& value) {
  if (index < array.Size()) {
    array[static_cast<rapidjson::SizeType>(index)] = value;
    return true;
  }
  // Past the end a script array grows holes; nulls stand in for them, within
  // a bound so that one large index cannot take all memory.
  if (index >= kMaxPaddedArrayLength) return false;
  while (array.Size() < index) array.PushBack(JsonValue(), root.allocator());
  array.PushBack(value, root.allocator());
  return true;
}

// Stores value in the slot of a container. An array takes only index steps
// (or names that are indexes); other names on an array change nothing.
bool StoreInSlot(JsonRoot& root, const Slot& slot, JsonValue& value) {
  if (slot.parent->IsObject()) {
    std::string_view name =
        slot.last.kind == PathStep::kMember ? slot.last.text : IndexMemberName(slot.last.text);
    StoreMember(root, *slot.parent, JsonTextToUtf8(name), value);
    return true;
  }
  uint64_t index =
      slot.last.kind == PathStep::kElement ? slot.last.index : ArrayIndexOfName(slot.last.text);
  if (index == kIndexOverflow) return false;
  return StoreElement(root, *slot.parent, index, value);
}

// Writes value at the member path name, as "root.name = value" would.
void SetAtPath(JsonRoot& root, std::string_view name, JsonValue& value, int nesting) {
  Slot slot;
  if (!FindSlot(root.value(), name, PathStart::kName, slot)) return;
  if (!FitsDepth(slot.depth, nesting)) return;
  StoreInSlot(root, slot, value);
}

}  // namespace

JsonDocument::JsonDocument() : JsonDocument(kDefaultRootName) {}

JsonDocument::JsonDocument(std::string_view rootName) : rootName_(rootName) { Init(); }

JsonDocument::~JsonDocument() = default;
JsonDocument::JsonDocument(const JsonDocument& other) = default;
JsonDocument& JsonDocument::operator=(const JsonDocument& other) = default;

void JsonDocument::Init() { root_ = NewEmptyObjectRoot(); }

bool JsonDocument::Parse(std::string_view text) {
  // A root of its own, so that nothing of the previous answer survives.
  auto root = std::make_shared<JsonRoot>();
  root_ = root;
  root->text = JsonTextToUtf8(text);
  if (std::all_of(root->text.begin(), root->text.end(), IsJsonSpace)) {
    root->text.clear();
    root->undefined = true;  // nothing to evaluate: no value, not even null
    return false;
  }
  ParseOutcome outcome = ParseRootText(*root);
  if (outcome == ParseOutcome::kLoneSurrogate) {
    // Rare enough to pay for a second conversion: the first parse spoilt the text.
    root->text = JsonTextToUtf8(text);
    ReplaceLoneSurrogates(root->text);
    outcome = ParseRootText(*root);
  }
  if (outcome != ParseOutcome::kParsed) {
    root->text = std::string();
    return false;
  }
  return !root->value().IsNull();
}

std::string JsonDocument::ToText() const {
  if (root_->undefined) return {};
  return JsonOf(root_->value());
}

void JsonDocument::SetMember(std::string_view name, std::string_view value, bool asJson) {
  if (asJson && value.empty()) value = "{}";
  JsonValue stored;
  int nesting = 0;
  if (!MakeValue(*root_, value, asJson, stored, nesting)) return;
  SetAtPath(*root_, name, stored, nesting);
}

void JsonDocument::SetMemberJson(std::string_view name, std::string_view value) {
  JsonValue stored;
  int nesting = 0;
  if (!MakeValue(*root_, value, true, stored, nesting)) return;
  SetAtPath(*root_, name, stored, nesting);
}

void JsonDocument::SetMemberNumber(std::string_view name, double number) {
  if (!std::isfinite(number)) return;  // "inf" and "nan" are no number literals
  // The number goes through its "%.13g" text, as the value that is written.
  std::string text = NumberText(number);
  double written = 0;
  std::from_chars(text.data(), text.data() + text.size(), written);
  JsonValue stored(written);
  SetAtPath(*root_, name, stored, 0);
}

double JsonDocument::GetNumber(std::string_view path) const {
  Lookup lookup = FindValue(root_->value(), path, PathStart::kName);
  if (lookup.state != Lookup::kValue) return 0;
  const JsonValue& value = *lookup.value;
  if (value.IsNumber()) return value.GetDouble();
  double number = 0;
  if (value.IsString() &&
      DecimalStringValue(std::string_view(value.GetString(), value.GetStringLength()), number)) {
    return number;
  }
  return 0;
}

std::string JsonDocument::GetJson(std::string_view path) const {
  return JsonOf(FindValue(root_->value(), path, PathStart::kName));
}

std::string JsonDocument::GetText(std::string_view path, bool asJson) const {
  if (path.empty()) {
    // Not meant for the whole root (ToText is); a number root still reads
    // as "0", as it always has.
    return !asJson && root_->value().IsNumber() ? "0" : "";
  }
  Lookup lookup = FindValue(root_->value(), path, PathStart::kNameOrBracket);
  if (asJson) return JsonOf(lookup);
  return lookup.state == Lookup::kValue ? PlainText(*lookup.value) : std::string();
}

JsonDocument JsonDocument::GetMember(std::string_view path) const {
  JsonDocument member(rootName_);
  member.Parse(GetText(path, true));
  return member;
}

int JsonDocument::Count(std::string_view path) const {
  const JsonValue* value = &root_->value();
  if (!path.empty()) {
    Lookup lookup = FindValue(root_->value(), path, PathStart::kNameOrBracket);
    if (lookup.state == Lookup::kFailed) return 0;
    if (lookup.state == Lookup::kUndefined) return -2;
    value = lookup.value;
  }
  if (value->IsArray()) return static_cast<int>(value->Size());
  if (value->IsObject()) return static_cast<int>(value->MemberCount());
  if (value->IsNull()) return -2;
  return 0;
}

void JsonDocument::AppendElement(std::string_view value, std::string_view path, bool raw) {
  JsonRoot& root = *root_;
  // A raw empty value is a push of nothing: the array is still made.
  const bool pushNothing = raw && value.empty();
  JsonValue element;
  int nesting = 0;
  if (!pushNothing && !MakeValue(root, value, raw, element, nesting)) return;

  JsonValue* array = &root.value();
  int depth = 0;
  Slot slot;
  if (!path.empty()) {
    if (!FindSlot(root.value(), path, PathStart::kName, slot)) return;
    depth = slot.depth;
    array = StepInto(*slot.parent, slot.last);
  }
  if (!FitsDepth(depth + 1, nesting)) return;
  if (array == nullptr || !array->IsArray()) {
    if (path.empty()) {
      root.value().SetArray();
      root.undefined = false;
      array = &root.value();
    } else {
      JsonValue fresh(rapidjson::kArrayType);
      if (!StoreInSlot(root, slot, fresh)) return;
      array = StepInto(*slot.parent, slot.last);
    }
  }
  if (!pushNothing) array->PushBack(element, root.allocator());
}

JsonDocument JsonDocument::GetElement(int index, std::string_view path) const {
  JsonDocument element(rootName_);
  element.Parse(GetElementText(index, path, true));
  return element;
}

std::string JsonDocument::GetElementText(int index, std::string_view path, bool asJson) const {
  JsonValue* base = &root_->value();
  if (!path.empty()) {
    Lookup lookup = FindValue(root_->value(), path, PathStart::kName);
    if (lookup.state != Lookup::kValue) return {};
    base = lookup.value;
  }
  if (base->IsNull()) return {};
  const JsonValue* element = ElementAt(*base, index);
  if (element == nullptr) return {};
  return asJson ? JsonOf(*element) : PlainText(*element);
}

void JsonDocument::SetElement(int index, std::string_view value, bool raw) {
  JsonRoot& root = *root_;
  JsonValue& target = root.value();
  if (!target.IsArray() && !target.IsObject()) return;
  JsonValue stored;
  int nesting = 0;
  if (!MakeValue(root, value, raw, stored, nesting) || !FitsDepth(1, nesting)) return;
  if (target.IsObject()) {
    StoreMember(root, target, std::to_string(index), stored);
  } else if (index >= 0) {
    // A negative index names a property that no array element or JSON text
    // shows; it changes nothing here.
    StoreElement(root, target, static_cast<uint64_t>(index), stored);
  }
}

void JsonDocument::RemoveElement(int index) {
  JsonValue& target = root_->value();
  if (!target.IsArray()) return;
  const int64_t length = target.Size();
  int64_t start = index < 0 ? std::max<int64_t>(length + index, 0) : index;
  if (start < length) target.Erase(target.Begin() + start);
}

void JsonDocument::RemoveMember(std::string_view path) {
  Slot slot;
  if (!FindSlot(root_->value(), path, PathStart::kName, slot)) return;
  JsonValue& parent = *slot.parent;
  if (parent.IsObject()) {
    std::string_view name =
        slot.last.kind == PathStep::kMember ? slot.last.text : IndexMemberName(slot.last.text);
    std::string utf8Name = JsonTextToUtf8(name);
    for (auto member = parent.MemberBegin(); member != parent.MemberEnd(); ++member) {
      if (std::string_view(member->name.GetString(), member->name.GetStringLength()) == utf8Name) {
        parent.EraseMember(member);  // keeps the order of the others
        return;
      }
    }
    return;
  }
  if (JsonValue* element = StepInto(parent, slot.last)) element->SetNull();
}

void JsonDocument::Create(int kind) {
  if (kind == 0 || kind == kJsonObject) {
    root_->value().SetObject();
  } else if (kind == kJsonArray) {
    root_->value().SetArray();
  } else {
    return;
  }
  root_->undefined = false;
}

void JsonDocument::SetRoot(std::string_view value, bool raw) {
  JsonValue stored;
  int nesting = 0;
  if (!MakeValue(*root_, value, raw, stored, nesting)) return;
  root_->value() = stored;
  root_->undefined = false;
}

bool JsonDocument::Has(std::string_view path) const {
  Lookup lookup = FindValue(root_->value(), path, PathStart::kName);
  return lookup.state == Lookup::kValue && !lookup.value->IsNull();
}

int JsonDocument::GetMemberNames(std::string_view path, std::vector<std::string>& names) const {
  names.clear();
  const JsonValue* value = &root_->value();
  if (!path.empty()) {
    Lookup lookup = FindValue(root_->value(), path, PathStart::kName);
    if (lookup.state != Lookup::kValue) return 0;
    value = lookup.value;
  }
  if (value->IsObject()) {
    names.reserve(value->MemberCount());
    for (const auto& member : value->GetObject()) {
      names.push_back(
          JsonTextToGbk(std::string_view(member.name.GetString(), member.name.GetStringLength())));
    }
  } else if (value->IsArray()) {
    names.reserve(value->Size());
    for (rapidjson::SizeType i = 0; i < value->Size(); ++i) names.push_back(std::to_string(i));
  }
  return static_cast<int>(names.size());
}

int JsonDocument::GetType(std::string_view path) const {
  const JsonValue* value = &root_->value();
  if (!path.empty()) {
    Lookup lookup = FindValue(root_->value(), path, PathStart::kName);
    if (lookup.state == Lookup::kFailed) return kJsonOther;
    if (lookup.state == Lookup::kUndefined) return kJsonMissing;
    value = lookup.value;
  }
  switch (value->GetType()) {
    case rapidjson::kNullType:
      return kJsonMissing;
    case rapidjson::kNumberType:
      return kJsonNumber;
    case rapidjson::kStringType:
      return kJsonString;
    case rapidjson::kObjectType:
      return kJsonObject;
    case rapidjson::kArrayType:
      return kJsonArray;
    default:
      return kJsonOther;
  }
}

void JsonDocument::Clear() {
  root_->value().SetObject();
  root_->undefined = false;
}

}  // namespace varnelo
