#include "export/compound_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "export/atomic_file.h"
#include "tests/export/export_test_support.h"

namespace varnelo {
namespace {

using testing_support::ReadBytes;
using testing_support::TempFolder;

uint32_t U32At(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8 |
         static_cast<uint8_t>(bytes[at + 2]) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24;
}

TEST(CompoundFileTest, PlansTheSmallestFatThatCoversEverything) {
  constexpr uint64_t kSector = 512;
  struct Case {
    uint64_t stream;
    uint32_t expected_fat, expected_difat;
  } cases[] = {
      {0, 1, 0},
      {4097, 1, 0},
      {126 * kSector, 1, 0},  // 126 + FAT + directory = 128 entries
      {127 * kSector, 2, 0},
      // 109 FAT sectors are all the header holds; one more needs a DIFAT sector.
      {13842 * kSector, 109, 0},
      {13843 * kSector, 110, 1},
      {uint64_t{3} << 30, 49543, 390},
  };
  for (const Case& c : cases) {
    auto layout = PlanCompoundFile(c.stream);
    ASSERT_TRUE(layout.has_value()) << c.stream;
    EXPECT_EQ(layout->fat_sectors, c.expected_fat) << c.stream;
    EXPECT_EQ(layout->difat_sectors, c.expected_difat) << c.stream;
    EXPECT_GE(layout->stream_size, std::max<uint64_t>(c.stream, 4096));
    EXPECT_GE(uint64_t{layout->stream_sectors} * kSector, layout->stream_size);
    EXPECT_LT(uint64_t{layout->stream_sectors - 1} * kSector, layout->stream_size);
    EXPECT_GE(uint64_t{layout->fat_sectors} * 128, layout->total_sectors());
    EXPECT_GE(109 + uint64_t{layout->difat_sectors} * 127, layout->fat_sectors);
    EXPECT_EQ(layout->directory_sector,
              layout->stream_sectors + layout->fat_sectors + layout->difat_sectors);
  }
  EXPECT_FALSE(PlanCompoundFile(uint64_t{1} << 32).has_value());
}

TEST(CompoundFileTest, WritesHeaderChainAndDirectoryOfASmallStream) {
  TempFolder folder;
  const std::string content(100, 'w');
  auto layout = PlanCompoundFile(content.size());
  ASSERT_TRUE(layout.has_value());
  {
    AtomicFile file(folder / "c.bin");
    ASSERT_TRUE(file.Open());
    CompoundFileWriter writer(file, *layout, "Workbook");
    writer.Write(content.data(), content.size());
    ASSERT_TRUE(writer.Finish(content.size()));
    ASSERT_TRUE(file.Commit());
  }
  const std::string bytes = ReadBytes(folder / "c.bin");
  // Header, 8 stream sectors (padded to 4096 bytes), one FAT, one directory.
  ASSERT_EQ(bytes.size(), 512u * 11);
  EXPECT_EQ(bytes.substr(0, 8), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  EXPECT_EQ(U32At(bytes, 44), 1u);           // FAT sectors
  EXPECT_EQ(U32At(bytes, 48), 9u);           // directory sector
  EXPECT_EQ(U32At(bytes, 68), 0xFFFFFFFEu);  // no DIFAT sector
  EXPECT_EQ(U32At(bytes, 76), 8u);           // the FAT's sector
  EXPECT_EQ(bytes.substr(512, 100), content);
  EXPECT_EQ(bytes.substr(612, 4096 - 100), std::string(4096 - 100, '\0'));

  const size_t fat = 512 + 8 * 512;
  for (uint32_t s = 0; s < 7; ++s) EXPECT_EQ(U32At(bytes, fat + 4 * s), s + 1);
  EXPECT_EQ(U32At(bytes, fat + 4 * 7), 0xFFFFFFFEu);
  EXPECT_EQ(U32At(bytes, fat + 4 * 8), 0xFFFFFFFDu);
  EXPECT_EQ(U32At(bytes, fat + 4 * 9), 0xFFFFFFFEu);
  EXPECT_EQ(U32At(bytes, fat + 4 * 10), 0xFFFFFFFFu);

  const size_t directory = 512 + 9 * 512;  // sector 9
  EXPECT_EQ(bytes.substr(directory, 20), std::string("R\0o\0o\0t\0 \0E\0n\0t\0r\0y\0", 20));
  EXPECT_EQ(bytes[directory + 66], 5);  // root storage
  EXPECT_EQ(U32At(bytes, directory + 76), 1u);
  const size_t stream = directory + 128;
  EXPECT_EQ(bytes.substr(stream, 16), std::string("W\0o\0r\0k\0b\0o\0o\0k\0", 16));
  EXPECT_EQ(bytes[stream + 66], 2);  // stream
  EXPECT_EQ(U32At(bytes, stream + 116), 0u);
  EXPECT_EQ(U32At(bytes, stream + 120), 4096u);
}

TEST(CompoundFileTest, AStreamOfTheWrongLengthIsRefused) {
  TempFolder folder;
  auto layout = PlanCompoundFile(5000);
  ASSERT_TRUE(layout.has_value());
  AtomicFile file(folder / "c.bin");
  ASSERT_TRUE(file.Open());
  CompoundFileWriter writer(file, *layout, "Workbook");
  writer.Write("abc", 3);
  EXPECT_FALSE(writer.Finish(5000));
}

}  // namespace
}  // namespace varnelo
