#pragma once
// The product's shortcuts as a set: the desktop link and the start-menu folder
// (product, uninstaller, home page) in the user's and the all-users menu; their
// removal; and the refresh of the desktop's icon and menu caches.
// Runs on the install or uninstall worker.
#include <functional>
#include <string>

namespace orvane {

struct ShortcutRequest {
  std::string installFolder;
  std::string executableName;
  std::string displayName;
  std::string homePageAddress;
  bool desktop = false;
  bool userStartMenu = true;
  bool commonStartMenu = true;
};

// The UI text of an id, in the chosen language with the product name put in.
using ShortcutTextFunction = std::function<std::string(int id)>;

inline constexpr int kTextUninstallApplication = 35;
inline constexpr int kTextApplication = 36;
inline constexpr int kTextHomepage = 38;
inline constexpr int kTextProductOnline = 46;
inline constexpr int kTextUninstallProduct = 47;

// English texts 35, 36, 38, 46, 47 with the product's full name put in.
std::string EnglishShortcutText(int id);

// Creates the shortcuts the request asks for; single failures are ignored.
// `texts` defaults to EnglishShortcutText.
void CreateIcons(const ShortcutRequest& request, const ShortcutTextFunction& texts = {});
// Removes the product's start-menu folders (with everything in them) and its
// links on the desktop, quick launch and pinned taskbar; three rounds.
void DeleteIcons(const std::string& displayName);
// Bumps "Shell Icon Size" of the user's window metrics by one and back, with
// 200 ms between, and refreshes the desktop's menu cache (update-desktop-database).
void RefreshIcons();

// Test seam: replaces the 200 ms wait (nullptr restores the sleep).
void SetRefreshIconsSleep(void (*sleep)(int milliseconds));

}  // namespace orvane
