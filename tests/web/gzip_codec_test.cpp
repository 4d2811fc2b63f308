#include "web/gzip_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/web/gzip_test_util.h"

namespace varnelo {
namespace {

using test::Gzip;

std::string AsText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Text that does not compress, so its gzip form spans several input chunks.
std::string Incompressible(size_t size) {
  std::mt19937 random(7);
  std::string text(size, ' ');
  for (char& c : text) c = static_cast<char>(' ' + random() % 90);
  return text;
}

TEST(GzipCodecTest, InflatesBodiesLargerThanOneOutputBuffer) {
  const GzipCodec codec;
  EXPECT_TRUE(codec.ready());
  std::string text;
  while (text.size() < 20000) text += "{\"name\":\"shop\",\"tel\":\"13800000000\"},";
  text.resize(20000);
  EXPECT_EQ(AsText(codec.Decompress(Gzip(text))), text);
}

TEST(GzipCodecTest, InflatesStreamsThatSpanSeveralInputChunks) {
  const GzipCodec codec;
  const std::string text = Incompressible(50000);
  const Bytes body = Gzip(text);
  ASSERT_GT(body.size(), 3 * GzipCodec::kChunkBytes);
  EXPECT_EQ(AsText(codec.Decompress(body)), text);
  // Stored blocks: the first chunk holds only a header's worth before output.
  EXPECT_EQ(AsText(codec.Decompress(Gzip(text, Z_NO_COMPRESSION))), text);
}

TEST(GzipCodecTest, WhatIsNotGzipGivesNothing) {
  const GzipCodec codec;
  const std::string json = "{\"status\":\"1\"}";
  EXPECT_TRUE(codec.Decompress(Bytes(json.begin(), json.end())).empty());
  EXPECT_TRUE(codec.Decompress({}).empty());
}

TEST(GzipCodecTest, TruncatedStreamGivesWhatWasDecodedWithoutHanging) {
  const GzipCodec codec;
  const std::string text = Incompressible(40000);
  Bytes body = Gzip(text);
  body.resize(body.size() / 2);
  const std::string partial = AsText(codec.Decompress(body));
  EXPECT_FALSE(partial.empty());
  EXPECT_LT(partial.size(), text.size());
  EXPECT_EQ(text.compare(0, partial.size(), partial), 0);
}

TEST(GzipCodecTest, OnlyTheFirstMemberIsInflated) {
  const GzipCodec codec;
  Bytes body = Gzip("first");
  const Bytes second = Gzip("second");
  body.insert(body.end(), second.begin(), second.end());
  EXPECT_EQ(AsText(codec.Decompress(body)), "first");
}

TEST(GzipCodecTest, OutputBeyondTheBoundIsRefused) {
  const GzipCodec codec;
  const Bytes bomb = Gzip(std::string(GzipCodec::kMaxInflatedBytes + 1, 'a'), Z_BEST_COMPRESSION);
  ASSERT_LT(bomb.size(), size_t{1} << 20);
  const GzipCodec::Inflated inflated = codec.Inflate(bomb);
  EXPECT_TRUE(inflated.tooLarge);
  EXPECT_TRUE(inflated.bytes.empty());
  EXPECT_TRUE(codec.Decompress(bomb).empty());
  // Exactly at the bound is still fine.
  EXPECT_EQ(codec.Inflate(Gzip("abcdef"), 6).bytes.size(), 6u);
  EXPECT_TRUE(codec.Inflate(Gzip("abcdefg"), 6).tooLarge);
}

}  // namespace
}  // namespace varnelo
