#include "json/json_parser.h"

#include <rapidjson/reader.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace varnelo {
namespace {

using rapidjson::SizeType;

// The value of a number's text (already checked by the reader that found it),
// correctly rounded. std::from_chars is exact and ignores the locale (the
// desktop program sets one). RapidJSON 1.1's own full-precision conversion is
// not used: it turns an all-zero fraction with a large exponent ("0e97") into
// garbage and trips an assertion on long negative mantissas with large
// exponents. Out of range, a tiny number is a zero of its sign and a huge one
// is infinite, which the handler refuses.
double NumberValue(std::string_view text) {
  const bool negative = text.starts_with('-');
  const char* first = text.data() + (negative ? 1 : 0);
  const char* last = text.data() + text.size();
  double value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc::result_out_of_range) {
    const size_t exponent = text.find_first_of("eE");
    const bool tiny = exponent != std::string_view::npos
                          ? text.substr(exponent + 1).starts_with('-')
                          : text.substr(negative ? 1 : 0).starts_with("0");
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (error != std::errc() || end != last) {
    value = std::numeric_limits<double>::quiet_NaN();
  }
  return negative ? -value : value;
}

// The document's own SAX handler, with two changes on the way: numbers become
// doubles, as the script language has no other kind, and containers may nest
// only kMaxJsonDepth deep. The reader runs iteratively, so depth costs heap,
// not stack, until the limit ends the parse. Numbers arrive as their text
// (NumberValue converts them).
class BoundedHandler {
 public:
  explicit BoundedHandler(JsonTree& tree) : tree_(tree) {}

  bool Null() { return tree_.Null(); }
  bool Bool(bool b) { return tree_.Bool(b); }
  // The reader names these too, though with numbers as text it calls none.
  bool Int(int i) { return tree_.Double(i); }
  bool Uint(unsigned u) { return tree_.Double(u); }
  bool Int64(int64_t i) { return tree_.Double(static_cast<double>(i)); }
  bool Uint64(uint64_t u) { return tree_.Double(static_cast<double>(u)); }
  bool Double(double d) { return tree_.Double(d); }
  bool RawNumber(const char* text, SizeType length, bool) {
    const double value = NumberValue(std::string_view(text, length));
    // A number beyond a double's range ends the parse: the page is unreadable.
    return std::isfinite(value) && tree_.Double(value);
  }
  bool String(const char* s, SizeType length, bool copy) { return tree_.String(s, length, copy); }
  bool Key(const char* s, SizeType length, bool copy) { return tree_.Key(s, length, copy); }
  bool StartObject() { return Enter() && tree_.StartObject(); }
  bool EndObject(SizeType count) {
    --depth_;
    return tree_.EndObject(count);
  }
  bool StartArray() { return Enter() && tree_.StartArray(); }
  bool EndArray(SizeType count) {
    --depth_;
    return tree_.EndArray(count);
  }

  int maxDepth() const { return maxDepth_; }

 private:
  bool Enter() {
    if (++depth_ > kMaxJsonDepth) return false;
    if (depth_ > maxDepth_) maxDepth_ = depth_;
    return true;
  }

  JsonTree& tree_;
  int depth_ = 0;
  int maxDepth_ = 0;
};

template <unsigned kFlags, typename Stream>
struct ReaderRun {
  Stream& stream;
  int nesting = 0;
  bool ok = false;
  rapidjson::ParseErrorCode error = rapidjson::kParseErrorNone;

  bool operator()(JsonTree& tree) {
    constexpr unsigned kReadFlags = kFlags | rapidjson::kParseIterativeFlag |
                                    rapidjson::kParseFullPrecisionFlag |
                                    rapidjson::kParseNumbersAsStringsFlag;
    BoundedHandler handler(tree);
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>> reader;
    error = reader.Parse<kReadFlags>(stream, handler).Code();
    ok = error == rapidjson::kParseErrorNone;
    nesting = handler.maxDepth();
    return ok;
  }
};

std::string_view NameOf(const JsonValue& name) {
  return std::string_view(name.GetString(), name.GetStringLength());
}

uint32_t HashName(std::string_view name) {
  uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

// Open-addressing table of member positions, reused from object to object.
class NameTable {
 public:
  void Reset(size_t members) {
    size_t size = 16;
    while (size < members * 2) size *= 2;
    slots_.assign(size, 0);
  }

  // The slot for name: either empty (0) or holding the position + 1 of the
  // member with that name.
  uint32_t& Slot(std::string_view name, const JsonValue::MemberIterator members) {
    size_t mask = slots_.size() - 1;
    for (size_t i = HashName(name) & mask;; i = (i + 1) & mask) {
      uint32_t& slot = slots_[i];
      if (slot == 0 || NameOf(members[slot - 1].name) == name) return slot;
    }
  }

 private:
  std::vector<uint32_t> slots_;
};

bool HasDuplicateNames(JsonValue& object, NameTable& table) {
  SizeType count = object.MemberCount();
  auto members = object.MemberBegin();
  if (count <= 8) {
    for (SizeType i = 1; i < count; ++i) {
      for (SizeType j = 0; j < i; ++j) {
        if (NameOf(members[i].name) == NameOf(members[j].name)) return true;
      }
    }
    return false;
  }
  table.Reset(count);
  for (SizeType i = 0; i < count; ++i) {
    uint32_t& slot = table.Slot(NameOf(members[i].name), members);
    if (slot != 0) return true;
    slot = i + 1;
  }
  return false;
}

// A script object literal that names a member twice keeps the member where it
// first appeared and gives it the later value.
void MergeDuplicateNames(JsonValue& object, NameTable& table) {
  SizeType count = object.MemberCount();
  auto members = object.MemberBegin();
  table.Reset(count);
  SizeType kept = 0;
  for (SizeType i = 0; i < count; ++i) {
    uint32_t& slot = table.Slot(NameOf(members[i].name), members);
    if (slot != 0) {
      members[slot - 1].value = members[i].value;  // moves
      continue;
    }
    if (kept != i) {
      members[kept].name = members[i].name;
      members[kept].value = members[i].value;
    }
    slot = ++kept;
  }
  object.EraseMember(members + kept, object.MemberEnd());
}

void MergeDuplicatesInTree(JsonValue& root) {
  std::vector<JsonValue*> pending;
  NameTable table;
  if (root.IsObject() || root.IsArray()) pending.push_back(&root);
  while (!pending.empty()) {
    JsonValue* value = pending.back();
    pending.pop_back();
    if (value->IsObject()) {
      if (value->MemberCount() > 1 && HasDuplicateNames(*value, table)) {
        MergeDuplicateNames(*value, table);
      }
      for (auto& member : value->GetObject()) {
        if (member.value.IsObject() || member.value.IsArray()) pending.push_back(&member.value);
      }
    } else {
      for (auto& element : value->GetArray()) {
        if (element.IsObject() || element.IsArray()) pending.push_back(&element);
      }
    }
  }
}

}  // namespace

ParseOutcome ParseRootText(JsonRoot& root) {
  root.tree.SetNull();
  if (root.text.empty() || root.text.size() > kMaxJsonTextBytes) return ParseOutcome::kFailed;
  rapidjson::InsituStringStream stream(root.text.data());
  ReaderRun<rapidjson::kParseInsituFlag, rapidjson::InsituStringStream> run{stream};
  root.tree.Populate(run);
  if (!run.ok) {
    root.tree.SetNull();
    return run.error == rapidjson::kParseErrorStringUnicodeSurrogateInvalid
               ? ParseOutcome::kLoneSurrogate
               : ParseOutcome::kFailed;
  }
  MergeDuplicatesInTree(root.tree);
  return ParseOutcome::kParsed;
}

void ReplaceLoneSurrogates(std::string& json) {
  auto unitAt = [&json](size_t pos) -> int {  // the code unit of "\uXXXX" at pos, or -1
    if (pos + 6 > json.size() || json[pos] != '\\' || json[pos + 1] != 'u') return -1;
    int unit = 0;
    for (size_t i = pos + 2; i < pos + 6; ++i) {
      char c = json[i];
      int digit = c >= '0' && c <= '9'   ? c - '0'
                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                         : -1;
      if (digit < 0) return -1;
      unit = unit * 16 + digit;
    }
    return unit;
  };
  for (size_t pos = 0; pos + 1 < json.size(); ++pos) {
    if (json[pos] != '\\') continue;
    int unit = unitAt(pos);
    if (unit < 0) {
      ++pos;  // some other escape: skip the escaped character
      continue;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      int next = unitAt(pos + 6);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        pos += 11;  // a proper pair
        continue;
      }
    }
    if (unit >= 0xD800 && unit <= 0xDFFF) json.replace(pos + 2, 4, "fffd");
    pos += 5;
  }
}

bool ParseJsonValue(std::string_view utf8, JsonAllocator& allocator, JsonValue& value,
                    int& nesting) {
  if (utf8.empty() || utf8.size() > kMaxJsonTextBytes) return false;
  std::string text(utf8);  // the reader wants a terminated text
  for (bool retry = false;; retry = true) {
    rapidjson::StringStream stream(text.c_str());
    ReaderRun<rapidjson::kParseDefaultFlags, rapidjson::StringStream> run{stream};
    JsonTree scratch(&allocator);
    scratch.Populate(run);
    if (run.ok) {
      MergeDuplicatesInTree(scratch);
      nesting = run.nesting;
      value = static_cast<JsonValue&>(scratch);  // moves; the nodes already live in allocator
      return true;
    }
    if (retry || run.error != rapidjson::kParseErrorStringUnicodeSurrogateInvalid) return false;
    ReplaceLoneSurrogates(text);
  }
}

}  // namespace varnelo
