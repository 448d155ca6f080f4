#include "platform/DesktopUser.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace orvane::platform {
namespace {

std::optional<DesktopUser> UserOfUid(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry {};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  return DesktopUser{found->pw_uid, found->pw_gid, found->pw_name, found->pw_dir};
}

std::optional<uid_t> UidFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 10);
  if (*end != '\0' || value == 0) return std::nullopt;
  return static_cast<uid_t>(value);
}

}  // namespace

std::optional<DesktopUser> DesktopUserOfRoot() {
  if (::geteuid() != 0) return std::nullopt;
  auto uid = UidFromEnvironment("SUDO_UID");
  if (!uid) uid = UidFromEnvironment("PKEXEC_UID");
  if (!uid) return std::nullopt;
  return UserOfUid(*uid);
}

bool ActsForDesktopUser() {
  if (!DesktopUserOfRoot()) return false;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return true;
  const auto root = UserOfUid(0);
  return root && root->home == home;
}

void GiveToDesktopUser(const std::string& path) {
  if (!ActsForDesktopUser()) return;
  const auto user = DesktopUserOfRoot();
  if (!user || path.rfind(user->home + "/", 0) != 0) return;
  if (::lchown(path.c_str(), user->uid, user->gid) != 0) {
    // Ownership is a courtesy; the file itself is written.
  }
}

}  // namespace orvane::platform
