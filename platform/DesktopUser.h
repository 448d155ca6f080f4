#pragma once
// Running as root on behalf of a desktop user (sudo, pkexec): who that user is,
// and handing the files we write into their home over to them.
#include <optional>
#include <string>
#include <sys/types.h>

namespace orvane::platform {

struct DesktopUser {
  uid_t uid = 0;
  gid_t gid = 0;
  std::string name;
  std::string home;
};

// The user behind SUDO_UID / PKEXEC_UID when the process runs as root, else nothing.
std::optional<DesktopUser> DesktopUserOfRoot();
// True when per-user places must be taken from the desktop user's home: root acting
// for a desktop user while HOME is still root's own.
bool ActsForDesktopUser();
// Gives a file or folder we created to the desktop user when acting for one; no-op otherwise.
void GiveToDesktopUser(const std::string& path);

}  // namespace orvane::platform
