#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

#include "platform/PathUtil.h"

namespace orvane::platform {

bool FreeDiskBytes(const std::string& path, std::uint64_t& freeBytes) {
  freeBytes = 0;
  std::string folder = path.empty() ? std::string(".") : path;
  while (!PathIsFolder(folder)) {
    const std::string parent = PathRemoveFileSpec(folder);
    if (parent.empty() || parent == folder) {
      folder = parent.empty() ? "." : parent;
      break;
    }
    folder = parent;
  }
  struct statvfs info {};
  if (::statvfs(folder.c_str(), &info) != 0) return false;
  freeBytes = static_cast<std::uint64_t>(info.f_bfree) * static_cast<std::uint64_t>(info.f_frsize);
  return true;
}

}  // namespace orvane::platform
