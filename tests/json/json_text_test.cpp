#include "json/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace varnelo {
namespace {

TEST(NumberTextTest, WritesThirteenSignificantDigits) {
  struct Case {
    double number;
    const char* text;
  };
  const Case cases[] = {
      {116.404, "116.404"},
      {12958175.56, "12958175.56"},
      {3.0, "3"},
      {13800138000, "13800138000"},
      {116.40, "116.4"},
      {0, "0"},
      {-2.5, "-2.5"},
      {1.0 / 3, "0.3333333333333"},
      {1234567890123, "1234567890123"},
      {1e13, "1e+13"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {1322485237, "1322485237"},
      {3756067.55, "3756067.55"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberText(c.number), c.text) << c.text;
}

TEST(NumberTextTest, AgreesWithPrintfInTheCLocale) {
  const double samples[] = {123.456,
                            -0.000123456,
                            9.999999999999e12,
                            9.9999999999995e12,
                            1e100,
                            5e-324,
                            2.5e-5,
                            7.0e15,
                            0.1 + 0.2,
                            1e21,
                            -1e-7,
                            42};
  for (double number : samples) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.13g", number);
    EXPECT_EQ(NumberText(number), expected);
  }
}

TEST(JsonNumberTest, ShortestRoundTripInScriptLayout) {
  struct Case {
    double number;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {123, "123"},
      {-1.5, "-1.5"},
      {116.404, "116.404"},
      {0.1 + 0.2, "0.30000000000000004"},
      {13800138000, "13800138000"},
      {12345678901234567890.0, "12345678901234567000"},
      {1e21, "1e+21"},
      {1.5e21, "1.5e+21"},
      {1e20, "100000000000000000000"},
      {0.000001, "0.000001"},
      {0.0000015, "0.0000015"},
      {1e-7, "1e-7"},
      {1.25e-7, "1.25e-7"},
      {5e-324, "5e-324"},
      {1.7976931348623157e308, "1.7976931348623157e+308"},
      {std::numeric_limits<double>::infinity(), "null"},
      {std::nan(""), "null"},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendJsonNumber(c.number, out);
    EXPECT_EQ(out, c.text) << c.text;
  }
}

TEST(JsonStringTest, EscapesAsTheScriptWriterDoes) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string json;
  };
  const Case cases[] = {
      {"plain", "abc", R"("abc")"},
      {"quote_backslash", "a\"b\\c", R"("a\"b\\c")"},
      {"short_escapes", "\b\t\n\f\r", R"("\b\t\n\f\r")"},
      {"other_controls", std::string("\x00\x01\x1f", 3), R"("\u0000\u0001\u001f")"},
      {"delete_and_c1", "\x7f\xc2\x80\xc2\x9f", R"("\u007f\u0080\u009f")"},
      {"soft_hyphen", "\xc2\xad", R"("\u00ad")"},
      {"arabic_marks", "\xd8\x80\xd8\x84\xdc\x8f", R"("\u0600\u0604\u070f")"},
      {"khmer", "\xe1\x9e\xb4\xe1\x9e\xb5", R"("\u17b4\u17b5")"},
      {"zero_width", "\xe2\x80\x8c\xe2\x80\x8f", R"("\u200c\u200f")"},
      {"separators", "\xe2\x80\xa8\xe2\x80\xaf", R"("\u2028\u202f")"},
      {"word_joiners", "\xe2\x81\xa0\xe2\x81\xaf", R"("\u2060\u206f")"},
      {"bom", "\xef\xbb\xbf", R"("\ufeff")"},
      {"specials", "\xef\xbf\xb0\xef\xbf\xbf", R"("\ufff0\uffff")"},
      // Neighbours of the ranges, Chinese text, the slash and an emoji stay.
      {"kept", "\xc2\xa0\xc2\xae/\xe2\x80\x8b\xe2\x80\x90\xef\xbf\xaf超市\xf0\x9f\x8d\x8e",
       "\"\xc2\xa0\xc2\xae/\xe2\x80\x8b\xe2\x80\x90\xef\xbf\xaf超市\xf0\x9f\x8d\x8e\""},
      {"stray_byte",
       "a\xff"
       "b",
       "\"a\xff"
       "b\""},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendJsonString(c.utf8, out);
    EXPECT_EQ(out, c.json) << c.name;
  }
}

}  // namespace
}  // namespace varnelo
