#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "install/ArchiveEntryCheck.h"
#include "install/ArchiverMain.h"
#include "install/C7ZOperator.h"
#include "install/InstallResult.h"
#include "install/PackageInstaller.h"
#include "install/StagedTreeMove.h"
#include "install/TempTree.h"
#include "platform/Clock.h"
#include "platform/PathUtil.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

// Extracts `archive` into `dest` through C7ZOperator; returns the result and the events.
struct UnpackOutcome {
  bool ok = false;
  std::string error;
  std::vector<std::pair<std::int32_t, std::int32_t>> events;
};

UnpackOutcome Unpack(const std::string& archive, const std::string& dest, const char* password = nullptr) {
  test::NotifyRecord record;
  C7ZOperator unpacker;
  unpacker.SetNotify([&](std::int32_t kind, std::int32_t value, std::int32_t) { record.Add(kind, value); });
  const std::string data = test::ReadFileBytes(archive);
  UnpackOutcome outcome;
  outcome.ok = unpacker.UnpackBuffer(data.data(), data.size(), dest.c_str(), password, outcome.error, true);
  outcome.events = record.Events();
  return outcome;
}

bool HasEvent(const UnpackOutcome& outcome, std::int32_t kind, std::int32_t value) {
  for (const auto& event : outcome.events) {
    if (event == std::make_pair(kind, value)) return true;
  }
  return false;
}

// Archives whose entries would land outside the output folder; nothing may be written there.
TEST(InstallExtractTest, RefusesEntriesThatLeaveTheFolder) {
  test::TempHome home;
  const std::string outside = home.Path("outside");
  CreateFolderPathA(outside + "/");
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/plain.txt", "plain");
  test::WriteWholeFile(src + "/escape.txt", "evil");
  ASSERT_EQ(::symlink(outside.c_str(), (src + "/lnk").c_str()), 0);

  struct Case {
    const char* name;
    std::vector<std::vector<std::string>> commands;  // 7z commands run in src after creating the archive
    std::vector<std::string> items;
  };
  const std::string abs = src + "/escape.txt";
  const Case cases[] = {
      {"dot-dot", {{"rn", "ARCHIVE", "escape.txt", "../../../outside/escape.txt"}}, {"plain.txt", "escape.txt"}},
      {"absolute", {{"rn", "ARCHIVE", "escape.txt", outside + "/escape.txt"}}, {"plain.txt", "escape.txt"}},
      {"through-link", {{"rn", "ARCHIVE", "escape.txt", "lnk/escape.txt"}}, {"lnk", "escape.txt", "plain.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string archive = home.Path(std::string(c.name) + ".7z");
    test::Make7z(src, archive, c.items);
    for (auto command : c.commands) {
      for (auto& arg : command) {
        if (arg == "ARCHIVE") arg = archive;
      }
      command.insert(command.begin(), "7z");
      ASSERT_EQ(test::RunProgram(command, src), 0);
    }
    const std::string dest = home.Path(std::string("dest-") + c.name + "/a/b");
    CreateFolderPathA(dest + "/");
    const UnpackOutcome outcome = Unpack(archive, dest);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(HasEvent(outcome, 101, 261));
    EXPECT_TRUE(HasEvent(outcome, 101, 262));
    EXPECT_TRUE(test::TreeContents(outside).empty());
    EXPECT_TRUE(test::TreeContents(home.Path(std::string("dest-") + c.name)).count("a/b/plain.txt") == 0);
  }
  // No file named escape.txt anywhere but in src.
  for (const auto& [path, content] : test::TreeContents(home.Root())) {
    if (platform::PathFileName(path) == "escape.txt") {
      EXPECT_EQ(path.rfind("src/", 0), 0u) << path;
    }
  }
}

// Links in a payload: kept when they stay inside the tree, dropped when absolute.
TEST(InstallExtractTest, KeepsInnerLinksAndDropsAbsoluteOnes) {
  test::TempHome home;
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/bin/tool", "tool");
  ASSERT_EQ(::symlink("bin/tool", (src + "/tool-link").c_str()), 0);
  ASSERT_EQ(::symlink("/etc/passwd", (src + "/passwd").c_str()), 0);
  test::Make7z(src, home.Path("links.7z"), {"bin", "tool-link", "passwd"});
  const std::string dest = home.Path("dest");
  CreateFolderPathA(dest + "/");
  const UnpackOutcome outcome = Unpack(home.Path("links.7z"), dest);
  EXPECT_TRUE(outcome.ok) << outcome.error;
  const auto tree = test::TreeContents(dest);
  EXPECT_EQ(tree.at("bin/tool"), "tool");
  EXPECT_EQ(tree.at("tool-link"), "-> bin/tool");
  EXPECT_EQ(tree.count("passwd"), 0u);
}

// A link climbing out of the tree makes the extraction fail; nothing lands outside.
TEST(InstallExtractTest, LinkLeavingTheTreeFailsTheExtraction) {
  test::TempHome home;
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/bin/tool", "tool");
  ASSERT_EQ(::symlink("../../outside", (src + "/up").c_str()), 0);
  test::Make7z(src, home.Path("up.7z"), {"bin", "up"});
  const std::string dest = home.Path("dest");
  CreateFolderPathA(dest + "/");
  CreateFolderPathA(home.Path("outside/"));
  const UnpackOutcome outcome = Unpack(home.Path("up.7z"), dest);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(HasEvent(outcome, 101, 262));
  EXPECT_EQ(test::TreeContents(dest).count("up"), 0u);
  EXPECT_TRUE(test::TreeContents(home.Path("outside")).empty());
}

// A link left in the installation folder is replaced, never written through.
TEST(InstallExtractTest, ExistingLinkInTheFolderIsNotFollowed) {
  test::TempHome home;
  const std::string outside = home.Path("outside");
  test::WriteWholeFile(outside + "/a.txt", "precious");
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/data/a.txt", "new");
  test::WriteWholeFile(src + "/file.txt", "new file");
  test::Make7z(src, home.Path("p.7z"), {"data", "file.txt"});
  const std::string dest = home.Path("dest");
  CreateFolderPathA(dest + "/");
  ASSERT_EQ(::symlink(outside.c_str(), (dest + "/data").c_str()), 0);
  ASSERT_EQ(::symlink((outside + "/a.txt").c_str(), (dest + "/file.txt").c_str()), 0);
  const UnpackOutcome outcome = Unpack(home.Path("p.7z"), dest);
  EXPECT_TRUE(outcome.ok) << outcome.error;
  EXPECT_EQ(test::ReadFileBytes(outside + "/a.txt"), "precious");
  EXPECT_EQ(test::ReadFileBytes(dest + "/data/a.txt"), "new");
  EXPECT_EQ(test::ReadFileBytes(dest + "/file.txt"), "new file");
  EXPECT_TRUE(platform::PathIsFolder(dest + "/data"));
}

TEST(InstallExtractTest, EncryptedArchiveReportsPasswordRequest) {
  test::TempHome home;
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/secret.txt", "secret");
  ASSERT_EQ(test::RunProgram({"7z", "a", "-psecret", "-bd", home.Path("enc.7z"), "secret.txt"}, src), 0);
  const std::string dest = home.Path("dest");
  CreateFolderPathA(dest + "/");
  const UnpackOutcome outcome = Unpack(home.Path("enc.7z"), dest);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(HasEvent(outcome, 101, 260));
  EXPECT_FALSE(platform::PathFileExists(dest + "/secret.txt"));
  // With the password the same archive extracts.
  const UnpackOutcome withPassword = Unpack(home.Path("enc.7z"), dest, "secret");
  EXPECT_TRUE(withPassword.ok) << withPassword.error;
  EXPECT_EQ(test::ReadFileBytes(dest + "/secret.txt"), "secret");
}

TEST(InstallExtractTest, ProgressOfALargerArchiveRisesTo100) {
  test::TempHome home;
  const std::string src = home.Path("src");
  std::string big;
  unsigned state = 12345;
  for (int i = 0; i < 24 * 1024 * 1024; ++i) {
    state = state * 1103515245u + 12345u;
    big += static_cast<char>(state >> 24);
  }
  test::WriteWholeFile(src + "/big.bin", big);
  ASSERT_EQ(test::RunProgram({"7z", "a", "-mx=0", "-bd", home.Path("big.7z"), "big.bin"}, src), 0);
  const std::string dest = home.Path("dest");
  CreateFolderPathA(dest + "/");
  const UnpackOutcome outcome = Unpack(home.Path("big.7z"), dest);
  ASSERT_TRUE(outcome.ok) << outcome.error;
  int last = 0;
  for (const auto& [kind, value] : outcome.events) {
    ASSERT_EQ(kind, 100);
    EXPECT_GT(value, last);  // rising, never repeated, never 0
    last = value;
  }
  EXPECT_EQ(last, 100);
  EXPECT_EQ(test::ReadFileBytes(dest + "/big.bin").size(), big.size());
}

TEST(InstallExtractTest, OutputParserTurnsConsoleTextIntoEvents) {
  struct Seen {
    std::vector<std::uint32_t> progress;
    std::vector<std::int32_t> errors;
  } seen;
  ArchiverOutputParser parser(
      &seen, [](void* c, std::int32_t code) { static_cast<Seen*>(c)->errors.push_back(code); },
      [](void* c, std::uint32_t low, std::uint32_t high) {
        EXPECT_EQ(high, 0u);
        static_cast<Seen*>(c)->progress.push_back(low);
      });
  const std::string text =
      "Extracting archive: x.7z\n  0%\b\b\b\b    \b\b\b\b 12% 1 - a.txt\b\b\b\b\b\b\b\b\b\b\b\b\b"
      " 12% 2 - b\b\b\b\b\b 57% 3\b\b\b\b\b\bERROR: Data Error : b.bin\n"
      "Data Error in encrypted file. Wrong password? : c\n100%\n";
  // Fed in small pieces, as a pipe delivers it.
  for (std::size_t i = 0; i < text.size(); i += 3) parser.Feed(text.data() + i, std::min<std::size_t>(3, text.size() - i));
  parser.Finish();
  EXPECT_EQ(seen.progress, (std::vector<std::uint32_t>{12, 57, 100}));
  EXPECT_EQ(seen.errors, (std::vector<std::int32_t>{261, 260}));
}

TEST(InstallExtractTest, EntryCheckTable) {
  auto entry = [](std::string path, bool link = false) {
    ArchiveEntry e;
    e.path = std::move(path);
    e.isLink = link;
    return e;
  };
  struct Row {
    std::vector<ArchiveEntry> entries;
    bool safe;
  };
  const Row rows[] = {
      {{entry("a/b.txt"), entry("c")}, true},
      {{entry("../x")}, false},
      {{entry("a/../../x")}, false},
      {{entry("a\\..\\..\\x")}, false},
      {{entry("/etc/x")}, false},
      {{entry("C:\\x")}, false},
      {{entry("l", true), entry("l/x")}, false},
      {{entry("l/x"), entry("l", true)}, false},
      {{entry("d/l", true), entry("d/l/e/f")}, false},
      {{entry("l", true), entry("l", false)}, false},
      {{entry("l", true), entry("lx/y")}, true},
      {{entry("a/..b")}, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(FindUnsafeEntry(row.entries).empty(), row.safe) << row.entries.front().path;
  }
}

TEST(InstallExtractTest, ListingParser) {
  const std::string listing =
      "Path = x.7z\nType = 7z\n\n----------\nPath = a\nAttributes = D drwxr-xr-x\nEncrypted = -\n\n"
      "Path = a/f.txt\nAttributes = A -rw-r--r--\nEncrypted = +\n\nPath = evil\nAttributes = A lrwxrwxrwx\n";
  const auto entries = ParseArchiveListing(listing);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_TRUE(entries[0].isFolder);
  EXPECT_EQ(entries[1].path, "a/f.txt");
  EXPECT_TRUE(entries[1].encrypted);
  EXPECT_TRUE(entries[2].isLink);
  EXPECT_FALSE(entries[1].isLink);
}

TEST(InstallExtractTest, LinkTargetTable) {
  const std::tuple<const char*, int, bool> rows[] = {
      {"bin/tool", 0, true}, {"../x", 0, false}, {"../x", 1, true},  {"../../x", 1, false},
      {"/etc", 3, false},    {"a/../b", 2, false}, {".", 0, true},   {"", 0, false},
  };
  for (const auto& [target, depth, inside] : rows) EXPECT_EQ(LinkTargetStaysInside(target, depth), inside) << target;
}

// Two extractions within one millisecond get two different private folders.
TEST(InstallExtractTest, TemporaryFoldersAreUniqueAndPrivate) {
  test::TempHome home;
  platform::SetTickSource([]() -> std::uint32_t { return 0xabcdef; });
  const std::string first = MakePrivateTempFolder();
  const std::string second = MakePrivateTempFolder();
  platform::SetTickSource(nullptr);
  EXPECT_EQ(first, home.Path("tmp/abcdef/"));
  EXPECT_NE(second, first);
  ASSERT_FALSE(second.empty());
  struct stat info {};
  ASSERT_EQ(::stat(second.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(first.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// An existing name (even a link planted there) is never used.
TEST(InstallExtractTest, PlantedNameIsNotReused) {
  test::TempHome home;
  platform::SetTickSource([]() -> std::uint32_t { return 0x1234; });
  CreateFolderPathA(home.Path("elsewhere/"));
  ASSERT_EQ(::symlink(home.Path("elsewhere").c_str(), home.Path("tmp/1234").c_str()), 0);
  const std::string folder = MakePrivateTempFolder();
  platform::SetTickSource(nullptr);
  EXPECT_NE(folder, home.Path("tmp/1234/"));
  EXPECT_EQ(folder.rfind(home.Path("tmp/1234_"), 0), 0u) << folder;
}

TEST(InstallExtractTest, RemoveTempTreeDoesNotFollowLinks) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("keep/file.txt"), "keep");
  test::WriteWholeFile(home.Path("t/x/y.txt"), "y");
  ASSERT_EQ(::symlink(home.Path("keep").c_str(), home.Path("t/x/link").c_str()), 0);
  EXPECT_TRUE(RemoveTempTree(home.Path("t/")));
  EXPECT_FALSE(platform::PathFileExists(home.Path("t")));
  EXPECT_EQ(test::ReadFileBytes(home.Path("keep/file.txt")), "keep");
  EXPECT_FALSE(RemoveTempTree(home.Path("t/")));
}

TEST(InstallExtractTest, CreateFolderPathA) {
  test::TempHome home;
  EXPECT_TRUE(CreateFolderPathA(home.Path("n/m/o/")));
  EXPECT_TRUE(platform::PathIsFolder(home.Path("n/m/o")));
  EXPECT_TRUE(CreateFolderPathA(home.Path("n/m/o")));  // existing is fine
  const std::string tooLong = home.Path("") + std::string(260, 'q');
  EXPECT_FALSE(CreateFolderPathA(tooLong));
  test::WriteWholeFile(home.Path("file"), "x");
  EXPECT_FALSE(CreateFolderPathA(home.Path("file/sub")));
}

TEST(InstallExtractTest, UnpackBufferChecksItsArguments) {
  std::string error = "untouched";
  C7ZOperator unpacker;
  EXPECT_FALSE(unpacker.UnpackBuffer(nullptr, 1, "/tmp", nullptr, error, true));
  EXPECT_FALSE(unpacker.UnpackBuffer("x", 1, nullptr, nullptr, error, true));
  EXPECT_EQ(error, "untouched");
  const char* bad[] = {"prog", "e", "a.7z", "-oX"};
  EXPECT_EQ(RunArchiverMain(4, bad, nullptr, nullptr, nullptr), kArchiverCommandLineError);
  EXPECT_EQ(RunArchiverMain(3, bad, nullptr, nullptr, nullptr), kArchiverCommandLineError);
}

TEST(InstallExtractTest, MissingArchiverIsAnError) {
  test::TempHome home;
  home.SetEnv("ORVANE_7Z", home.Path("no-7z"));
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/a.txt", "a");
  test::Make7z(src, home.Path("a.7z"), {"a.txt"});
  const UnpackOutcome outcome = Unpack(home.Path("a.7z"), home.Path(""));
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(HasEvent(outcome, 101, 262));
}

TEST(InstallExtractTest, KeepsTempFolderWhenAsked) {
  test::TempHome home;
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/a.txt", "a");
  test::Make7z(src, home.Path("a.7z"), {"a.txt"});
  const std::string data = test::ReadFileBytes(home.Path("a.7z"));
  C7ZOperator unpacker;
  std::string error;
  CreateFolderPathA(home.Path("dest/"));
  ASSERT_TRUE(unpacker.UnpackBuffer(data.data(), data.size(), home.Path("dest").c_str(), nullptr, error, false));
  EXPECT_EQ(test::ReadFileBytes(unpacker.TempFolder() + "lumtar_7z/Lum7ZFile.7z"), data);
  EXPECT_EQ(test::ReadFileBytes(home.Path("dest/a.txt")), "a");
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// Staging on another file system than the installation folder: files are copied, not renamed.
TEST(InstallExtractTest, MovesAcrossFileSystems) {
  test::TempHome home;
  struct stat tmpInfo {}, shmInfo {};
  if (::stat(home.Root().c_str(), &tmpInfo) != 0 || ::stat("/dev/shm", &shmInfo) != 0 ||
      tmpInfo.st_dev == shmInfo.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second writable file system";
  }
  char pattern[] = "/dev/shm/orvane-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  home.SetEnv("TMPDIR", pattern);
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/top.txt", "top");
  test::WriteWholeFile(src + "/d/e/f.bin", std::string(100000, 'f'));
  ASSERT_EQ(::symlink("d/e/f.bin", (src + "/link").c_str()), 0);
  ::chmod((src + "/top.txt").c_str(), 0750);
  test::Make7z(src, home.Path("a.7z"), {"top.txt", "d", "link"});
  const std::string dest = home.Path("dest");
  test::WriteWholeFile(dest + "/top.txt", "old");
  const UnpackOutcome outcome = Unpack(home.Path("a.7z"), dest);
  EXPECT_TRUE(outcome.ok) << outcome.error;
  const auto tree = test::TreeContents(dest);
  EXPECT_EQ(tree.at("top.txt"), "top");
  EXPECT_EQ(tree.at("d/e/f.bin"), std::string(100000, 'f'));
  EXPECT_EQ(tree.at("link"), "-> d/e/f.bin");
  EXPECT_EQ(tree.size(), 5u);  // no leftover temporary names
  struct stat info {};
  ASSERT_EQ(::stat((dest + "/top.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0750u);
  EXPECT_TRUE(test::TreeContents(pattern).empty());
  RemoveTempTree(pattern);
}

}  // namespace
}  // namespace orvane

namespace orvane {
namespace {

// A hard link in the staged tree to a file outside becomes a separate copy.
TEST(InstallExtractTest, HardLinkedFilesAreCopied) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("outside/secret.txt"), "outside");
  test::WriteWholeFile(home.Path("staging/plain.txt"), "plain");
  CreateFolderPathA(home.Path("staging/sub/"));
  ASSERT_EQ(::link(home.Path("outside/secret.txt").c_str(), home.Path("staging/sub/linked.txt").c_str()), 0);
  CreateFolderPathA(home.Path("dest/"));
  const TreeMoveResult result = MoveTreeInto(home.Path("staging"), home.Path("dest"));
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(test::ReadFileBytes(home.Path("dest/sub/linked.txt")), "outside");
  struct stat info {};
  ASSERT_EQ(::stat(home.Path("dest/sub/linked.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_nlink, 1u);
  test::WriteWholeFile(home.Path("dest/sub/linked.txt"), "changed");
  EXPECT_EQ(test::ReadFileBytes(home.Path("outside/secret.txt")), "outside");
  EXPECT_EQ(test::ReadFileBytes(home.Path("dest/plain.txt")), "plain");
}

TEST(InstallExtractTest, SetIdBitsAreDropped) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("staging/tool"), "tool");
  ASSERT_EQ(::chmod(home.Path("staging/tool").c_str(), 06755), 0);
  CreateFolderPathA(home.Path("dest/"));
  ASSERT_TRUE(MoveTreeInto(home.Path("staging"), home.Path("dest")).ok);
  struct stat info {};
  ASSERT_EQ(::stat(home.Path("dest/tool").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0755u);
}

}  // namespace
}  // namespace orvane
