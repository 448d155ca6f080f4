#pragma once
// The folders the installer works in, resolved from HOME, the XDG variables and
// ORVANE_SYSROOT. Machine-wide places are used when running as root or when a
// sysroot is set; otherwise per-user places stand in for them.
#include <string>

namespace orvane::platform {

std::string HomeFolder();
std::string DocumentsFolder();
std::string DownloadsFolder();      // parent of Documents + "/Downloads"
std::string AppDataFolder();        // $XDG_CONFIG_HOME or ~/.config
std::string DesktopFolder();
std::string UserStartMenuFolder();  // $XDG_DATA_HOME/applications
std::string CommonStartMenuFolder();
std::string ProgramFilesFolder();   // <sysroot>/opt or ~/.local/opt
std::string MachineStoreFile();     // HKEY_LOCAL_MACHINE
std::string UserStoreFile();        // HKEY_CURRENT_USER
std::string TempFolder();
std::string SysRoot();              // $ORVANE_SYSROOT or "/"
// <sysroot> joined with an absolute path ("/opt" -> "<sysroot>/opt").
std::string UnderSysRoot(const std::string& absolutePath);
bool UsesMachineWidePlaces();

}  // namespace orvane::platform
