#include "collect/url_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "text/code_page.h"

namespace varnelo {
namespace {

using namespace std::chrono;

TEST(EncodeUrlTextTest, EncodesTheUtf8FormKeepingOnlyPlainBytes) {
  const struct {
    const char* text;  // UTF-8, handed in as code page 936
    const char* encoded;
  } cases[] = {
      {"超市", "%E8%B6%85%E5%B8%82"},
      {"酒店", "%E9%85%92%E5%BA%97"},
      {"KTV 24h", "KTV%2024h"},
      {"a_b~c/d.e-f", "a%5Fb%7Ec%2Fd.e-f"},
      {"+%&=?#", "%2B%25%26%3D%3F%23"},
      {"\t", "%09"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeUrlText(Utf8ToGbk(c.text)), c.encoded) << c.text;
  }
}

TEST(EncodeUrlTextTest, SwitchesChooseTheBytesAndWhatStaysPlain) {
  const std::string gbk = Utf8ToGbk("超a");  // B3 AC 61
  EXPECT_EQ(EncodeUrlText(gbk, /*toUtf8=*/false), "%B3%ACa");
  EXPECT_EQ(EncodeUrlText(gbk, /*toUtf8=*/false, /*keepPlain=*/false), "%B3%AC%61");
  EXPECT_EQ(EncodeUrlText("a-1", true, false), "%61%2D%31");
}

TEST(DecodeUrlTextTest, DecodesEitherCaseAndConvertsFromUtf8) {
  EXPECT_EQ(DecodeUrlText("a%2Cb%e4%b8%ad"), Utf8ToGbk("a,b中"));
  EXPECT_EQ(DecodeUrlText("a%2Cb%e4%b8%ad", /*toGbk=*/false), "a,b\xE4\xB8\xAD");
  EXPECT_EQ(DecodeUrlText(EncodeUrlText(Utf8ToGbk("超市 KTV/24h"))), Utf8ToGbk("超市 KTV/24h"));
  // A percent sign without two hex digits stays, and takes nothing with it.
  EXPECT_EQ(DecodeUrlText("100%", false), "100%");
  EXPECT_EQ(DecodeUrlText("%4", false), "%4");
  EXPECT_EQ(DecodeUrlText("%zz%41", false), "%zzA");
  EXPECT_EQ(DecodeUrlText("", false), "");
}

TEST(UnixTimeTextTest, WritesTheUnixTimeWithPaddedMilliseconds) {
  // 2021-06-01 12:00:00 China Standard Time is 04:00:00 UTC.
  const sys_days day = year{2021} / June / 1;
  const struct {
    system_clock::time_point at;
    const char* milliseconds;
    const char* seconds;
  } cases[] = {
      {day + 4h + 42ms, "1622520000042", "1622520000"},
      {day + 4h + 7ms, "1622520000007", "1622520000"},
      {day + 4h + 999ms, "1622520000999", "1622520000"},
      {day + 4h + 1s, "1622520001000", "1622520001"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnixTimeText(UnixTimeUnit::kMilliseconds, c.at), c.milliseconds);
    EXPECT_EQ(UnixTimeText(UnixTimeUnit::kSeconds, c.at), c.seconds);
  }
}

TEST(UnixTimeTextTest, ReadsTheClockByDefault) {
  const auto before = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  const std::string text = UnixTimeText();
  const auto after = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  ASSERT_EQ(text.size(), 13u);
  EXPECT_GE(std::stoll(text), before);
  EXPECT_LE(std::stoll(text), after);
}

}  // namespace
}  // namespace varnelo
