#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "app/FolderHelpers.h"
#include "install/CMyRegKey.h"
#include "install/ProductIcons.h"
#include "install/ShellLink.h"
#include "install/Shortcuts.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

// Key=value lines of a desktop entry.
std::map<std::string, std::string> EntryFields(const std::string& path) {
  std::map<std::string, std::string> fields;
  const std::string text = test::ReadFileBytes(path);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const auto equals = line.find('=');
    if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    start = end + 1;
  }
  return fields;
}

void ExpectValid(const std::string& path) {
  std::string output;
  EXPECT_EQ(test::RunProgram({"desktop-file-validate", path}, "", &output), 0) << path << "\n" << output;
  EXPECT_EQ(output, "") << path;
}

ShortcutRequest SampleRequest(const test::TempHome& home, bool desktop) {
  ShortcutRequest request;
  request.installFolder = home.SysRoot() + "/opt/Lumtar Orvane";
  request.executableName = "Lumtar Orvane.exe";
  request.displayName = "Lumtar Orvane";
  request.homePageAddress = "https://www.lumtar.com/?s=orvane_client&ad=orvane_client&v=1.0.0.3";
  request.desktop = desktop;
  return request;
}

struct ExpectedLink {
  std::string file;
  std::string description;
  bool web;
};

TEST(ShortcutTest, CreatesTheSixMenuLinksAndTheDesktopLink) {
  test::TempHome home;
  CreateFolderPath(platform::DesktopFolder());
  test::LogCapture log;
  const ShortcutRequest request = SampleRequest(home, true);
  CreateIcons(request);
  const std::string target = request.installFolder + "/Lumtar Orvane.exe";
  const std::vector<ExpectedLink> menu = {
      {"Lumtar Orvane.desktop", "Lumtar OrvaneApplication", false},
      {"Uninstall Lumtar Orvane.desktop", "Lumtar OrvaneUninstall Application", false},
      {"Lumtar Orvane Online.desktop", "Lumtar OrvaneHomepage", true},
  };
  const std::string userMenu = home.Home() + "/.local/share/applications/Lumtar Orvane";
  const std::string commonMenu = home.SysRoot() + "/usr/share/applications/Lumtar Orvane";
  for (const std::string& folder : {userMenu, commonMenu}) {
    for (const ExpectedLink& link : menu) {
      const std::string path = folder + "/" + link.file;
      SCOPED_TRACE(path);
      ASSERT_TRUE(platform::PathFileExists(path));
      ExpectValid(path);
      auto fields = EntryFields(path);
      EXPECT_EQ(fields["Comment"], link.description);
      if (link.web) {
        EXPECT_EQ(fields["Type"], "Link");
        EXPECT_EQ(fields["URL"], request.homePageAddress);
        EXPECT_EQ(fields.count("Path"), 0u);  // no working folder
      } else {
        EXPECT_EQ(fields["Type"], "Application");
        EXPECT_EQ(fields["Path"], request.installFolder);
      }
    }
    EXPECT_EQ(test::TreeContents(folder).size(), 3u);
  }
  EXPECT_EQ(EntryFields(userMenu + "/Lumtar Orvane.desktop")["Exec"], "\"" + target + "\"");
  EXPECT_EQ(EntryFields(userMenu + "/Uninstall Lumtar Orvane.desktop")["Exec"],
            "\"" + request.installFolder + "/uninstall.exe\"");
  EXPECT_EQ(EntryFields(userMenu + "/Lumtar Orvane.desktop")["Name"], "Lumtar Orvane");
  EXPECT_EQ(EntryFields(userMenu + "/Lumtar Orvane Online.desktop")["Name"], "Lumtar Orvane Online");

  const std::string desktopLink = platform::DesktopFolder() + "/Lumtar Orvane.desktop";
  ExpectValid(desktopLink);
  EXPECT_EQ(EntryFields(desktopLink)["Comment"], "Lumtar OrvaneApplication");
  struct stat info {};
  ASSERT_EQ(::stat(desktopLink.c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  for (const char* line : {"Create DESKTOP Icons Finish.", "Create START_MENU Icons Finish.",
                           "Create COMMON_MENU Icons Finish."}) {
    EXPECT_TRUE(log.Contains(line)) << line;
  }
}

TEST(ShortcutTest, WithoutTheDesktopOptionOnlyTheMenus) {
  test::TempHome home;
  CreateFolderPath(platform::DesktopFolder());
  CreateIcons(SampleRequest(home, false));
  EXPECT_TRUE(test::TreeContents(platform::DesktopFolder()).empty());
  EXPECT_EQ(test::TreeContents(home.Home() + "/.local/share/applications/Lumtar Orvane").size(), 3u);
  EXPECT_EQ(test::TreeContents(home.SysRoot() + "/usr/share/applications/Lumtar Orvane").size(), 3u);
}

TEST(ShortcutTest, TextsComeFromTheGivenTable) {
  test::TempHome home;
  std::map<int, std::string> german = {{35, "Anwendung deinstallieren"}, {36, "Anwendung"}, {38, "Startseite"},
                                       {46, "Lumtar Orvane online"},     {47, "Lumtar Orvane deinstallieren"}};
  CreateIcons(SampleRequest(home, false), [&](int id) { return german[id]; });
  const std::string menu = home.Home() + "/.local/share/applications/Lumtar Orvane/";
  EXPECT_EQ(EntryFields(menu + "Lumtar Orvane deinstallieren.desktop")["Comment"],
            "Lumtar OrvaneAnwendung deinstallieren");
  EXPECT_EQ(EntryFields(menu + "Lumtar Orvane online.desktop")["Comment"], "Lumtar OrvaneStartseite");
}

// Exec quoting: blanks, quotes, "$" and "%" survive the desktop entry rules.
TEST(ShortcutTest, ExecArgumentsAreQuoted) {
  test::TempHome home;
  ASSERT_TRUE(MakeShellLink("/opt/My App/run me", home.Path(""), "Quoted", "/opt/My App", 0, "d", "",
                            " --installmode \"two words\" 100% a$b", 1));
  const std::string path = home.Path("Quoted.desktop");
  ExpectValid(path);
  EXPECT_EQ(EntryFields(path)["Exec"], "\"/opt/My App/run me\" --installmode \"two words\" 100%% \"a\\\\$b\"");
  EXPECT_EQ(EntryFields(path)["Icon"], "/opt/My App/run me");
}

TEST(ShortcutTest, CreateShortcutErrors) {
  test::TempHome home;
  EXPECT_EQ(CreateShortcut(nullptr, "/x", "n", Desktop, nullptr, nullptr, nullptr, nullptr), E_POINTER);
  EXPECT_EQ(CreateShortcut("/x", "/x", nullptr, Desktop, nullptr, nullptr, nullptr, nullptr), E_POINTER);
  // No desktop folder: nothing is created.
  EXPECT_EQ(CreateShortcut("/x", "/x", "n", Desktop, nullptr, nullptr, nullptr, nullptr), E_FAIL);
  EXPECT_FALSE(platform::PathFileExists(platform::DesktopFolder()));
  // Values above 5 mean the desktop.
  CreateFolderPath(platform::DesktopFolder());
  EXPECT_EQ(CreateShortcut("/x", "/x", "n", 77, nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_TRUE(platform::PathFileExists(platform::DesktopFolder() + "/n.desktop"));
  // A custom folder; a subfolder that tries to climb out is refused.
  CreateFolderPath(home.Path("custom"));
  EXPECT_EQ(CreateShortcut("/x", home.Path("custom").c_str(), "c", CustomFolder, "sub", nullptr, nullptr, nullptr),
            S_OK);
  EXPECT_TRUE(platform::PathFileExists(home.Path("custom/sub/c.desktop")));
  EXPECT_EQ(CreateShortcut("/x", home.Path("custom").c_str(), "c", CustomFolder, "..", nullptr, nullptr, nullptr),
            E_FAIL);
}

TEST(ShortcutTest, DeleteIconsRemovesEverythingAndToleratesNothing) {
  test::TempHome home;
  DeleteIcons("Lumtar Orvane");  // nothing there: fine
  CreateFolderPath(platform::DesktopFolder());
  CreateIcons(SampleRequest(home, true));
  const std::string userMenu = home.Home() + "/.local/share/applications/Lumtar Orvane";
  test::WriteWholeFile(userMenu + "/my notes.txt", "user file");
  const std::string quick = platform::AppDataFolder() + "/Microsoft/Internet Explorer/Quick Launch";
  test::WriteWholeFile(quick + "/Lumtar Orvane.desktop", "x");
  test::WriteWholeFile(quick + "/User Pinned/TaskBar/Lumtar Orvane.desktop", "x");
  test::WriteWholeFile(platform::DesktopFolder() + "/Other.desktop", "keep");
  test::LogCapture log;
  DeleteIcons("Lumtar Orvane");
  EXPECT_FALSE(platform::PathFileExists(userMenu));
  EXPECT_FALSE(platform::PathFileExists(home.SysRoot() + "/usr/share/applications/Lumtar Orvane"));
  EXPECT_FALSE(platform::PathFileExists(platform::DesktopFolder() + "/Lumtar Orvane.desktop"));
  EXPECT_FALSE(platform::PathFileExists(quick + "/Lumtar Orvane.desktop"));
  EXPECT_FALSE(platform::PathFileExists(quick + "/User Pinned/TaskBar/Lumtar Orvane.desktop"));
  EXPECT_TRUE(platform::PathFileExists(platform::DesktopFolder() + "/Other.desktop"));
  EXPECT_TRUE(log.Contains("End delete Icon."));
  EXPECT_TRUE(DeleteShortcutFile(Desktop, "../Other.desktop"));  // names never climb out
  EXPECT_TRUE(platform::PathFileExists(platform::DesktopFolder() + "/Other.desktop"));
  // Above 3 means the desktop when deleting; a missing place reports false.
  EXPECT_TRUE(DeleteShortcutFile(CustomFolder, "Other.desktop"));
  EXPECT_FALSE(platform::PathFileExists(platform::DesktopFolder() + "/Other.desktop"));
  RemoveFolderTree(platform::DesktopFolder());
  EXPECT_FALSE(DeleteShortcutFile(Desktop, "Other.desktop"));
  EXPECT_FALSE(DeleteShortcutFolder(Desktop, "x"));
}

std::string IconSize() {
  CMyRegKey key;
  std::string text;
  if (key.Open(RegRoot::CurrentUser, "Control Panel\\Desktop\\WindowMetrics", kKeyRead) != kRegSuccess) return "<no key>";
  if (key.ReadString("Shell Icon Size", text) != kRegSuccess) return "<no value>";
  return text;
}

TEST(ShortcutTest, RefreshIconsRestoresTheIconSize) {
  test::TempHome home;
  static std::vector<std::string> seen;
  seen.clear();
  SetRefreshIconsSleep([](int ms) {
    EXPECT_EQ(ms, 200);
    seen.push_back(IconSize());
  });
  // Without the key nothing is written.
  RefreshIcons();
  EXPECT_EQ(IconSize(), "<no key>");
  // With the key but no value: bumped to 33, left at 32.
  CMyRegKey key;
  ASSERT_EQ(key.Create(RegRoot::CurrentUser, "Control Panel\\Desktop\\WindowMetrics"), kRegSuccess);
  RefreshIcons();
  EXPECT_EQ(IconSize(), "32");
  // An existing value comes back unchanged.
  key.WriteString("Shell Icon Size", "48");
  RefreshIcons();
  EXPECT_EQ(IconSize(), "48");
  SetRefreshIconsSleep(nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"<no key>", "33", "49"}));
  EXPECT_EQ(platform::UserStoreFile(), home.Home() + "/.config/lumtar-setup/user.reg");
}

}  // namespace
}  // namespace orvane
