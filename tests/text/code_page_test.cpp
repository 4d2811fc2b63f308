#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace varnelo {
namespace {

struct KnownText {
  const char* name;
  std::string utf8;
  std::string gbk;
};

class KnownTextTest : public testing::TestWithParam<KnownText> {};

TEST_P(KnownTextTest, ConvertsBothWays) {
  const KnownText& sample = GetParam();
  EXPECT_EQ(Utf8ToGbk(sample.utf8), sample.gbk);
  EXPECT_EQ(GbkToUtf8(sample.gbk), sample.utf8);
}

INSTANTIATE_TEST_SUITE_P(CodePage936, KnownTextTest,
                         testing::Values(KnownText{"empty", "", ""},
                                         KnownText{"ascii", "KTV 24h", "KTV 24h"},
                                         // The keyword box's initial text: twelve bytes.
                                         KnownText{"keyword_box", "超市\r\n酒店\r\n",
                                                   "\xB3\xAC\xCA\xD0\r\n\xBE\xC6\xB5\xEA\r\n"},
                                         KnownText{"shanghai", "上海", "\xC9\xCF\xBA\xA3"},
                                         KnownText{"fullwidth_comma", "，", "\xA3\xAC"},
                                         KnownText{"fullwidth_space", "\u3000", "\xA1\xA1"},
                                         // Windows' code page 936 has the euro sign at 0x80.
                                         KnownText{"euro", "€", "\x80"},
                                         // A trail byte equal to the backslash.
                                         KnownText{"trail_backslash", "乗", "\x81\x5C"}),
                         [](const testing::TestParamInfo<KnownText>& param_info) {
                           return std::string(param_info.param.name);
                         });

TEST(CodePageTest, CharactersWithoutAGbkFormBecomeQuestionMarks) {
  // An emoji and a Hangul syllable outside GBK; each is one character, one "?".
  EXPECT_EQ(Utf8ToGbk("a\xF0\x9F\x98\x80z"), "a?z");
  EXPECT_EQ(Utf8ToGbk("\xEA\xB0\x80"), "?");
}

TEST(CodePageTest, InvalidUtf8BecomesQuestionMarksAndNothingIsDropped) {
  EXPECT_EQ(Utf8ToGbk("a\xFF"
                      "b"),
            "a?b");
  // A truncated three-byte sequence at the end.
  EXPECT_EQ(Utf8ToGbk("ab\xE4\xB8"), "ab?");
  // A lone continuation byte between two good characters.
  EXPECT_EQ(Utf8ToGbk("上\x80海"), "\xC9\xCF?\xBA\xA3");
}

TEST(CodePageTest, InvalidGbkBecomesReplacementCharacter) {
  // A lead byte with no trail byte at the end of the text.
  EXPECT_EQ(GbkToUtf8("a\xB3"), "a\xEF\xBF\xBD");
}

TEST(CodePageTest, ResultEndsAtFirstNul) {
  EXPECT_EQ(Utf8ToGbk(std::string("ab\0cd", 5)), "ab");
  EXPECT_EQ(GbkToUtf8(std::string("\xC9\xCF\0\xBA\xA3", 5)), "上");
}

TEST(CodePageTest, LongTextRoundTrips) {
  std::string utf8;
  for (int i = 0; i < 20000; ++i) utf8 += "中文abc";
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk(utf8)), utf8);
}

}  // namespace
}  // namespace varnelo
