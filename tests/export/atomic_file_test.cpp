#include "export/atomic_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/export/export_test_support.h"

namespace varnelo {
namespace {

using testing::HasSubstr;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(AtomicFileTest, TheTargetChangesOnlyAtCommit) {
  TempFolder folder;
  const auto target = folder / "out.txt";
  WriteBytes(target, "old");
  {
    AtomicFile file(target);
    ASSERT_TRUE(file.Open());
    // Larger than the buffer, so part of it is already on disk.
    const std::string big(600 * 1024, 'x');
    ASSERT_TRUE(file.Write(big));
    ASSERT_TRUE(file.Write("tail"));
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(folder.Entries().size(), 2u);
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(file.bytes_written(), big.size() + 4);
    EXPECT_EQ(ReadBytes(target), big + "tail");
  }
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFileTest, AnAbandonedFileLeavesNothingBehind) {
  TempFolder folder;
  WriteBytes(folder / "out.txt", "old");
  {
    AtomicFile file(folder / "out.txt");
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new"));
  }
  EXPECT_EQ(ReadBytes(folder / "out.txt"), "old");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"out.txt"});
}

TEST(AtomicFileTest, AReplacedFileKeepsItsPermissions) {
  TempFolder folder;
  const auto target = folder / "out.txt";
  WriteBytes(target, "old");
  ::chmod(target.c_str(), 0640);
  AtomicFile file(target);
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(AtomicFileTest, ASymbolicLinkKeepsPointingAtTheNewContent) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "real");
  WriteBytes(folder / "real" / "data.txt", "old");
  std::filesystem::create_symlink(folder / "real" / "data.txt", folder / "link.txt");
  AtomicFile file(folder / "link.txt");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.Write("new"));
  ASSERT_TRUE(file.Commit());
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.txt"));
  EXPECT_EQ(ReadBytes(folder / "real" / "data.txt"), "new");
}

TEST(AtomicFileTest, OnlyRegularFilesAreReplaced) {
  TempFolder folder;
  const auto fifo = folder / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  AtomicFile file(fifo);
  EXPECT_FALSE(file.Open());
  EXPECT_THAT(file.error(), HasSubstr("is not a regular file"));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST(AtomicFileTest, FailuresAreSticky) {
  TempFolder folder;
  AtomicFile unopened(folder / "a.txt");
  EXPECT_FALSE(unopened.Commit());
  EXPECT_FALSE(unopened.error().empty());

  AtomicFile file(folder / "b.txt");
  ASSERT_TRUE(file.Open());
  file.Fail("the library gave up");
  EXPECT_FALSE(file.Write("more"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(file.error(), "the library gave up");
  EXPECT_FALSE(std::filesystem::exists(folder / "b.txt"));
}

TEST(AtomicFileTest, AFileWrittenByNameAfterHandOverIsPublished) {
  TempFolder folder;
  AtomicFile file(folder / "out.bin");
  ASSERT_TRUE(file.Open());
  ASSERT_TRUE(file.HandOver());
  FILE* other = std::fopen(file.temp_path().c_str(), "wb");
  ASSERT_NE(other, nullptr);
  std::fputs("by name", other);
  std::fclose(other);
  ASSERT_TRUE(file.Commit());
  EXPECT_EQ(ReadBytes(folder / "out.bin"), "by name");
}

}  // namespace
}  // namespace varnelo
