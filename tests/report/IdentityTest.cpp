#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/NetworkAdapters.h"
#include "platform/PathUtil.h"
#include "platform/SystemInfo.h"
#include "report/IdText.h"
#include "report/MachineIdentity.h"
#include "report/SystemFacts.h"
#include "tests/support/TempHome.h"

extern char** environ;

namespace orvane {
namespace {

bool IsHexText(const std::string& text, const char* digits) {
  return text.size() == 32 && text.find_first_not_of(digits) == std::string::npos;
}
constexpr const char* kUpperHex = "0123456789ABCDEF";
constexpr const char* kLowerHex = "0123456789abcdef";

using platform::NetworkAdapter;

NetworkAdapter Adapter(const std::string& address, bool physical = false, const std::string& name = "eth") {
  NetworkAdapter adapter;
  adapter.name = name;
  unsigned bytes[6] = {};
  std::sscanf(address.c_str(), "%x-%x-%x-%x-%x-%x", &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4],
              &bytes[5]);
  for (int i = 0; i < 6; ++i) adapter.address[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bytes[i]);
  adapter.physical = physical;
  return adapter;
}

TEST(IdentityAddressTest, VirtualPrefixesMatchAnywhereInAnyCase) {
  struct Case {
    const char* address;
    bool isVirtual;
  } cases[] = {
      {"00-0c-29-12-34-56", true},  {"00-0C-29-12-34-56", true}, {"00-1c-14-00-00-01", true},
      {"00-1C-14-00-00-01", true},  {"08-00-27-aa-bb-cc", true}, {"00-16-3e-01-02-03", true},
      {"aa-00-50-56-01-02", true},  // contained, not only as the prefix
      {"b4-2e-99-01-02-03", false}, {"10-7b-44-00-00-01", false}, {"00-0c-28-12-34-56", false},
  };
  for (const auto& row : cases) EXPECT_EQ(IsVirtualAddress(row.address), row.isVirtual) << row.address;
  EXPECT_EQ(VirtualAdapterPrefixes().size(), 9u);
  EXPECT_STREQ(VirtualAdapterPrefixes()[0], "00-05-69");
  EXPECT_STREQ(VirtualAdapterPrefixes()[8], "08-00-27");
}

TEST(IdentityAddressTest, AddressTextIsLowerCaseWithDashes) {
  EXPECT_EQ(AdapterAddressText(Adapter("B4-2E-99-0A-FF-03")), "b4-2e-99-0a-ff-03");
}

TEST(IdentityAdapterListTest, SortsAndLeavesOutVirtualAndFourthAdapters) {
  EXPECT_EQ(ListAdapterAddressesOf({Adapter("b4-2e-99-01-02-03"), Adapter("10-7b-44-00-00-01")}),
            (std::vector<std::string>{"10-7b-44-00-00-01", "b4-2e-99-01-02-03"}));
  // Three virtual adapters first: the fourth, real one is never counted.
  EXPECT_TRUE(ListAdapterAddressesOf({Adapter("00-0c-29-00-00-01"), Adapter("00-50-56-00-00-02"),
                                      Adapter("08-00-27-00-00-03"), Adapter("b4-2e-99-01-02-03")})
                  .empty());
  EXPECT_EQ(ListAdapterAddressesOf({Adapter("00-0c-29-00-00-01"), Adapter("c0-00-00-00-00-01"),
                                    Adapter("08-00-27-00-00-03"), Adapter("a0-00-00-00-00-04")}),
            (std::vector<std::string>{"c0-00-00-00-00-01"}));
  EXPECT_TRUE(ListAdapterAddressesOf({}).empty());
}

TEST(IdentityMachineIdTest, PrefersPhysicalThenNonVirtualThenFirstThree) {
  // Physical adapters anywhere in the list win, sorted.
  EXPECT_EQ(GetMachineIdOf({Adapter("c0-00-00-00-00-01"), Adapter("00-0c-29-00-00-02"),
                            Adapter("b0-00-00-00-00-03", true), Adapter("00-50-56-00-00-04"),
                            Adapter("a0-00-00-00-00-05", true)}),
            "a0-00-00-00-00-05:b0-00-00-00-00-03");
  // No physical adapter: the non-virtual ones among the first three.
  EXPECT_EQ(GetMachineIdOf({Adapter("c0-00-00-00-00-01"), Adapter("00-0c-29-00-00-02"),
                            Adapter("b0-00-00-00-00-03"), Adapter("a0-00-00-00-00-04")}),
            "b0-00-00-00-00-03:c0-00-00-00-00-01");
  // Neither: the first three addresses, sorted.
  EXPECT_EQ(GetMachineIdOf({Adapter("08-00-27-00-00-03"), Adapter("00-50-56-00-00-02"),
                            Adapter("00-0c-29-00-00-01"), Adapter("00-16-3e-00-00-04")}),
            "00-0c-29-00-00-01:00-50-56-00-00-02:08-00-27-00-00-03");
  EXPECT_EQ(GetMachineIdOf({}), "");
  EXPECT_EQ(GetFirstAdapterAddressesOf({Adapter("08-00-27-00-00-03"), Adapter("00-50-56-00-00-02"),
                                        Adapter("00-0c-29-00-00-01"), Adapter("00-16-3e-00-00-04")}),
            "08-00-27-00-00-03:00-50-56-00-00-02:00-0c-29-00-00-01");
}

TEST(IdentityAdapterReadTest, ReadsInterfaceOrderSkipsLoopbackAndFindsDevices) {
  test::TempHome home;
  const std::string net = home.Path("net");
  auto add = [&](const std::string& name, const std::string& index, const std::string& address, bool device) {
    test::WriteWholeFile(net + "/" + name + "/ifindex", index + "\n");
    test::WriteWholeFile(net + "/" + name + "/address", address + "\n");
    if (device) test::WriteWholeFile(net + "/" + name + "/device/uevent", "");
  };
  add("lo", "1", "00:00:00:00:00:00", false);
  add("wlan0", "3", "B4:2E:99:01:02:03", true);
  add("eth0", "2", "10:7b:44:00:00:01", true);
  add("docker0", "10", "02:42:ac:11:00:02", false);
  add("tun0", "4", "", false);
  test::WriteWholeFile(net + "/bonding_masters", "\n");  // a file, not an interface

  std::vector<NetworkAdapter> adapters;
  ASSERT_TRUE(platform::ReadNetworkAdaptersFrom(net, adapters));
  ASSERT_EQ(adapters.size(), 4u);
  EXPECT_EQ(adapters[0].name, "eth0");
  EXPECT_EQ(adapters[1].name, "wlan0");
  EXPECT_EQ(adapters[2].name, "tun0");
  EXPECT_EQ(adapters[3].name, "docker0");
  EXPECT_TRUE(adapters[0].physical);
  EXPECT_TRUE(adapters[1].physical);
  EXPECT_FALSE(adapters[3].physical);
  EXPECT_EQ(AdapterAddressText(adapters[1]), "b4-2e-99-01-02-03");
  EXPECT_EQ(AdapterAddressText(adapters[2]), "00-00-00-00-00-00");
  EXPECT_EQ(GetMachineIdOf(adapters), "10-7b-44-00-00-01:b4-2e-99-01-02-03");

  EXPECT_FALSE(platform::ReadNetworkAdaptersFrom(home.Path("missing"), adapters));
  EXPECT_TRUE(adapters.empty());
}

TEST(IdentityAdapterReadTest, PhysicalTestRejectsNamesOutsideTheInterfaceFolder) {
  EXPECT_FALSE(IsPhysicalAdapter(""));
  EXPECT_FALSE(IsPhysicalAdapter(".."));
  EXPECT_FALSE(IsPhysicalAdapter("../../../"));
  EXPECT_FALSE(IsPhysicalAdapter("lo"));
}

TEST(IdentityTextTest, SplitAndSortIdLists) {
  EXPECT_EQ(SplitText("a::b:", ":"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SplitText("a--b--c", "--"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(SplitText("", ":").empty());
  EXPECT_TRUE(SplitText("abc", "").empty());
  EXPECT_EQ(SortIdList("c:a:b:a"), "a:a:b:c");
  EXPECT_EQ(SortIdList("b:a:"), "a:b");
  EXPECT_EQ(SortIdList("only"), "only");
  EXPECT_EQ(SortIdList(":x"), ":x");  // one part: unchanged
  EXPECT_EQ(SortIdList(""), "");
}

TEST(IdentityTextTest, Base64) {
  const std::pair<std::string, std::string> cases[] = {
      {"abc", "YWJj"}, {"ab", "YWI="}, {"a", "YQ=="}, {"", ""},
      {"foobar", "Zm9vYmFy"}, {std::string("\xff\xfe\x00", 3), "//4A"},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(Base64Encode(input), expected) << input;
}

TEST(IdentityTextTest, IntegerTexts) {
  const std::pair<const char*, bool> cases[] = {
      {"1003", true},  {" 42 ", true},  {"-7", true},     {"+5", true},   {"x64", false}, {"64x", false},
      {"1.5", false},  {"", false},     {"  ", false},    {"1 2", false}, {"cc95ead3", false},
      {"99999999999", false},  // does not fit
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(IsIntegerText(text), expected) << "'" << text << "'";
}

TEST(IdentityTextTest, InstallerNameTags) {
  struct Case {
    const char* path;
    const char* option;
    const char* source;
  } cases[] = {
      {"/tmp/lumtar_orvane_x64_1003_cc95ead3.exe", "orvane_x64", ""},
      {"/tmp/lumtar_orvane_x64_1003_ab_cd_ef.exe", "orvane_x64", "ab_cd"},
      {"/dl/Lumtar_Orvane_X64_1003_AB_7_CD_EF", "orvane_x64", "ab_cd"},  // lower-cased; later integers left out
      {"/dl/lumtar_1003_ab_cd.exe", "", "ab"},
      {"/tmp/lumtar_orvane_x64_setup.exe", "keep-option", "keep-source"},  // no integer part
      {"/tmp/lumtar_orvane_1003.exe", "keep-option", "keep-source"},       // the last part never counts
      {"/tmp/1003_orvane.exe", "keep-option", "keep-source"},              // nor does the first
      {"/tmp/orvane-setup", "keep-option", "keep-source"},
  };
  for (const auto& row : cases) {
    std::string option = "keep-option";
    std::string source = "keep-source";
    ParseInstallerNameTagsOf(row.path, option, source);
    EXPECT_EQ(option, row.option) << row.path;
    EXPECT_EQ(source, row.source) << row.path;
  }
}

TEST(IdentityIdTest, UuidTextIsThirtyTwoUpperCaseDigitsAndNew) {
  const std::string first = NewUuidText();
  const std::string second = NewUuidText();
  EXPECT_TRUE(IsHexText(first, kUpperHex)) << first;
  EXPECT_TRUE(IsHexText(second, kUpperHex)) << second;
  EXPECT_NE(first, second);
}

TEST(IdentityIdTest, InstallIdsDifferWithinAProcess) {
  const std::string first = NewInstallId();
  EXPECT_EQ(LastInstallId(), first);
  const std::string second = NewInstallId();
  EXPECT_TRUE(IsHexText(first, kLowerHex)) << first;
  EXPECT_NE(first, second);
  EXPECT_EQ(LastInstallId(), second);
}

// Run only as a child of the test below: writes one install id to the file
// named by ORVANE_INSTALL_ID_OUT.
TEST(IdentityChildProcess, DISABLED_WriteInstallId) {
  const char* out = std::getenv("ORVANE_INSTALL_ID_OUT");
  ASSERT_NE(out, nullptr);
  test::WriteWholeFile(out, NewInstallId());
}

std::string InstallIdOfNewProcess(test::TempHome& home, const std::string& name) {
  const std::string out = home.Path(name);
  home.SetEnv("ORVANE_INSTALL_ID_OUT", out);
  std::vector<std::string> args = {"/proc/self/exe", "--gtest_also_run_disabled_tests",
                                   "--gtest_filter=IdentityChildProcess.DISABLED_WriteInstallId"};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return "";
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "";
  return test::ReadWholeFile(out);
}

TEST(IdentityIdTest, InstallIdsDifferBetweenProcesses) {
  test::TempHome home;
  const std::string first = InstallIdOfNewProcess(home, "first.txt");
  const std::string second = InstallIdOfNewProcess(home, "second.txt");
  EXPECT_TRUE(IsHexText(first, kLowerHex)) << first;
  EXPECT_TRUE(IsHexText(second, kLowerHex)) << second;
  EXPECT_NE(first, second);
}

TEST(IdentitySystemTest, SupportedVersions) {
  const std::pair<platform::KernelVersion, bool> cases[] = {
      {{0, 0}, false}, {{3, 19}, false}, {{4, 0}, true}, {{6, 1}, true}, {{10, 0}, true},
  };
  for (const auto& [version, supported] : cases) {
    EXPECT_EQ(IsSupportedSystemVersion(version), supported) << version.major << "." << version.minor;
  }
  EXPECT_EQ(platform::KernelVersionOfRelease("6.1.0-18-amd64").major, 6);
  EXPECT_EQ(platform::KernelVersionOfRelease("6.1.0-18-amd64").minor, 1);
  EXPECT_EQ(platform::KernelVersionOfRelease("garbage").major, 0);
  EXPECT_TRUE(IsWindows7OrLater());  // the machine running the tests has a current kernel
}

TEST(IdentitySystemTest, FreeSpaceOfAFolderStillToBeMade) {
  test::TempHome home;
  const std::uint64_t existing = GetFreeDiskMB(home.Root());
  EXPECT_GT(existing, 0u);
  const std::uint64_t future = GetFreeDiskMB(home.Root() + "/not/yet/made");
  // Same file system; allow for other writers between the two reads.
  EXPECT_NEAR(static_cast<double>(future), static_cast<double>(existing), 64.0);
}

TEST(IdentitySystemTest, DownloadsPathBesideDocuments) {
  test::TempHome home;
  const std::string path = GetDownloadsPath("Lumtar/Orvane", "package.exe", true);
  EXPECT_EQ(path, home.Home() + "/Downloads/Lumtar/Orvane/package.exe");
  EXPECT_TRUE(platform::PathIsFolder(home.Home() + "/Downloads/Lumtar/Orvane"));
  EXPECT_EQ(GetDownloadsPath("Other", nullptr, false), home.Home() + "/Downloads/Other");
  EXPECT_FALSE(platform::PathIsFolder(home.Home() + "/Downloads/Other"));
}

TEST(IdentitySystemTest, LanguageNameOfTheUsersLocale) {
  test::TempHome home;
  home.SetEnv("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(platform::UserLanguageEnglishName(), "German");
  home.SetEnv("LC_ALL", "C");
  EXPECT_EQ(platform::UserLanguageEnglishName(), "English");
  EXPECT_EQ(platform::EnglishLanguageNameOf(0x0804), "Chinese");
}

}  // namespace
}  // namespace orvane
