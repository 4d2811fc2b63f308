#include "json/json_document.h"

#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnelo {
namespace {

// Test texts are written in UTF-8; the document speaks code page 936.
std::string Gbk(std::string_view utf8) { return Utf8ToGbk(utf8); }

// The example root the callers' paths are explained on.
const char kExampleRoot[] =
    R"({"content":[{"tel":"0551-62345678","name":"超市"},{"tel":13800138000}]})";

class ExampleRootTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(document.Parse(Gbk(kExampleRoot))); }
  JsonDocument document;
};

TEST(JsonParseTest, TruthOfParse) {
  struct Case {
    std::string text;
    bool parsed;
  };
  const Case cases[] = {
      {"", false},          {"null", false},     {"{bad", false},     {"   ", false},
      {"{} x", false},      {"[1,]", false},     {"'single'", false}, {"{a:1}", false},
      {"undefined", false}, {"NaN", false},      {"[1] [2]", false},  {" null ", false},
      {"0", true},          {"false", true},     {R"("")", true},     {"{}", true},
      {"[]", true},         {" {} ", true},      {"true", true},      {"-1.5e3", true},
      {"[null]", true},     {"\r\n[1]\t", true},
  };
  for (const Case& c : cases) {
    JsonDocument document;
    EXPECT_EQ(document.Parse(c.text), c.parsed) << c.text;
  }
}

TEST(JsonParseTest, AfterAFailedParseEveryPathIsEmpty) {
  for (std::string_view text : {"", "{bad", "null"}) {
    JsonDocument document;
    ASSERT_TRUE(document.Parse(Gbk(kExampleRoot)));
    ASSERT_FALSE(document.Parse(text));
    EXPECT_EQ(document.Count("content"), 0) << text;
    EXPECT_EQ(document.Count("content[0]"), 0) << text;
    EXPECT_EQ(document.GetText("content[0].tel"), "") << text;
    EXPECT_EQ(document.GetText("content"), "") << text;
    EXPECT_EQ(document.Count(""), -2) << text;
    EXPECT_EQ(document.GetType(""), kJsonMissing) << text;
  }
  // Nothing at all is not the same as null, but only the JSON text shows it.
  JsonDocument empty;
  empty.Parse("");
  EXPECT_EQ(empty.ToText(), "");
  JsonDocument bad;
  bad.Parse("{bad");
  EXPECT_EQ(bad.ToText(), "null");
}

TEST(JsonParseTest, SecondParseLeavesNothingOfTheFirst) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"content":[{"tel":"1"}],"only_first":"x"})"));
  ASSERT_TRUE(document.Parse(R"({"content":[]})"));
  EXPECT_EQ(document.GetText("only_first"), "");
  EXPECT_EQ(document.GetText("content[0].tel"), "");
  EXPECT_EQ(document.Count("content"), 0);
  EXPECT_EQ(document.ToText(), R"({"content":[]})");
}

TEST_F(ExampleRootTest, Count) {
  struct Case {
    std::string_view path;
    int count;
  };
  const Case cases[] = {
      {"content", 2},
      {"", 1},
      {"content[0]", 2},
      {"content[1]", 1},
      {"missing", -2},
      {"missing.deeper", 0},
      {"content[2]", -2},
      {"content[2].tel", 0},
      {"content[0]['name']", 0},
      {"content.", 0},
      {"content[0] .tel", 0},
      {"content[x]", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(document.Count(c.path), c.count) << c.path;
}

TEST_F(ExampleRootTest, GetText) {
  struct Case {
    std::string_view path;
    std::string text;
  };
  const Case cases[] = {
      {"content[0].tel", "0551-62345678"},
      {"content[1].tel", "13800138000"},
      {"content[1].name", ""},
      {"content[2].tel", ""},
      {"content[0]['name']", Gbk("超市")},
      {"content[0]['tel']", "0551-62345678"},
      {"content['0'].tel", "0551-62345678"},  // the element named by its index
      {"missing", ""},
      {"missing.deeper", ""},
      {"content", ""},  // an array has no plain text
      {"content[0]", ""},
      {"", ""},
      {"content[0].tel.more", ""},  // any member of a string is nothing
      {"content[0][\"tel\"]", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(document.GetText(c.path), c.text) << c.path;
}

TEST_F(ExampleRootTest, GetTextAsJson) {
  EXPECT_EQ(document.GetText("content[0]", true), Gbk(R"({"tel":"0551-62345678","name":"超市"})"));
  EXPECT_EQ(document.GetText("content[1].tel", true), "13800138000");
  EXPECT_EQ(document.GetText("content[1].name", true), "");
  EXPECT_EQ(document.GetText("missing.deeper", true), "");
  EXPECT_EQ(document.GetText("", true), "");
  EXPECT_EQ(document.ToText(), Gbk(kExampleRoot));
}

TEST_F(ExampleRootTest, GetType) {
  struct Case {
    std::string_view path;
    int type;
  };
  const Case cases[] = {
      {"content", kJsonArray},
      {"content[0]", kJsonObject},
      {"content[0].tel", kJsonString},
      {"content[1].tel", kJsonNumber},
      {"content[1].name", kJsonMissing},
      {"content[2].tel", kJsonOther},
      {"", kJsonObject},
      {"missing", kJsonMissing},
      {"content[", kJsonOther},
  };
  for (const Case& c : cases) EXPECT_EQ(document.GetType(c.path), c.type) << c.path;
}

TEST_F(ExampleRootTest, GetMemberNames) {
  std::vector<std::string> names = {"left over from the caller"};
  EXPECT_EQ(document.GetMemberNames("content[0]", names), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"tel", "name"}));
  EXPECT_EQ(document.GetMemberNames("content", names), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"0", "1"}));
  EXPECT_EQ(document.GetMemberNames("", names), 1);
  EXPECT_EQ(names, (std::vector<std::string>{"content"}));
  EXPECT_EQ(document.GetMemberNames("content[0].tel", names), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(document.GetMemberNames("missing.deeper", names), 0);
}

TEST_F(ExampleRootTest, HasAndNumbers) {
  EXPECT_TRUE(document.Has("content"));
  EXPECT_TRUE(document.Has("content[0].tel"));
  EXPECT_FALSE(document.Has("content[1].name"));
  EXPECT_FALSE(document.Has("content[2].tel"));
  EXPECT_FALSE(document.Has(""));
  EXPECT_EQ(document.GetNumber("content[1].tel"), 13800138000.0);
  EXPECT_EQ(document.GetNumber("content[0].tel"), 0);  // not a plain number
  EXPECT_EQ(document.GetNumber("content[1].name"), 0);
}

TEST_F(ExampleRootTest, ElementsOfAnArray) {
  EXPECT_EQ(document.GetElementText(0, "content", true),
            Gbk(R"({"tel":"0551-62345678","name":"超市"})"));
  EXPECT_EQ(document.GetElementText(2, "content", true), "");
  EXPECT_EQ(document.GetElementText(-1, "content"), "");
  EXPECT_EQ(document.GetElementText(0, "missing"), "");
  JsonDocument element = document.GetElement(1, "content");
  EXPECT_EQ(element.GetText("tel"), "13800138000");
  EXPECT_EQ(element.rootName(), "da");
}

TEST(JsonReadTest, NumbersReadAsThirteenDigitText) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(
      R"({"a":116.40,"b":3.0,"c":12958175.56,"d":-0.5,"e":1e-7,"f":12345678901234567890,"g":[116.404]})"));
  struct Case {
    std::string_view path;
    std::string text;
  };
  const Case cases[] = {{"a", "116.4"},     {"b", "3"},     {"c", "12958175.56"},
                        {"d", "-0.5"},      {"e", "1e-07"}, {"f", "1.234567890123e+19"},
                        {"g[0]", "116.404"}};
  for (const Case& c : cases) EXPECT_EQ(document.GetText(c.path), c.text) << c.path;
  // Every number is a double, as in the script language the paths come from.
  EXPECT_EQ(document.GetText("f", true), "12345678901234567000");
  EXPECT_EQ(document.GetElementText(0, "g"), "116.404");
}

// Found by fuzzing: RapidJSON's full-precision conversion turned a zero with a
// large exponent into a huge or tiny number of no meaning.
TEST(JsonReadTest, ZeroWithAnyExponentIsZero) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(
      R"([0e97,-0e97,0.0e300,0E-400,0.000e+308,0e5,1e97,0.5e300,-2.5E-300,0.0001e50])"));
  // The negative zero reads as "-0", the number text of -0.
  const char* const texts[] = {"0", "-0",    "0",      "0",         "0",
                               "0", "1e+97", "5e+299", "-2.5e-300", "1e+46"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(document.GetText("[" + std::to_string(i) + "]"), texts[i]) << i;
  }
  EXPECT_EQ(document.ToText(), "[0,0,0,0,0,0,1e+97,5e+299,-2.5e-300,1e+46]");
}

// Found by fuzzing: a long negative mantissa with a large exponent tripped an
// assertion inside RapidJSON's conversion; numbers out of a double's range end
// the parse, tiny ones are zero.
TEST(JsonReadTest, LongMantissasAndRangeEdges) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"a":-66666666666666666660007392056057518533283.0e200,)"
                             R"("b":1e-400,"c":-1E-400,"d":0.0000000000000000000001234,)"
                             R"("e":123456789012345678901234567890})"));
  EXPECT_EQ(document.GetText("a"), "-6.666666666667e+240");
  EXPECT_EQ(document.GetText("b"), "0");
  EXPECT_EQ(document.GetText("c"), "-0");
  EXPECT_EQ(document.GetText("d"), "1.234e-22");
  EXPECT_EQ(document.GetText("e"), "1.234567890123e+29");
  for (const char* text :
       {"[0e97,-66666666666666666660007392056057518533283.0e300,1e97]", "[1e400]", "[-1e309]"}) {
    EXPECT_FALSE(document.Parse(text)) << text;
  }
}

// Found by fuzzing: a mantissa of 112 digits with the exponent 308 made
// RapidJSON's conversion read past the end of its table of powers of ten.
TEST(JsonReadTest, LongMantissaNearTheTopOfTheRange) {
  const std::string mantissa = std::string(111, '8') + "3";
  JsonDocument document;
  ASSERT_TRUE(document.Parse("[" + mantissa + "e196]"));
  EXPECT_EQ(document.GetText("[0]"), "8.888888888889e+307");
  EXPECT_FALSE(document.Parse("[" + mantissa + "e308]"));
  EXPECT_FALSE(document.Parse(mantissa + "e308"));
}

TEST(JsonReadTest, ScalarsOtherThanStringsAndNumbers) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"t":true,"f":false,"n":null,"o":{},"a":[]})"));
  EXPECT_EQ(document.GetType("t"), kJsonOther);
  EXPECT_EQ(document.GetType("f"), kJsonOther);
  EXPECT_EQ(document.GetType("n"), kJsonMissing);
  EXPECT_EQ(document.GetText("t"), "true");
  EXPECT_EQ(document.GetText("n"), "");
  EXPECT_EQ(document.GetText("n", true), "null");
  EXPECT_EQ(document.Count("n"), -2);
  EXPECT_EQ(document.Count("o"), 0);
  EXPECT_EQ(document.Count("a"), 0);
  EXPECT_EQ(document.Count("n.x"), 0);
}

TEST(JsonReadTest, ArrayRootAndLeadingIndex) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"([1,"two",[3,4,5]])"));
  EXPECT_EQ(document.Count(""), 3);
  EXPECT_EQ(document.Count("[2]"), 3);
  EXPECT_EQ(document.GetText("[1]"), "two");
  EXPECT_EQ(document.GetText("[0]"), "1");
  EXPECT_EQ(document.GetText("[2][1]"), "4");
  EXPECT_EQ(document.GetText("[3]"), "");
  EXPECT_EQ(document.GetMember("[2]").ToText(), "[3,4,5]");
}

TEST(JsonReadTest, EmptyPathOfANumberRoot) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse("42"));
  EXPECT_EQ(document.GetText(""), "0");  // the whole root is read by ToText
  EXPECT_EQ(document.ToText(), "42");
  EXPECT_EQ(document.GetType(""), kJsonNumber);
}

TEST(JsonReadTest, MemberNamedTwiceCountsOnceWithTheLaterValue) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(R"({"a":1,"b":{"x":1,"x":[1,{"y":1,"y":2}]},"a":"later"})"));
  EXPECT_EQ(document.Count(""), 2);
  EXPECT_EQ(document.GetText("a"), "later");
  EXPECT_EQ(document.Count("b"), 1);
  EXPECT_EQ(document.ToText(), R"({"a":"later","b":{"x":[1,{"y":2}]}})");
  std::vector<std::string> names;
  EXPECT_EQ(document.GetMemberNames("", names), 2);
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b"}));

  // Large objects take another road to the same result.
  std::string text = "{";
  for (int i = 0; i < 40; ++i) text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  text += R"("k7":"again","k39":"last"})";
  ASSERT_TRUE(document.Parse(text));
  EXPECT_EQ(document.Count(""), 40);
  EXPECT_EQ(document.GetText("k7"), "again");
  EXPECT_EQ(document.GetText("k39"), "last");
  EXPECT_EQ(document.GetText("k8"), "8");
  EXPECT_EQ(document.GetMemberNames("", names), 40);
  EXPECT_EQ(names[7], "k7");
  EXPECT_EQ(names[8], "k8");
}

TEST(JsonCodePageTest, EscapedTextReadsBackInCodePage936) {
  JsonDocument document;
  ASSERT_TRUE(document.Parse(
      R"({"name":"\u8d85\u5e02","url":"http:\/\/a.example\/b","fruit":"\ud83c\udf4e\u8d85\u5e02","\u540d":"x"})"));
  EXPECT_EQ(document.GetText("name"), Gbk("超市"));
  EXPECT_EQ(document.GetText("url"), "http://a.example/b");
  // A character outside the code page, from a surrogate pair, becomes one "?".
  EXPECT_EQ(document.GetText("fruit"), "?" + Gbk("超市"));
  EXPECT_EQ(document.GetText(Gbk("['名']")), "x");
  EXPECT_EQ(document.GetType(Gbk("['名']")), kJsonOther);  // root + "." + path: no valid path
  EXPECT_EQ(document.Count(""), 4);
  std::vector<std::string> names;
  document.GetMemberNames("", names);
  EXPECT_EQ(names.back(), Gbk("名"));
  // The JSON text writes the slash plainly and Chinese as characters.
  EXPECT_EQ(document.GetJson("url"), R"("http://a.example/b")");
  EXPECT_EQ(document.GetJson("name"), Gbk(R"("超市")"));
}

TEST(JsonCodePageTest, HalvesOfSurrogatePairsReadAsOneQuestionMarkEach) {
  // Script engines accept a lone half of a pair; a page with one still parses.
  JsonDocument document;
  ASSERT_TRUE(
      document.Parse(R"(["a\udc00b","\ud800x","\ud83c","\ud83c\udf4e","\udf4e\ud83c","\\ud800"])"));
  struct Case {
    std::string_view path;
    std::string text;
  };
  const Case cases[] = {{"[0]", "a?b"}, {"[1]", "?x"}, {"[2]", "?"},
                        {"[3]", "?"},   {"[4]", "??"}, {"[5]", "\\ud800"}};
  for (const Case& c : cases) EXPECT_EQ(document.GetText(c.path), c.text) << c.path;
  JsonDocument written;
  written.SetMember("s", R"("\udbff!")", true);
  EXPECT_EQ(written.GetText("s"), "?!");
}

TEST(JsonCodePageTest, TrailByteEqualToBackslashIsNoEscape) {
  // "乗" is 81 5C in code page 936. Parsed as raw bytes the 5C would escape the
  // closing quote; the document converts before it parses.
  const std::string text = Gbk(R"({"n":"乗","m":{"乗":"y"}})");
  ASSERT_NE(text.find("\x81\x5C\""), std::string::npos);
  JsonDocument document;
  ASSERT_TRUE(document.Parse(text));
  EXPECT_EQ(document.GetText("n"), "\x81\x5C");
  EXPECT_EQ(document.GetText("m['\x81\x5C']"), "y");
  EXPECT_EQ(document.ToText(), text);
}

TEST(JsonCodePageTest, TextEndsAtItsFirstNul) {
  JsonDocument document;
  EXPECT_TRUE(document.Parse(std::string("[1]\0garbage", 11)));
  EXPECT_FALSE(document.Parse(std::string("\0[1]", 4)));
  ASSERT_TRUE(document.Parse(R"({"s":"ab\u0000cd"})"));
  EXPECT_EQ(document.GetText("s"), "ab");
  EXPECT_EQ(document.GetJson("s"), R"("ab\u0000cd")");
}

std::string Nested(int depth, char open, char close, std::string_view inner = "") {
  std::string text(static_cast<size_t>(depth), open);
  text += inner;
  text.append(static_cast<size_t>(depth), close);
  return text;
}

TEST(JsonDepthTest, NestingIsBounded) {
  JsonDocument document;
  EXPECT_TRUE(document.Parse(Nested(512, '[', ']')));
  EXPECT_EQ(document.ToText(), Nested(512, '[', ']'));
  EXPECT_FALSE(document.Parse(Nested(513, '[', ']')));
  // Far past the limit the parse fails without exhausting the stack.
  EXPECT_FALSE(document.Parse(Nested(200000, '[', ']')));
  EXPECT_FALSE(document.Parse(std::string(1 << 20, '[')));

  std::string objects;
  for (int i = 0; i < 512; ++i) objects += R"({"a":)";
  objects += "1";
  objects.append(512, '}');
  EXPECT_TRUE(document.Parse(objects));
  EXPECT_EQ(document.GetMember("a.a.a").Count(""), 1);
  EXPECT_FALSE(document.Parse(R"({"a":)" + objects + "}"));
}

TEST(JsonDepthTest, WritesCannotNestDeeper) {
  JsonDocument document;
  document.SetMemberJson("a", Nested(511, '[', ']'));  // one level below the root: 512 in all
  EXPECT_EQ(document.Count("a"), 1);
  document.SetMemberJson("b", Nested(512, '[', ']'));
  EXPECT_EQ(document.GetType("b"), kJsonMissing);
  document.AppendElement(Nested(510, '[', ']'), "a", true);
  EXPECT_EQ(document.Count("a"), 2);
  document.AppendElement(Nested(511, '[', ']'), "a", true);
  EXPECT_EQ(document.Count("a"), 2);
  // Whatever was written, the document's own text parses again.
  JsonDocument again;
  EXPECT_TRUE(again.Parse(document.ToText()));
  EXPECT_EQ(again.ToText(), document.ToText());
}

TEST(JsonSizeTest, OverlongTextIsRefused) {
  std::string text = "[\"" + std::string((size_t{8} << 20), 'x') + "\"]";
  JsonDocument document;
  EXPECT_FALSE(document.Parse(text));
}

}  // namespace
}  // namespace varnelo
