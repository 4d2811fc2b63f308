#include "json/member_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace varnelo {
namespace {

// Steps written back in a canonical notation: .name for members, [N] for
// elements, so a table can state what a path reads as.
std::string Steps(std::string_view path, PathStart start) {
  PathReader reader(path, start);
  PathStep step;
  std::string out;
  while (reader.Next(step)) {
    if (step.kind == PathStep::kMember) {
      out += "." + std::string(step.text);
    } else {
      out += "[" + std::to_string(step.index) + "]";
    }
  }
  return reader.failed() ? "<fail>" : out;
}

TEST(MemberPathTest, ReadsTheCallersPaths) {
  struct Case {
    std::string_view path;
    std::string steps;
  };
  const Case cases[] = {
      {"content", ".content"},
      {"content[3].tel", ".content[3].tel"},
      {"content[3]['area_name']", ".content[3].area_name"},
      {"data['poi_list']", ".data.poi_list"},
      {"data['poi_list'][12]['disp_name']", ".data.poi_list[12].disp_name"},
      {"data['poi_list'][2].longitude", ".data.poi_list[2].longitude"},
      {"_a1.b_2[0][1]", "._a1.b_2[0][1]"},
      {"a['with space']", ".a.with space"},
      {"a['']", ".a."},
      {"a[007]", ".a[7]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Steps(c.path, PathStart::kName), c.steps) << c.path;
  }
}

TEST(MemberPathTest, RejectsTextOutsideTheGrammar) {
  const std::string_view rejected[] = {
      "",
      ".content",
      "content.",
      "1abc",
      "content[",
      "content[0",
      "content[]",
      "content[-1]",
      "content[x]",
      "content [0]",
      "content[0] .tel",
      "content[0][\"tel\"]",
      "a['b",
      "a['b']x",
      "a['b'",
      "a['it\\'s']",
      "a['line\nbreak']",
      "a-b",
      "a..b",
      "a$",
      "a[0]]",
  };
  for (std::string_view path : rejected) {
    EXPECT_FALSE(IsMemberPath(path, PathStart::kNameOrBracket)) << path;
  }
}

TEST(MemberPathTest, LeadingBracketOnlyWhereAllowed) {
  EXPECT_EQ(Steps("[0].tel", PathStart::kNameOrBracket), "[0].tel");
  EXPECT_EQ(Steps("['a'][1]", PathStart::kNameOrBracket), ".a[1]");
  EXPECT_EQ(Steps("[0].tel", PathStart::kName), "<fail>");
}

TEST(MemberPathTest, QuotedNamesAreReadByCharacterInCodePage936) {
  // "乗" is 81 5C in code page 936: its trail byte is the backslash, which must
  // not count as one; "超市" is plain double-byte text.
  PathReader reader("a['\x81\x5C']['\xB3\xAC\xCA\xD0']", PathStart::kName);
  PathStep step;
  ASSERT_TRUE(reader.Next(step));
  ASSERT_TRUE(reader.Next(step));
  EXPECT_EQ(step.text, "\x81\x5C");
  ASSERT_TRUE(reader.Next(step));
  EXPECT_EQ(step.text, "\xB3\xAC\xCA\xD0");
  EXPECT_FALSE(reader.Next(step));
  EXPECT_FALSE(reader.failed());
  // A real backslash is still refused.
  EXPECT_FALSE(IsMemberPath("a['x\\y']", PathStart::kName));
}

TEST(MemberPathTest, StepOffsetsSplitParentFromLastStep) {
  PathReader reader("data['poi_list'][2].tel", PathStart::kName);
  PathStep step;
  std::vector<size_t> offsets;
  while (reader.Next(step)) offsets.push_back(step.offset);
  EXPECT_EQ(offsets, (std::vector<size_t>{0, 4, 16, 19}));
}

TEST(MemberPathTest, HugeIndexSaturates) {
  PathReader reader("a[99999999999999999999999]", PathStart::kName);
  PathStep step;
  ASSERT_TRUE(reader.Next(step));
  ASSERT_TRUE(reader.Next(step));
  EXPECT_EQ(step.index, kIndexOverflow);
}

TEST(MemberPathTest, IndexNamesBetweenArraysAndObjects) {
  EXPECT_EQ(IndexMemberName("007"), "7");
  EXPECT_EQ(IndexMemberName("0"), "0");
  EXPECT_EQ(IndexMemberName("000"), "0");
  EXPECT_EQ(ArrayIndexOfName("3"), 3u);
  EXPECT_EQ(ArrayIndexOfName("0"), 0u);
  EXPECT_EQ(ArrayIndexOfName("03"), kIndexOverflow);
  EXPECT_EQ(ArrayIndexOfName("x3"), kIndexOverflow);
  EXPECT_EQ(ArrayIndexOfName("4294967295"), kIndexOverflow);
  EXPECT_EQ(ArrayIndexOfName("4294967294"), 4294967294u);
}

}  // namespace
}  // namespace varnelo
