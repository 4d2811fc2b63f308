#include "export/random_letters.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace varnelo {
namespace {

FastCounter Fixed(uint32_t value) {
  return [value] { return value; };
}

TEST(RandomInRangeTest, AnEmptyRangeGivesZero) {
  EXPECT_EQ(RandomInRange(5, 4), 0);
  EXPECT_EQ(RandomInRange(5, 4, Fixed(12345)), 0);
  // The comparison is signed: -1 is below 0.
  EXPECT_EQ(RandomInRange(0, -1, Fixed(1)), 0);
  EXPECT_EQ(RandomInRange(-3, -3, Fixed(99)), -3);
}

TEST(RandomInRangeTest, FollowsTheCounterArithmetic) {
  struct Case {
    uint32_t counter;
    int32_t low, high, expected;
  } cases[] = {
      {0, 97, 122, 104},           // 7 mod 26 = 7
      {1, 97, 122, 101},           // 30 mod 26 = 4
      {0xFFFFFFFF, 97, 122, 103},  // the product wraps: 4294967280 mod 26 = 6
      {123456789, 97, 122, 101},   // 2839506154 mod 26 = 4
      {0, 1, 2, 2},                // 7 mod 2 = 1
      {1, 1, 2, 1},                // 30 mod 2 = 0
      // All 2^32 values: nothing to divide by, the value itself is used.
      {0, INT32_MIN, INT32_MAX, INT32_MIN + 7},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RandomInRange(c.low, c.high, Fixed(c.counter)), c.expected) << c.counter;
  }
}

TEST(RandomInRangeTest, TheRealCounterStaysInRange) {
  for (int i = 0; i < 10000; ++i) {
    int32_t value = RandomInRange(97, 122);
    ASSERT_GE(value, 97);
    ASSERT_LE(value, 122);
  }
}

TEST(RandomLettersTest, CountAndCase) {
  EXPECT_EQ(RandomLetters(0, 0), "");
  EXPECT_EQ(RandomLetters(-2, 1), "");
  std::string lower = RandomLetters(1, 0);
  ASSERT_EQ(lower.size(), 1u);
  EXPECT_TRUE(lower[0] >= 'a' && lower[0] <= 'z');
  for (char c : RandomLetters(20, 1)) EXPECT_TRUE(c >= 'A' && c <= 'Z') << c;
}

TEST(RandomLettersTest, MixedCaseTakesOneCounterValueForTheCaseAndOneForTheLetter) {
  // Counter 0 -> RandomInRange(1, 2) = 2: uppercase, then 1 -> 65 + 4 = "E";
  // counter 1 -> 1: lowercase, then 2 -> 97 + (53 mod 26) = "b".
  const uint32_t values[] = {0, 1, 1, 2};
  size_t next = 0;
  FastCounter counter = [&] { return values[next++ % 4]; };
  EXPECT_EQ(RandomLetters(2, 7, counter), "Eb");
}

}  // namespace
}  // namespace varnelo
