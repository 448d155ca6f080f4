#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "app/FolderHelpers.h"
#include "app/JFile.h"
#include "platform/PathUtil.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

using platform::PathFileExists;

TEST(FileHelpersTest, CreateFolderPathMakesEveryMissingFolder) {
  test::TempHome home;
  EXPECT_EQ(CreateFolderPath(home.Path("a/b/c")), 1);
  EXPECT_TRUE(platform::PathIsFolder(home.Path("a/b/c")));
  EXPECT_EQ(CreateFolderPath(home.Path("a/b/c")), 1);  // existing folders are fine
  EXPECT_EQ(CreateFolderPath(home.Path("x/y/")), 1);
  EXPECT_TRUE(platform::PathIsFolder(home.Path("x/y")));
}

TEST(FileHelpersTest, CreateFolderPathRefusesPathsOver260Characters) {
  test::TempHome home;
  const std::string base = home.Path("long/");
  const std::string at260 = base + std::string(260 - base.size(), 'd');
  const std::string at261 = base + std::string(261 - base.size(), 'e');
  ASSERT_EQ(at261.size(), 261u);
  EXPECT_EQ(CreateFolderPath(at261), 0);
  EXPECT_FALSE(PathFileExists(home.Path("long")));
  // Characters, not bytes, count: 130 two-byte letters are 130 characters.
  std::string wide = base;
  while (platform::CharacterCount(wide) < 260) wide += "\xC3\xA9";
  EXPECT_EQ(CreateFolderPath(wide), 1);
  EXPECT_EQ(CreateFolderPath(at260), 1);
}

TEST(FileHelpersTest, RemoveFolderTreeOfMissingFolderReturnsFalse) {
  test::TempHome home;
  EXPECT_FALSE(RemoveFolderTree(home.Path("missing")));
}

TEST(FileHelpersTest, RemoveFolderTreeRemovesEverythingButNeverFollowsLinks) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("outside/keep.txt"), "precious");
  test::WriteWholeFile(home.Path("tree/a/b/file.bin"), "x");
  test::WriteWholeFile(home.Path("tree/top.txt"), "y");
  ASSERT_EQ(::symlink(home.Path("outside").c_str(), home.Path("tree/a/link").c_str()), 0);
  ASSERT_EQ(::symlink(home.Path("outside/keep.txt").c_str(), home.Path("tree/filelink").c_str()), 0);

  EXPECT_TRUE(RemoveFolderTree(home.Path("tree")));
  EXPECT_FALSE(PathFileExists(home.Path("tree")));
  EXPECT_EQ(test::ReadWholeFile(home.Path("outside/keep.txt")), "precious");

  // A link standing in for the folder itself is removed as a link.
  ASSERT_EQ(::symlink(home.Path("outside").c_str(), home.Path("alias").c_str()), 0);
  EXPECT_TRUE(RemoveFolderTree(home.Path("alias")));
  EXPECT_EQ(test::ReadWholeFile(home.Path("outside/keep.txt")), "precious");
}

TEST(FileHelpersTest, JFileOnClosedStreamReturnsMinusOne) {
  JFile file;
  char buffer[4];
  EXPECT_EQ(file.Read(buffer, 4), -1);
  EXPECT_EQ(file.Write(buffer, 4), -1);
  EXPECT_EQ(file.Seek(0, 0), -1);
  EXPECT_EQ(file.Tell(), -1);
  EXPECT_EQ(file.SeekEnd(), -1);
  EXPECT_EQ(file.Rewind(), -1);
  EXPECT_EQ(file.Length(), -1);
}

TEST(FileHelpersTest, JFileOpenForReadOfMissingFileFails) {
  test::TempHome home;
  JFile file;
  EXPECT_FALSE(file.Open(home.Path("nothing.bin"), 0x201));
  EXPECT_EQ(file.LastError(), -1);
  EXPECT_FALSE(file.IsOpen());
}

TEST(FileHelpersTest, JFileWriteCreatesParentFoldersAndReadsBack) {
  test::TempHome home;
  const std::string path = home.Path("a/b/c.txt");
  JFile writer;
  ASSERT_TRUE(writer.Open(path, 0x202));
  EXPECT_EQ(writer.Write("hello world", 11), 11);
  EXPECT_EQ(writer.Write(nullptr, 3), -1);
  writer.Close();

  JFile reader;
  ASSERT_TRUE(reader.Open(path, 0x201));
  EXPECT_EQ(reader.Length(), 11);
  EXPECT_EQ(reader.Seek(6, 0), 0);
  char buffer[8] = {};
  EXPECT_EQ(reader.Read(buffer, 5), 5);
  EXPECT_STREQ(buffer, "world");
  EXPECT_EQ(reader.Tell(), 11);
  EXPECT_EQ(reader.Rewind(), 0);
  EXPECT_EQ(reader.Read(buffer, 5), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(reader.Read(nullptr, 1), -1);
}

TEST(FileHelpersTest, JFileAppendTextModeKeepsContent) {
  test::TempHome home;
  const std::string path = home.Path("log.txt");
  test::WriteWholeFile(path, "one\n");
  JFile file;
  ASSERT_TRUE(file.Open(path, 0x103));
  EXPECT_EQ(file.Write("two\n", 4), 4);
  file.Close();
  EXPECT_EQ(test::ReadWholeFile(path), "one\ntwo\n");
}

TEST(FileHelpersTest, JFileWriteIntoUnwritablePlaceReportsErrno) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("plain"), "x");
  JFile file;
  EXPECT_FALSE(file.Open(home.Path("plain/child.bin"), 0x202));
  EXPECT_EQ(file.LastError(), ENOTDIR);
}

}  // namespace
}  // namespace orvane
