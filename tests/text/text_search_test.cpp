#include "text/text_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnelo {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLinesTest, FollowsTheLineRule) {
  struct Case {
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"", {}},
      {"超市\r\n酒店\r\n", {"超市", "酒店"}},
      {"超市\r\n\r\n酒店", {"超市", "", "酒店"}},
      {"\r\n", {""}},
      {"\r\na", {"", "a"}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\nb\rc", {"a\nb\rc"}},    // only the pair separates
      {" a \r\nb", {" a ", "b"}},  // not trimmed
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
  }
}

TEST(SplitTextTest, SplitsOnOtherSeparators) {
  EXPECT_EQ(SplitText("a=1;;b=2", ";"), (Lines{"a=1", "", "b=2"}));
  EXPECT_EQ(SplitText(";a;", ";"), (Lines{"", "a"}));
  EXPECT_EQ(SplitText("a; b; c", "; "), (Lines{"a", "b", "c"}));
}

TEST(TextBeforeTest, TakesTheTextInFrontOfTheFirstSeparator) {
  EXPECT_EQ(TextBefore("广州|440100", "|"), "广州");
  EXPECT_EQ(TextBefore("a|b|c", "|"), "a");
  EXPECT_EQ(TextBefore("广州", "|"), "");
  EXPECT_EQ(TextBefore("|440100", "|"), "");
  EXPECT_EQ(TextBefore("", "|"), "");
}

TEST(TextAfterLastTest, TakesTheTextBehindTheLastSeparator) {
  EXPECT_EQ(TextAfterLast("广州|440100", "|"), "440100");
  EXPECT_EQ(TextAfterLast("a|b|c", "|"), "c");
  EXPECT_EQ(TextAfterLast("a|", "|"), "");
  EXPECT_EQ(TextAfterLast("广州", "|"), "");
}

TEST(TextSearchTest, NeverMatchesOnATrailByte) {
  // 0xD8 0x7C is one character whose trail byte equals "|".
  const std::string name = "\xD8\x7C";
  EXPECT_EQ(FindText(name, "|"), std::string::npos);
  EXPECT_EQ(TextBefore(name + "|340200", "|"), name);
  EXPECT_EQ(TextAfterLast("12|" + name, "|"), name);
  EXPECT_EQ(SplitText("a" + name + "b|c", "|"), (Lines{"a" + name + "b", "c"}));
  EXPECT_EQ(FindLastText("x\\y\x81\\", "\\"), 1u);
}

}  // namespace
}  // namespace varnelo
