#include "platform/KnownFolders.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

#include "platform/DesktopUser.h"
#include "platform/PathUtil.h"

namespace orvane::platform {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// An XDG variable of the running user; ignored when acting for a desktop user,
// since root's variables do not describe that user's folders.
std::string XdgVariable(const char* name) {
  if (ActsForDesktopUser()) return "";
  return Environment(name);
}

// XDG_<NAME>_DIR from user-dirs.dirs, with $HOME expanded; empty when absent.
std::string UserDirsEntry(const std::string& name) {
  std::ifstream file(PathAppend(AppDataFolder(), "user-dirs.dirs"));
  const std::string prefix = "XDG_" + name + "_DIR=";
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::string value = line.substr(prefix.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
    if (value.empty() || value.front() != '/') return "";
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }
  return "";
}

}  // namespace

std::string HomeFolder() {
  if (ActsForDesktopUser()) return DesktopUserOfRoot()->home;
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  if (const passwd* entry = ::getpwuid(::geteuid())) return entry->pw_dir;
  return "/";
}

std::string AppDataFolder() {
  const std::string configured = XdgVariable("XDG_CONFIG_HOME");
  return configured.empty() ? PathAppend(HomeFolder(), ".config") : configured;
}

std::string DocumentsFolder() {
  const std::string entry = UserDirsEntry("DOCUMENTS");
  return entry.empty() ? PathAppend(HomeFolder(), "Documents") : entry;
}

std::string DownloadsFolder() {
  return PathAppend(PathRemoveFileSpec(DocumentsFolder()), "Downloads");
}

std::string DesktopFolder() {
  const std::string entry = UserDirsEntry("DESKTOP");
  return entry.empty() ? PathAppend(HomeFolder(), "Desktop") : entry;
}

std::string UserStartMenuFolder() {
  const std::string data = XdgVariable("XDG_DATA_HOME");
  return PathAppend(data.empty() ? PathAppend(HomeFolder(), ".local/share") : data, "applications");
}

std::string SysRoot() {
  const std::string root = Environment("ORVANE_SYSROOT");
  return root.empty() ? "/" : root;
}

std::string UnderSysRoot(const std::string& absolutePath) {
  return PathAppend(SysRoot(), absolutePath);
}

bool UsesMachineWidePlaces() {
  return ::geteuid() == 0 || !Environment("ORVANE_SYSROOT").empty();
}

std::string CommonStartMenuFolder() {
  return UsesMachineWidePlaces() ? UnderSysRoot("/usr/share/applications") : UserStartMenuFolder();
}

std::string ProgramFilesFolder() {
  return UsesMachineWidePlaces() ? UnderSysRoot("/opt") : PathAppend(HomeFolder(), ".local/opt");
}

std::string UserStoreFile() {
  return PathAppend(AppDataFolder(), "lumtar-setup/user.reg");
}

std::string MachineStoreFile() {
  return UsesMachineWidePlaces() ? UnderSysRoot("/var/lib/lumtar-setup/machine.reg") : UserStoreFile();
}

std::string TempFolder() {
  const std::string temp = Environment("TMPDIR");
  return temp.empty() ? "/tmp" : temp;
}

}  // namespace orvane::platform
