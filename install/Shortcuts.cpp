#include "install/Shortcuts.h"

#include <unistd.h>

#include "app/FolderHelpers.h"
#include "install/ShellLink.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

std::string QuickLaunchFolder() {
  return platform::PathAppend(platform::AppDataFolder(), "Microsoft/Internet Explorer/Quick Launch");
}

// Names from callers are single path elements: no separators, no "." or "..".
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::string GetLocationFolder(std::uint32_t location, bool forDeletion) {
  if (location > (forDeletion ? 3u : 5u)) location = Desktop;
  switch (location) {
    case QuickLaunch: return QuickLaunchFolder();
    case TaskbarPinned: return platform::PathAppend(QuickLaunchFolder(), "User Pinned/TaskBar");
    case UserPrograms: return platform::UserStartMenuFolder();
    case CommonPrograms: return platform::CommonStartMenuFolder();
    case Desktop: return platform::DesktopFolder();
    default: return "";
  }
}

HRESULT CreateShortcut(const char* target, const char* folder, const char* name, std::uint32_t location,
                       const char* subfolder, const char* description, const char* icon, const char* arguments) {
  if (target == nullptr || name == nullptr) return E_POINTER;
  std::string place = location == CustomFolder ? std::string(folder != nullptr ? folder : "")
                                               : GetLocationFolder(location);
  if ((location == UserPrograms || location == CommonPrograms) && !place.empty()) CreateFolderPath(place);
  if (place.empty() || !platform::PathIsFolder(place)) return E_FAIL;
  if (subfolder != nullptr && *subfolder != '\0') {
    if (!IsPlainName(subfolder)) return E_FAIL;
    place = platform::PathAppend(place, subfolder);
    CreateFolderPath(place);
  }
  const bool made = MakeShellLink(target, place, name, folder != nullptr ? folder : "", 0,
                                  description != nullptr ? description : "", icon != nullptr ? icon : "",
                                  arguments != nullptr ? arguments : "", 1);
  return made ? S_OK : E_FAIL;
}

bool DeleteShortcutFile(std::uint32_t location, const std::string& fileName) {
  const std::string place = GetLocationFolder(location, true);
  if (place.empty() || !platform::PathIsFolder(place)) return false;
  if (IsPlainName(fileName)) ::unlink(platform::PathAppend(place, fileName).c_str());
  return true;
}

bool DeleteShortcutFolder(std::uint32_t location, const std::string& folderName) {
  const std::string place = GetLocationFolder(location, true);
  if (place.empty() || !platform::PathIsFolder(place)) return false;
  if (IsPlainName(folderName)) RemoveFolderTree(platform::PathAppend(place, folderName));
  return true;
}

}  // namespace orvane
