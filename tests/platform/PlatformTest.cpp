#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "platform/Clock.h"
#include "platform/DesktopUser.h"
#include "platform/IniReader.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"
#include "platform/Resources.h"
#include "platform/SystemInfo.h"
#include "tests/support/TempHome.h"

namespace orvane::platform {
namespace {

TEST(PlatformTest, PathHelpers) {
  struct Case {
    std::string base, tail, joined;
  };
  for (const Case& c : {Case{"/a", "b", "/a/b"}, Case{"/a/", "b", "/a/b"}, Case{"/a", "/b/c", "/a/b/c"},
                        Case{"/a", "", "/a"}, Case{"", "b", "b"}}) {
    EXPECT_EQ(PathAppend(c.base, c.tail), c.joined) << c.base << " + " << c.tail;
  }
  EXPECT_EQ(PathRemoveFileSpec("/a/b/c.exe"), "/a/b");
  EXPECT_EQ(PathRemoveFileSpec("/a/b/"), "/a");
  EXPECT_EQ(PathRemoveFileSpec("/a"), "/");
  EXPECT_EQ(PathRemoveFileSpec("a"), "");
  EXPECT_EQ(PathFileName("/a/b/c.exe"), "c.exe");
  EXPECT_EQ(CharacterCount("\xE6\x97\xA5\xE6\x9C\xAC"), 2u);
}

TEST(PlatformTest, FoldersFollowHomeXdgAndSysroot) {
  test::TempHome home;
  const std::string h = home.Home();
  EXPECT_EQ(HomeFolder(), h);
  EXPECT_EQ(DocumentsFolder(), h + "/Documents");
  EXPECT_EQ(DownloadsFolder(), h + "/Downloads");
  EXPECT_EQ(AppDataFolder(), h + "/.config");
  EXPECT_EQ(DesktopFolder(), h + "/Desktop");
  EXPECT_EQ(UserStartMenuFolder(), h + "/.local/share/applications");
  EXPECT_EQ(UserStoreFile(), h + "/.config/lumtar-setup/user.reg");
  // A sysroot selects the machine-wide places below it.
  EXPECT_TRUE(UsesMachineWidePlaces());
  EXPECT_EQ(ProgramFilesFolder(), home.SysRoot() + "/opt");
  EXPECT_EQ(CommonStartMenuFolder(), home.SysRoot() + "/usr/share/applications");
  EXPECT_EQ(MachineStoreFile(), home.SysRoot() + "/var/lib/lumtar-setup/machine.reg");
  EXPECT_EQ(TempFolder(), home.Path("tmp"));

  home.SetEnv("XDG_CONFIG_HOME", home.Path("cfg"));
  home.SetEnv("XDG_DATA_HOME", home.Path("data"));
  test::WriteWholeFile(home.Path("cfg/user-dirs.dirs"),
                       "# written by xdg-user-dirs-update\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Papers/Dokumente\"\n");
  EXPECT_EQ(DesktopFolder(), h + "/Schreibtisch");
  EXPECT_EQ(DocumentsFolder(), h + "/Papers/Dokumente");
  EXPECT_EQ(DownloadsFolder(), h + "/Papers/Downloads");
  EXPECT_EQ(UserStartMenuFolder(), home.Path("data/applications"));
  EXPECT_EQ(UserStoreFile(), home.Path("cfg/lumtar-setup/user.reg"));
}

TEST(PlatformTest, WithoutSysrootAnOrdinaryUserGetsPerUserPlaces) {
  test::TempHome home;
  home.UnsetEnv("ORVANE_SYSROOT");
  EXPECT_EQ(SysRoot(), "/");
  if (::geteuid() == 0) {
    EXPECT_TRUE(UsesMachineWidePlaces());
    EXPECT_EQ(ProgramFilesFolder(), "/opt");
    EXPECT_EQ(MachineStoreFile(), "/var/lib/lumtar-setup/machine.reg");
  } else {
    EXPECT_FALSE(UsesMachineWidePlaces());
    EXPECT_EQ(ProgramFilesFolder(), home.Home() + "/.local/opt");
    EXPECT_EQ(CommonStartMenuFolder(), UserStartMenuFolder());
    EXPECT_EQ(MachineStoreFile(), UserStoreFile());
  }
}

TEST(PlatformTest, RootActingForDesktopUserUsesThatUsersHome) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  const passwd* nobody = ::getpwnam("nobody");
  const passwd* root = ::getpwuid(0);
  ASSERT_NE(nobody, nullptr);
  ASSERT_NE(root, nullptr);
  const std::string nobodyHome = nobody->pw_dir;
  const std::string rootHome = root->pw_dir;
  test::TempHome home;
  home.SetEnv("SUDO_UID", std::to_string(nobody->pw_uid));
  // HOME pointed elsewhere (a test, the demo) is obeyed.
  EXPECT_FALSE(ActsForDesktopUser());
  EXPECT_EQ(HomeFolder(), home.Home());
  // HOME still root's own: the desktop user's places.
  home.SetEnv("HOME", rootHome);
  home.SetEnv("XDG_CONFIG_HOME", "/root/.config");
  EXPECT_TRUE(ActsForDesktopUser());
  EXPECT_EQ(HomeFolder(), nobodyHome);
  EXPECT_EQ(DocumentsFolder(), nobodyHome + "/Documents");
  EXPECT_EQ(AppDataFolder(), nobodyHome + "/.config");
  ASSERT_TRUE(DesktopUserOfRoot());
  EXPECT_EQ(DesktopUserOfRoot()->uid, nobody->pw_uid);
}

TEST(PlatformTest, IniReaderReadsLikeProfileIntegers) {
  test::TempHome home;
  const std::string path = home.Path("settings.ini");
  test::WriteWholeFile(path, "[Root]\nShow_Info_View=1\nsetup_test_language=1041 ; japanese\n"
                             "negative=-7\nword=abc\nempty=\n[other]\nkey=5\n");
  struct Case {
    const char* section;
    const char* key;
    int expected;
  };
  for (const Case& c : {Case{"root", "show_info_view", 1}, Case{"ROOT", "setup_test_language", 1041},
                        Case{"root", "negative", -7}, Case{"root", "word", 0}, Case{"root", "empty", 42},
                        Case{"root", "missing", 42}, Case{"other", "key", 5}, Case{"none", "key", 42}}) {
    EXPECT_EQ(ReadIniInt(path, c.section, c.key, 42), c.expected) << c.section << "." << c.key;
  }
  EXPECT_EQ(ReadIniInt(home.Path("missing.ini"), "root", "key", 3), 3);
  test::WriteWholeFile(path, "[root\nbroken");
  EXPECT_EQ(ReadIniInt(path, "root", "broken", 9), 9);
}

std::uint32_t FixedTick() { return 0xFFFFFFF0u; }

TEST(PlatformTest, TickSourceCanBeReplaced) {
  const std::uint32_t a = GetTickCount32();
  const std::uint32_t b = GetTickCount32();
  EXPECT_LE(static_cast<std::uint32_t>(b - a), 1000u);
  SetTickSource(&FixedTick);
  EXPECT_EQ(GetTickCount32(), 0xFFFFFFF0u);
  SetTickSource(nullptr);
}

TEST(PlatformTest, LanguageIdsOfLocales) {
  struct Case {
    const char* locale;
    std::uint16_t id;
  };
  for (const Case& c : {Case{"de_DE.UTF-8", 0x0407}, Case{"de_AT.UTF-8", 0x0C07}, Case{"zh_CN.UTF-8", 0x0804},
                        Case{"zh_TW.UTF-8", 0x0404}, Case{"zh_HK", 0x0C04}, Case{"zh_SG.GB2312", 0x1004},
                        Case{"ca_ES.UTF-8@valencia", 0x0403}, Case{"en_US.UTF-8", 0x0409},
                        Case{"hr_HR.UTF-8", 0x041A}, Case{"ja_JP.UTF-8", 0x0411}, Case{"de_BE.UTF-8", 0x0407},
                        Case{"C", 0x0409}, Case{"POSIX", 0x0409}, Case{"xx_YY", 0x0409}}) {
    EXPECT_EQ(LanguageIdOfLocale(c.locale), c.id) << c.locale;
  }
  test::TempHome home;
  home.SetEnv("LANG", "fr_FR.UTF-8");
  home.SetEnv("LC_MESSAGES", "ja_JP.UTF-8");
  home.UnsetEnv("LC_ALL");
  EXPECT_EQ(SystemLanguageId(), 0x0411);
  home.SetEnv("LC_ALL", "ko_KR.UTF-8");
  EXPECT_EQ(SystemLanguageId(), 0x0412);
}

TEST(PlatformTest, ResourcesAreCompiledIn) {
  const auto text = FindResource("TXT", 504);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, "1.0.0.3 official (05/11/2020)");
  EXPECT_TRUE(FindResource("txt", 503).has_value());
  EXPECT_FALSE(FindResource("txt", 9999).has_value());
  EXPECT_FALSE(FindResource("tx", 503).has_value());
}

}  // namespace
}  // namespace orvane::platform
