#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "app/FolderHelpers.h"
#include "install/CMyRegKey.h"
#include "install/PackageInstaller.h"
#include "install/RegFileFormat.h"
#include "install/RegStore.h"
#include "install/UninstallEntry.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

constexpr const char* kKey = "SOFTWARE\\Lumtar\\Test";

std::vector<std::string> ValueNames(const std::string& keyPath) {
  const auto keys = RegStore::ForRoot(RegRoot::LocalMachine).Load();
  const int at = FindRegKey(keys, keyPath);
  std::vector<std::string> names;
  if (at < 0) return names;
  for (const auto& value : keys[static_cast<std::size_t>(at)].values) names.push_back(value.name);
  return names;
}

TEST(RegistryStoreTest, FileFormatRoundTrip) {
  std::vector<RegKeyRecord> keys = {
      {"SOFTWARE\\A", {{"Text", kRegSz, {'a', '"', '\\', 'b', 0}}, {"", kRegSz, {'d', 0}}}},
      {"SOFTWARE\\A\\B",
       {{"Number", kRegDword, {0x2a, 0, 0, 0}}, {"Line", kRegSz, {'x', '\n', 'y', 0}}, {"Bin", kRegBinary, {1, 0xff}},
        {"Multi", kRegMultiSz, {'a', 0, 'b', 0, 0}}}},
  };
  const std::string text = FormatRegFile("HKEY_LOCAL_MACHINE", keys);
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\n\"Text\"=\"a\\\"\\\\b\"\n@=\"d\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Number\"=dword:0000002a\n"), std::string::npos);
  EXPECT_NE(text.find("\"Bin\"=hex:01,ff\n"), std::string::npos);
  EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,62,00,00\n"), std::string::npos);
  std::vector<RegKeyRecord> read;
  std::string error;
  ASSERT_TRUE(ParseRegFile(text, "HKEY_LOCAL_MACHINE", read, error)) << error;
  ASSERT_EQ(read.size(), 2u);
  for (std::size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(read[k].path, keys[k].path);
    ASSERT_EQ(read[k].values.size(), keys[k].values.size());
    for (std::size_t v = 0; v < keys[k].values.size(); ++v) {
      EXPECT_EQ(read[k].values[v].name, keys[k].values[v].name);
      EXPECT_EQ(read[k].values[v].type, keys[k].values[v].type);
      EXPECT_EQ(read[k].values[v].data, keys[k].values[v].data);
    }
  }
}

TEST(RegistryStoreTest, DamagedTextsAreRejected) {
  const char* texts[] = {
      "garbage\n",
      "Windows Registry Editor Version 5.00\n\n\"Value\"=\"outside a key\"\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\X]\n\"V\"=dword:12\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\X]\n\"V\"=\"unterminated\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\X]\n\"V\"=hex:1,zz\n",
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\X\n",
  };
  for (const char* text : texts) {
    std::vector<RegKeyRecord> keys;
    std::string error;
    EXPECT_FALSE(ParseRegFile(text, "HKEY_LOCAL_MACHINE", keys, error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

TEST(RegistryKeyTest, NamesMatchWithoutCase) {
  test::TempHome home;
  CMyRegKey key;
  ASSERT_EQ(key.Create(RegRoot::LocalMachine, "SOFTWARE\\Lumtar\\Case"), kRegSuccess);
  ASSERT_EQ(key.WriteString("DisplayName", "first"), kRegSuccess);
  ASSERT_EQ(key.WriteString("DISPLAYNAME", "second"), kRegSuccess);  // same value
  key.Close();
  CMyRegKey other;
  ASSERT_EQ(other.Open(RegRoot::LocalMachine, "software\\LUMTAR\\case", kKeyRead), kRegSuccess);
  std::string text;
  EXPECT_EQ(other.ReadString("displayname", text), kRegSuccess);
  EXPECT_EQ(text, "second");
  EXPECT_EQ(ValueNames("SOFTWARE\\Lumtar\\Case"), std::vector<std::string>{"DisplayName"});
  // The store file has the .reg form.
  const std::string file = test::ReadFileBytes(platform::MachineStoreFile());
  EXPECT_EQ(file.rfind("Windows Registry Editor Version 5.00\n", 0), 0u);
  EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Lumtar\\Case]\n\"DisplayName\"=\"second\"\n"), std::string::npos);
  EXPECT_EQ(platform::MachineStoreFile(), home.SysRoot() + "/var/lib/lumtar-setup/machine.reg");
}

TEST(RegistryKeyTest, OpenOfAMissingKeyFailsAndClosedKeysRefuse) {
  test::TempHome home;
  CMyRegKey key;
  EXPECT_EQ(key.Open(RegRoot::LocalMachine, "SOFTWARE\\None", kKeyRead), kRegFileNotFound);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.SubKey(), "SOFTWARE\\None");
  std::string text = "keep";
  EXPECT_EQ(key.ReadString("x", text), kRegInvalidHandle);
  EXPECT_EQ(key.WriteString("x", "y"), kRegInvalidHandle);
  EXPECT_EQ(text, "keep");
  // A key opened for reading cannot be written.
  ASSERT_EQ(key.Create(RegRoot::LocalMachine, kKey), kRegSuccess);
  key.Close();
  ASSERT_EQ(key.Open(RegRoot::LocalMachine, kKey, kKeyRead), kRegSuccess);
  EXPECT_EQ(key.WriteDword("n", 1), kRegAccessDenied);
}

// ReadString takes at most 199 characters; longer texts fail and leave the text empty.
TEST(RegistryKeyTest, ReadStringLimit) {
  test::TempHome home;
  CMyRegKey key;
  ASSERT_EQ(key.Create(RegRoot::LocalMachine, kKey), kRegSuccess);
  key.WriteString("fits", std::string(199, 'a'));
  key.WriteString("long", std::string(200, 'b'));
  std::string text;
  EXPECT_EQ(key.ReadString("fits", text), kRegSuccess);
  EXPECT_EQ(text, std::string(199, 'a'));
  std::string empty;
  EXPECT_EQ(key.ReadString("long", empty), kRegMoreData);
  EXPECT_TRUE(empty.empty());
  EXPECT_EQ(key.ReadString("missing", empty), kRegFileNotFound);
  // Any type is read as text: a DWORD 0x41 reads as "A".
  key.WriteDword("number", 0x41);
  EXPECT_EQ(key.ReadString("number", text), kRegSuccess);
  EXPECT_EQ(text, "A");
}

TEST(RegistryKeyTest, StrictTypes) {
  test::TempHome home;
  CMyRegKey key;
  ASSERT_EQ(key.Create(RegRoot::LocalMachine, kKey), kRegSuccess);
  key.WriteString("text", "12");
  key.WriteDword("number", 7);
  key.WriteValue("short", kRegBinary, std::string("\x05\x01", 2));
  key.WriteValue("expand", kRegExpandSz, std::string("%HOME%\0", 7));
  key.WriteValue("multi", kRegMultiSz, std::string("a\0b\0\0", 5));

  std::uint32_t number = 99;
  EXPECT_EQ(key.ReadDwordStrict("text", number), -1);
  EXPECT_EQ(key.ReadDwordStrict("short", number), -1);
  EXPECT_EQ(number, 99u);
  EXPECT_EQ(key.ReadDwordStrict("number", number), kRegSuccess);
  EXPECT_EQ(number, 7u);
  // ReadDword has no type check: the bytes it has are taken.
  number = 0xAAAAAAAA;
  EXPECT_EQ(key.ReadDword("short", number), kRegSuccess);
  EXPECT_EQ(number, 0xAAAA0105u);
  EXPECT_EQ(key.ReadDword("missing", number), kRegFileNotFound);
  EXPECT_EQ(key.ReadDword("text", number), kRegSuccess);  // "12\0" is three bytes

  char buffer[16];
  std::uint32_t size = sizeof buffer;
  EXPECT_EQ(key.ReadText("number", buffer, size), -1);
  for (const char* name : {"text", "expand", "multi"}) {
    size = sizeof buffer;
    EXPECT_EQ(key.ReadText(name, buffer, size), kRegSuccess) << name;
  }
  EXPECT_EQ(size, 5u);
  size = 2;
  EXPECT_EQ(key.ReadText("expand", buffer, size), kRegMoreData);
  EXPECT_EQ(size, 7u);
}

TEST(RegistryKeyTest, EnumQueryAndDelete) {
  test::TempHome home;
  for (const char* sub : {"Zeta", "alpha", "Beta\\Inner"}) {
    CMyRegKey key;
    ASSERT_EQ(key.Create(RegRoot::LocalMachine, std::string(kKey) + "\\" + sub), kRegSuccess);
  }
  CMyRegKey key;
  ASSERT_EQ(key.Open(RegRoot::LocalMachine, kKey, kKeyAllAccess), kRegSuccess);
  key.WriteString("name", "value");
  std::vector<std::string> names;
  std::string name;
  for (std::uint32_t i = 0; key.EnumKey(i, name) == kRegSuccess; ++i) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
  RegKeyInfo info;
  ASSERT_EQ(key.QueryInfo(info), kRegSuccess);
  EXPECT_EQ(info.subKeys, 3u);
  EXPECT_EQ(info.maxSubKeyLength, 5u);
  EXPECT_EQ(info.values, 1u);
  EXPECT_EQ(info.maxValueNameLength, 4u);
  EXPECT_EQ(info.maxValueDataLength, 6u);
  EXPECT_EQ(key.DeleteSubKey("Beta"), kRegAccessDenied);  // has a sub-key
  EXPECT_EQ(key.DeleteSubKey("Beta\\Inner"), kRegSuccess);
  EXPECT_EQ(key.DeleteSubKey("beta"), kRegSuccess);
  EXPECT_EQ(key.DeleteSubKey("beta"), kRegFileNotFound);
  EXPECT_EQ(key.EnumKey(2, name), kRegNoMoreItems);
}

TEST(RegistryKeyTest, NamesWithLineBreaksAreRefused) {
  test::TempHome home;
  CMyRegKey key;
  EXPECT_EQ(key.Create(RegRoot::LocalMachine, "SOFTWARE\\bad\nkey"), kRegInvalidParameter);
  ASSERT_EQ(key.Create(RegRoot::LocalMachine, kKey), kRegSuccess);
  EXPECT_EQ(key.WriteString("bad\nname", "x"), kRegInvalidParameter);
  EXPECT_EQ(key.WriteString("ok", "multi\nline"), kRegSuccess);
  std::string text;
  EXPECT_EQ(key.ReadString("ok", text), kRegSuccess);
  EXPECT_EQ(text, "multi\nline");
}

// A damaged store reads as empty with a log line, and is kept aside before the next write.
TEST(RegistryStoreTest, DamagedStoreIsReadEmptyAndKeptAside) {
  test::TempHome home;
  const std::string file = platform::MachineStoreFile();
  test::WriteWholeFile(file, "this is not a registry file\n\"x\"=\"y\"\n");
  test::LogCapture log;
  std::string location = "unchanged";
  CMyRegKey key;
  EXPECT_EQ(key.Open(RegRoot::LocalMachine, kKey, kKeyRead), kRegFileNotFound);
  bool logged = false;
  for (const auto& line : log.Lines()) logged = logged || line.find("is damaged") != std::string::npos;
  EXPECT_TRUE(logged);
  EXPECT_EQ(test::ReadFileBytes(file), "this is not a registry file\n\"x\"=\"y\"\n");  // reads change nothing

  EXPECT_EQ(WriteUninstallString("Orvane", "Version", "1.0"), 1);
  std::string aside;
  for (const auto& [path, content] : test::TreeContents(platform::PathRemoveFileSpec(file))) {
    if (path.find("machine.reg.damaged-") == 0) aside = content;
  }
  EXPECT_EQ(aside, "this is not a registry file\n\"x\"=\"y\"\n");
  ASSERT_EQ(key.Open(RegRoot::LocalMachine, UninstallKeyPath("Orvane"), kKeyRead), kRegSuccess);
  EXPECT_EQ(key.ReadString("Version", location), kRegSuccess);
  EXPECT_EQ(location, "1.0");
}

// A writer killed half way through its temporary file leaves the store as it was.
TEST(RegistryStoreTest, WriterKilledMidWriteLosesNothing) {
  test::TempHome home;
  EXPECT_EQ(WriteUninstallString("Orvane", "Version", "1.0"), 1);
  EXPECT_EQ(WriteUninstallString("Orvane", "Publisher", "Lumtar"), 1);
  const std::string before = test::ReadFileBytes(platform::MachineStoreFile());

  const pid_t child = ::fork();
  if (child == 0) {
    RegStore::SetWriteHook([](int) { ::_exit(9); });
    WriteUninstallString("Orvane", "Version", std::string(5000, 'z'));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 9);  // it did die in the middle
  EXPECT_EQ(test::ReadFileBytes(platform::MachineStoreFile()), before);
  std::string text;
  CMyRegKey key;
  ASSERT_EQ(key.Open(RegRoot::LocalMachine, UninstallKeyPath("Orvane"), kKeyRead), kRegSuccess);
  EXPECT_EQ(key.ReadString("Version", text), kRegSuccess);
  EXPECT_EQ(text, "1.0");
  // And the next writer works.
  EXPECT_EQ(WriteUninstallString("Orvane", "Version", "2.0"), 1);
  EXPECT_EQ(key.ReadString("Version", text), kRegSuccess);
  EXPECT_EQ(text, "2.0");
}

// Writers in parallel never lose each other's values (the lock serialises them).
TEST(RegistryStoreTest, ParallelWritersLoseNothing) {
  test::TempHome home;
  auto writer = [](int id) {
    for (int i = 0; i < 20; ++i) {
      WriteUninstallDword("Orvane", "w" + std::to_string(id) + "_" + std::to_string(i), static_cast<std::uint32_t>(i));
    }
  };
  // The other process is forked before any thread starts, so it holds no lock of theirs.
  const pid_t child = ::fork();
  if (child == 0) {
    for (int i = 0; i < 20; ++i) WriteUninstallDword("Orvane", "p_" + std::to_string(i), 1);
    ::_exit(0);
  }
  std::thread a(writer, 1), b(writer, 2);
  a.join();
  b.join();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_EQ(ValueNames(UninstallKeyPath("Orvane")).size(), 60u);
}

// A store that cannot be read (here a folder in its place) fails the calls; nothing crashes.
TEST(RegistryStoreTest, UnreadableStoreFailsCleanly) {
  test::TempHome home;
  CreateFolderPath(platform::MachineStoreFile());
  EXPECT_EQ(WriteUninstallString("Orvane", "Version", "1"), 0);
  std::uint32_t flags = 5;
  EXPECT_EQ(ReadUninstallDword("Orvane", kSetupFlagValue, flags), 0);
  EXPECT_EQ(flags, 5u);
  std::string location;
  EXPECT_FALSE(ReadInstallLocation("Orvane", location));
  EXPECT_EQ(DeleteUninstallItem("Orvane"), 1);
  EXPECT_TRUE(platform::PathIsFolder(platform::MachineStoreFile()));
}

TEST(RegistryUninstallTest, WritesTheEntryInOrder) {
  test::TempHome home;
  test::LogCapture log;
  PackageHeader header;
  header.SetKeyName("Orvane");
  header.SetDisplayName("Orvane (x64)");
  header.SetVersion("1.0.0.3");
  header.SetDateText("2024-03-15");
  header.SetWebAddress("https://www.lumtar.com/");
  header.SetPublisher("Lumtar Software Ltd.");
  header.SetX64Flag(1);
  const std::string folder = home.SysRoot() + "/opt/Lumtar/Orvane";
  SetInstallPath(folder);
  WriteUninstallEntry(header, 0xFFFFFFFFu, false);

  const std::string keyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane";
  const std::string uninstaller = "\"" + folder + "/uninstall.exe\"";
  const std::vector<std::tuple<std::string, std::uint32_t, std::string>> expected = {
      {"DisplayIcon", kRegSz, folder + "/Lumtar Orvane.exe"},
      {"Version", kRegSz, "1.0.0.3"},
      {"DisplayVersion", kRegSz, "1.0.0.3"},
      {"DisplayName", kRegSz, "Orvane (x64) (2024-03-15)"},
      {"EstimatedSize", kRegDword, "227016"},
      {"HelpLink", kRegSz, "https://www.lumtar.com/"},
      {"InstallDate", kRegSz, "20240315"},
      {"InstallLocation", kRegSz, folder},
      {"NoModify", kRegDword, "1"},
      {"NoRepair", kRegDword, "1"},
      {"Publisher", kRegSz, "Lumtar Software Ltd."},
      {"QuietUninstallString", kRegSz, uninstaller + " /SILENT"},
      {"sEstimatedSize2", kRegDword, "229986"},
      {"UninstallString", kRegSz, uninstaller},
      {"URLInfoAbout", kRegSz, "https://www.lumtar.com/"},
      {"URLUpdateInfo", kRegSz, "https://www.lumtar.com/"},
      {"cfg_flag", kRegDword, "4294967295"},
  };
  const auto keys = RegStore::ForRoot(RegRoot::LocalMachine).Load();
  const int at = FindRegKey(keys, keyPath);
  ASSERT_GE(at, 0);
  const auto& values = keys[static_cast<std::size_t>(at)].values;
  ASSERT_EQ(values.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto& [name, type, text] = expected[i];
    EXPECT_EQ(values[i].name, name) << i;
    EXPECT_EQ(values[i].type, type) << name;
    if (type == kRegSz) {
      EXPECT_EQ(std::string(values[i].data.begin(), values[i].data.end()), text + '\0') << name;
    } else {
      ASSERT_EQ(values[i].data.size(), 4u);
      const std::uint32_t number = values[i].data[0] | (values[i].data[1] << 8) | (values[i].data[2] << 16) |
                                   (static_cast<std::uint32_t>(values[i].data[3]) << 24);
      EXPECT_EQ(std::to_string(number), text) << name;
    }
  }
  EXPECT_TRUE(log.Contains("Write Setup Cfg Flag : -1, root(Orvane), key(cfg_flag).\n"));
}

TEST(RegistryUninstallTest, SilentRunWritesNoSetupFlag) {
  test::TempHome home;
  PackageHeader header;
  header.SetKeyName("Orvane");
  SetInstallPath("/opt/x");
  WriteUninstallEntry(header, 5, true);
  const auto names = ValueNames(UninstallKeyPath("Orvane"));
  EXPECT_EQ(names.size(), 16u);
  EXPECT_EQ(std::count(names.begin(), names.end(), "cfg_flag"), 0);
}

// Reading on a clean machine gives nothing, but leaves the empty key behind.
TEST(RegistryUninstallTest, ReadsOnACleanStoreLeaveAnEmptyKey) {
  test::TempHome home;
  std::string location = "before";
  location.clear();
  EXPECT_FALSE(ReadInstallLocation("Orvane", location));
  EXPECT_TRUE(location.empty());
  std::uint32_t flags = 0xFFFFFFFFu;
  EXPECT_EQ(ReadUninstallDword("Orvane", kSetupFlagValue, flags), 1);
  EXPECT_EQ(flags, 0xFFFFFFFFu);
  const auto keys = RegStore::ForRoot(RegRoot::LocalMachine).Load();
  const int at = FindRegKey(keys, UninstallKeyPath("Orvane"));
  ASSERT_GE(at, 0);
  EXPECT_TRUE(keys[static_cast<std::size_t>(at)].values.empty());

  WriteUninstallString("Orvane", "InstallLocation", "/opt/Lumtar/Orvane");
  WriteUninstallDword("Orvane", kSetupFlagValue, 3);
  EXPECT_TRUE(ReadInstallLocation("Orvane", location));
  EXPECT_EQ(location, "/opt/Lumtar/Orvane");
  EXPECT_EQ(ReadUninstallDword("Orvane", kSetupFlagValue, flags), 1);
  EXPECT_EQ(flags, 3u);
}

TEST(RegistryUninstallTest, DeleteOfAnAbsentEntrySucceedsSilently) {
  test::TempHome home;
  WriteUninstallString("Other", "Version", "9");
  const std::string before = test::ReadFileBytes(platform::MachineStoreFile());
  EXPECT_EQ(DeleteUninstallItem("Orvane"), 1);
  EXPECT_EQ(DeleteUninstallItem(""), 1);  // never the whole branch
  EXPECT_EQ(test::ReadFileBytes(platform::MachineStoreFile()), before);
  WriteUninstallString("Orvane", "Version", "1");
  EXPECT_EQ(DeleteUninstallItem("orvane"), 1);
  const auto keys = RegStore::ForRoot(RegRoot::LocalMachine).Load();
  EXPECT_LT(FindRegKey(keys, UninstallKeyPath("Orvane")), 0);
  EXPECT_GE(FindRegKey(keys, UninstallKeyPath("Other")), 0);
}

}  // namespace
}  // namespace orvane
