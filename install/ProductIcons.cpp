#include "install/ProductIcons.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/Log.h"
#include "app/ProductConstants.h"
#include "install/CMyRegKey.h"
#include "install/ChildProcess.h"
#include "install/ShellLink.h"
#include "install/Shortcuts.h"
#include "platform/DesktopUser.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

constexpr const char* kWindowMetricsKey = "Control Panel\\Desktop\\WindowMetrics";
constexpr const char* kShellIconSize = "Shell Icon Size";
constexpr int kDefaultIconSize = 32;

void RealSleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::atomic<void (*)(int)> g_sleep{&RealSleep};

std::string ReplaceProductName(std::string text) {
  static const std::string kPlaceholder = "__PRODUCT_NAME__";
  for (auto at = text.find(kPlaceholder); at != std::string::npos; at = text.find(kPlaceholder, at)) {
    text.replace(at, kPlaceholder.size(), kProductFullName);
    at += std::string(kProductFullName).size();
  }
  return text;
}

void MenuShortcuts(const ShortcutRequest& request, const ShortcutTextFunction& text, ShortcutLocation location,
                   const std::string& target, const std::string& uninstaller) {
  const std::string& name = request.displayName;
  const char* folder = request.installFolder.c_str();
  CreateShortcut(target.c_str(), folder, name.c_str(), location, name.c_str(),
                 (name + text(kTextApplication)).c_str(), nullptr, nullptr);
  CreateShortcut(uninstaller.c_str(), folder, text(kTextUninstallProduct).c_str(), location, name.c_str(),
                 (name + text(kTextUninstallApplication)).c_str(), nullptr, nullptr);
  CreateShortcut(request.homePageAddress.c_str(), nullptr, text(kTextProductOnline).c_str(), location, name.c_str(),
                 (name + text(kTextHomepage)).c_str(), nullptr, nullptr);
}

// Writes the icon size to the window metrics key; false when the key cannot be opened.
void WriteIconSize(int size) {
  CMyRegKey key;
  if (key.Open(RegRoot::CurrentUser, kWindowMetricsKey, kKeyWrite) != kRegSuccess) return;
  key.WriteString(kShellIconSize, std::to_string(size));
  key.Close();
}

// The desktop's own refresh: rebuild the menu caches of the folders we write.
void UpdateDesktopDatabase() {
  const std::string program = FindProgramOnPath("update-desktop-database");
  if (program.empty()) return;
  std::vector<std::string> folders = {platform::UserStartMenuFolder()};
  if (platform::CommonStartMenuFolder() != folders[0]) folders.push_back(platform::CommonStartMenuFolder());
  for (const std::string& folder : folders) {
    if (!platform::PathIsFolder(folder)) continue;
    ChildProcess child;
    ChildOptions options;
    options.captureOutput = true;
    if (!child.Start({program, "-q", folder}, options)) continue;
    child.ReadOutput([](const char*, std::size_t) {});
    child.Wait();
    // Run as root for a desktop user, the cache in their menu folder must stay theirs.
    const std::string cache = platform::PathAppend(folder, "mimeinfo.cache");
    if (platform::PathFileExists(cache)) platform::GiveToDesktopUser(cache);
  }
}

}  // namespace

std::string EnglishShortcutText(int id) {
  switch (id) {
    case kTextUninstallApplication: return "Uninstall Application";
    case kTextApplication: return "Application";
    case kTextHomepage: return "Homepage";
    case kTextProductOnline: return ReplaceProductName("__PRODUCT_NAME__ Online");
    case kTextUninstallProduct: return ReplaceProductName("Uninstall __PRODUCT_NAME__");
    default: return "";
  }
}

void SetRefreshIconsSleep(void (*sleep)(int)) { g_sleep.store(sleep != nullptr ? sleep : &RealSleep); }

void CreateIcons(const ShortcutRequest& request, const ShortcutTextFunction& texts) {
  const ShortcutTextFunction text = texts ? texts : ShortcutTextFunction(&EnglishShortcutText);
  const std::string target = platform::PathAppend(request.installFolder, request.executableName);
  const std::string uninstaller = platform::PathAppend(request.installFolder, "uninstall.exe");
  const std::string& name = request.displayName;
  if (request.desktop) {
    CreateShortcut(target.c_str(), request.installFolder.c_str(), name.c_str(), Desktop, nullptr,
                   (name + text(kTextApplication)).c_str(), nullptr, nullptr);
    WriteLog("Create DESKTOP Icons Finish.");
  }
  if (request.userStartMenu) {
    MenuShortcuts(request, text, UserPrograms, target, uninstaller);
    WriteLog("Create START_MENU Icons Finish.");
  }
  if (request.commonStartMenu) {
    MenuShortcuts(request, text, CommonPrograms, target, uninstaller);
    WriteLog("Create COMMON_MENU Icons Finish.");
  }
}

void DeleteIcons(const std::string& displayName) {
  const std::string linkName = displayName + kShortcutExtension;
  for (int round = 0; round < 3; ++round) {
    DeleteShortcutFolder(UserPrograms, displayName);
    DeleteShortcutFolder(CommonPrograms, displayName);
    DeleteShortcutFile(Desktop, linkName);
    DeleteShortcutFile(QuickLaunch, linkName);
    DeleteShortcutFile(TaskbarPinned, linkName);
  }
  WriteLog("End delete Icon.");
}

void RefreshIcons() {
  int current = kDefaultIconSize;
  {
    CMyRegKey key;
    if (key.Open(RegRoot::CurrentUser, kWindowMetricsKey, kKeyRead) == kRegSuccess) {
      char buffer[256] = {};
      std::uint32_t size = sizeof buffer - 1;
      if (key.ReadText(kShellIconSize, buffer, size) == kRegSuccess) {
        const int read = std::atoi(buffer);
        if (read > 0) current = read;
      }
      key.Close();
    }
  }
  WriteIconSize(current + 1);
  g_sleep.load()(200);
  WriteIconSize(current);
  UpdateDesktopDatabase();
}

}  // namespace orvane
