#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

struct JsonRoot;

// The kind codes of GetType (and the kinds Create accepts).
enum JsonType : int {
  kJsonOther = -1,   // a truth value, or a path that cannot be evaluated
  kJsonMissing = 0,  // a missing member, or a null value
  kJsonNumber = 2,
  kJsonObject = 4,
  kJsonArray = 5,
  kJsonString = 6,
};

// One JSON value, the root, and questions about the values inside it by member
// path (json/member_path.h): how many records "content" holds, what text
// "content[3].tel" is. Every answer page of a map service is read through one.
//
// All texts in and out are code page 936. A parsed text is JSON only: it is
// never run as code. Nothing throws; a failure gives the empty result of its
// kind ("", 0, false, or an unchanged root), and the caller decides.
//
// Copies share the root: a write through one is seen by all of them. Init and
// Parse give the document they are called on a root of its own and leave the
// other copies where they were. A document is used by one thread at a time.
class JsonDocument {
 public:
  // Makes a document whose root is an empty object. The root name is the
  // name of the root in the script expressions this class answers for; it is
  // "da" everywhere in the program and never changes.
  JsonDocument();
  explicit JsonDocument(std::string_view rootName);

  ~JsonDocument();
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);

  // A root of this document's own: an empty object.
  void Init();

  // Replaces the root by the value of a JSON text, starting from a root of
  // this document's own so that nothing of the previous one survives. True
  // when the text is JSON and its value is not null. An empty text, a text
  // that is not JSON (or nests deeper than 512 levels, or is longer than 8 MiB
  // as UTF-8) leave a null root and give false; so does the text "null".
  bool Parse(std::string_view text);

  // The root as JSON text (see GetJson).
  std::string ToText() const;

  // Sets the member at path name: to the text value, or with asJson to the
  // JSON value the text holds (an empty value then stands for "{}").
  void SetMember(std::string_view name, std::string_view value, bool asJson = false);
  // Sets the member at path name to the JSON value that value holds.
  void SetMemberJson(std::string_view name, std::string_view value);
  // Sets the member at path name to a number, rounded to its "%.13g" form as
  // the number is written. Infinities and NaN change nothing.
  void SetMemberNumber(std::string_view name, double number);

  // The number at path; a string holding a decimal number gives that number,
  // anything else 0.
  double GetNumber(std::string_view path) const;

  // The JSON text of the value at path: compact, members in order, numbers in
  // their shortest form, strings with the usual escapes plus \u escapes for
  // invisible format characters. "" when nothing is there.
  std::string GetJson(std::string_view path) const;

  // The text at path. A string is given as it is; a number as "%.13g" writes
  // it ("116.4", "13800138000"); true and false as "true" and "false"; "" for
  // a missing member, null, an object or array, and a path that breaks on
  // the way. With asJson, the value's JSON text instead. The path may begin
  // with an index step ("[0].tel").
  std::string GetText(std::string_view path, bool asJson = false) const;

  // A new document holding a copy of the value at path, made through its JSON
  // text; it shares nothing with this one. Nothing there gives a document
  // with no value (ToText "", Count -2).
  JsonDocument GetMember(std::string_view path) const;

  // Elements of the array, or members of the object, at path (empty: the
  // root). -2 when the last step finds nothing or null; 0 when the path
  // breaks earlier or is not in the grammar, and for strings, numbers and
  // truth values. An object that names a member twice has it once.
  int Count(std::string_view path) const;

  // Appends value (the text, or with raw the JSON it holds) to the array at
  // path (empty: the root), first replacing whatever is there by an empty
  // array when it is not one.
  void AppendElement(std::string_view value, std::string_view path = {}, bool raw = false);

  // A new document holding a copy of element index of the array at path
  // (of an object: its member named by the index).
  JsonDocument GetElement(int index, std::string_view path = {}) const;
  // The text of that element, as GetText gives it.
  std::string GetElementText(int index, std::string_view path = {}, bool asJson = false) const;

  // Sets element index of the root array (or the member named by the index of
  // the root object). An index past the end pads the array with nulls.
  void SetElement(int index, std::string_view value, bool raw = false);
  // Removes element index of the root array; a negative index counts from the
  // end, one past it removes nothing.
  void RemoveElement(int index);
  // Removes the member at path. An array element becomes null, so that the
  // elements after it keep their indexes.
  void RemoveMember(std::string_view path);

  // Replaces the root by an empty object (kind 0 or 4) or an empty array
  // (kind 5); other kinds change nothing.
  void Create(int kind);
  // Replaces the root by value: the text, or with raw the JSON it holds.
  void SetRoot(std::string_view value, bool raw = false);

  // True when a value other than null is at path.
  bool Has(std::string_view path) const;

  // The member names of the object at path (empty: the root) in their order,
  // or the indexes "0", "1", ... of an array; names is replaced. Returns the
  // number of names.
  int GetMemberNames(std::string_view path, std::vector<std::string>& names) const;

  // The kind code of the value at path (empty: the root), see JsonType.
  int GetType(std::string_view path) const;

  // Replaces the root by an empty object.
  void Clear();

  const std::string& rootName() const { return rootName_; }

 private:
  std::string rootName_;
  std::shared_ptr<JsonRoot> root_;
};

}  // namespace varnelo
