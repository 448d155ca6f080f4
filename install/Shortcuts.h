#pragma once
// Shortcut places (desktop, start menus, quick launch) and the creation and
// removal of single shortcuts in them. Runs on the install or uninstall worker.
#include <cstdint>
#include <string>

#include "platform/Status.h"

namespace orvane {

enum ShortcutLocation : std::uint32_t {
  QuickLaunch = 0,
  TaskbarPinned = 1,
  UserPrograms = 2,
  CommonPrograms = 3,
  Desktop = 4,
  CustomFolder = 5,
};

// The folder a location names ("" when it cannot be found). For creation any
// value above 5 means Desktop; `forDeletion` makes any value above 3 mean Desktop.
std::string GetLocationFolder(std::uint32_t location, bool forDeletion = false);

// Writes the shortcut "<name>.desktop" into the location's folder (the
// `folder` argument for CustomFolder), inside `subfolder` when given (created).
// `folder` is also the shortcut's working folder. S_OK; E_POINTER for a null
// target or name; E_FAIL when the place is missing or the file cannot be written.
// The start-menu folders are created when missing, as on a fresh account.
HRESULT CreateShortcut(const char* target, const char* folder, const char* name, std::uint32_t location,
                       const char* subfolder, const char* description, const char* icon, const char* arguments);

// Deletes "<folder of location>/<fileName>"; returns whether the location's folder exists.
bool DeleteShortcutFile(std::uint32_t location, const std::string& fileName);
// Removes the folder "<folder of location>/<folderName>" and all in it (links
// are never followed); returns whether the location's folder exists.
bool DeleteShortcutFolder(std::uint32_t location, const std::string& folderName);

}  // namespace orvane
