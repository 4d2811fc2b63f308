#include "json/json_document.h"

#include "text/code_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace varnelo {
namespace {

std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

TEST(JsonCopyTest, CopiesShareTheRootUntilOneParses) {
  JsonDocument first;
  ASSERT_TRUE(first.Parse(R"({"x":1})"));
  JsonDocument second = first;
  second.SetMember("y", "2");
  EXPECT_EQ(first.GetText("y"), "2");
  first.Clear();
  EXPECT_EQ(second.ToText(), "{}");

  ASSERT_TRUE(second.Parse(R"({"z":3})"));
  EXPECT_EQ(first.GetText("z"), "");
  first.SetMember("w", "4");
  EXPECT_EQ(second.GetText("w"), "");

  JsonDocument third = first;
  third.Init();
  EXPECT_EQ(third.ToText(), "{}");
  EXPECT_EQ(first.GetText("w"), "4");
}

TEST(JsonCopyTest, MemberDocumentsAreIndependentCopies) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"list":[{"a":"1"}],"o":{"b":[true,null]}})"));
  JsonDocument member = document.GetMember("o");
  EXPECT_EQ(member.ToText(), R"({"b":[true,null]})");
  member.SetMember("c", "new");
  EXPECT_FALSE(document.Has("o.c"));
  document.SetMember("o.d", "other");
  EXPECT_FALSE(member.Has("d"));

  JsonDocument missing = document.GetMember("nothing");
  EXPECT_EQ(missing.ToText(), "");
  EXPECT_EQ(missing.Count(""), -2);
  JsonDocument element = document.GetElement(0, "list");
  EXPECT_EQ(element.GetText("a"), "1");
  // The copy outlives the document it came from.
  document = JsonDocument();
  EXPECT_EQ(element.GetText("a"), "1");
}

TEST(JsonSetterTest, MembersFromTextJsonAndNumbers) {
  JsonDocument document;
  document.SetMember("name", Gbk("超市"));
  document.SetMember("obj", R"({"a":[1,2],"a":[3]})", true);
  document.SetMember("empty", "", true);
  document.SetMemberJson("list", R"([1,"x",null])");
  document.SetMemberNumber("third", 1.0 / 3);
  document.SetMemberNumber("big", 13800138000);
  EXPECT_EQ(document.ToText(),
            Gbk(R"({"name":"超市","obj":{"a":[3]},"empty":{},"list":[1,"x",null],)"
                R"("third":0.3333333333333,"big":13800138000})"));
  EXPECT_EQ(document.GetNumber("third"), 0.3333333333333);

  // Replacing a member keeps its place.
  document.SetMember("name", "again");
  std::vector<std::string> names;
  document.GetMemberNames("", names);
  EXPECT_EQ(names.front(), "name");
  EXPECT_EQ(document.GetText("name"), "again");
}

TEST(JsonSetterTest, FailedWritesLeaveTheRootAsItWas) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"s":"text","a":[1]})"));
  const std::string before = document.ToText();
  document.SetMemberJson("bad", "{oops");
  document.SetMemberJson("nothing", "");
  document.SetMember("bad2", "[1,", true);
  document.SetMember("missing.deeper", "x");
  document.SetMember("s.inner", "x");  // a string has no members to write
  document.SetMember("a.name", "x");   // nor does an array take a name
  document.SetMember("", "x");
  document.SetMember("[0]", "x");
  document.SetMember("bad path", "x");
  document.SetMemberNumber("inf", std::numeric_limits<double>::infinity());
  document.SetMemberNumber("nan", std::nan(""));
  document.SetRoot("", true);
  document.SetRoot("{no", true);
  document.SetElement(0, "[", true);
  document.Create(7);
  document.AppendElement("{", "a", true);
  EXPECT_EQ(document.ToText(), before);
}

TEST(JsonSetterTest, ValuesAreStoredLiterally) {
  // Quotes, backslashes and line breaks are data, never expression text.
  JsonDocument document;
  const std::string value = "it's a\\b\r\n\"q\"";
  document.SetMember("v", value);
  EXPECT_EQ(document.GetText("v"), value);
  EXPECT_EQ(document.GetJson("v"), R"("it's a\\b\r\n\"q\"")");
  // A trail byte equal to the backslash stays part of its character.
  document.SetMember("w", "\x81\x5C");
  EXPECT_EQ(document.GetText("w"), "\x81\x5C");
}

TEST(JsonSetterTest, ElementsOfTheRoot) {
  JsonDocument document;
  document.Create(kJsonArray);
  document.AppendElement("a");
  document.AppendElement("2", {}, true);
  document.AppendElement(R"({"k":"v"})", {}, true);
  EXPECT_EQ(document.ToText(), R"(["a",2,{"k":"v"}])");
  document.SetElement(1, "b");
  document.SetElement(4, "true", true);  // past the end: the gap is null
  EXPECT_EQ(document.ToText(), R"(["a","b",{"k":"v"},null,true])");
  document.SetElement(-1, "x");
  document.SetElement(1 << 30, "x");
  EXPECT_EQ(document.Count(""), 5);
  document.RemoveElement(-1);
  document.RemoveElement(1);
  document.RemoveElement(10);
  EXPECT_EQ(document.ToText(), R"(["a",{"k":"v"},null])");
  EXPECT_EQ(document.GetElementText(1, "", true), R"({"k":"v"})");
  EXPECT_EQ(document.GetElementText(0), "a");

  // On an object root an index names a member.
  document.Clear();
  document.SetElement(3, "three");
  EXPECT_EQ(document.ToText(), R"({"3":"three"})");
  EXPECT_EQ(document.GetElementText(3), "three");
  document.RemoveElement(0);  // not an array: nothing happens
  EXPECT_EQ(document.Count(""), 1);
}

TEST(JsonSetterTest, AppendTurnsTheTargetIntoAnArray) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"list":"not yet","o":{}})"));
  document.AppendElement("x", "list");
  document.AppendElement("y", "list");
  document.AppendElement("z", "o.fresh");
  document.AppendElement("", "o.none", true);  // a push of nothing still makes the array
  document.AppendElement("q", "missing.deeper");
  EXPECT_EQ(document.ToText(), R"({"list":["x","y"],"o":{"fresh":["z"],"none":[]}})");
  document.SetRoot("plain");
  document.AppendElement("1", {}, true);
  EXPECT_EQ(document.ToText(), "[1]");
}

TEST(JsonSetterTest, RemovingMembersAndRoots) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"a":1,"b":[1,2,3],"c":{"d":4},"e":5})"));
  document.RemoveMember("a");
  document.RemoveMember("b[1]");  // the later elements keep their indexes
  document.RemoveMember("c['d']");
  document.RemoveMember("missing");
  document.RemoveMember("missing.deeper");
  EXPECT_EQ(document.ToText(), R"({"b":[1,null,3],"c":{},"e":5})");
  EXPECT_EQ(document.GetText("b[2]"), "3");

  document.SetRoot(R"({"r":[]})", true);
  EXPECT_EQ(document.Count("r"), 0);
  document.SetRoot("text");
  EXPECT_EQ(document.ToText(), R"("text")");
  EXPECT_EQ(document.GetType(""), kJsonString);
  document.Create(0);
  EXPECT_EQ(document.ToText(), "{}");
  document.Create(kJsonArray);
  EXPECT_EQ(document.ToText(), "[]");
  document.Create(kJsonObject);
  EXPECT_EQ(document.ToText(), "{}");
}

TEST(JsonSetterTest, WritesIntoMembersOfArraysAndIndexesOfObjects) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"content":[{"tel":"1"}],"o":{}})"));
  document.SetMember("content[0].tel", "2");
  document.SetMember("content[0]['area_name']", Gbk("南京市"));
  document.SetMember("content[2]", "padded");
  document.SetMember("o[5]", "five");
  EXPECT_EQ(
      document.ToText(),
      Gbk(R"({"content":[{"tel":"2","area_name":"南京市"},null,"padded"],"o":{"5":"five"}})"));
  EXPECT_EQ(document.GetText("o[5]"), "five");
  EXPECT_EQ(document.GetText("o['5']"), "five");
}

}  // namespace
}  // namespace varnelo
