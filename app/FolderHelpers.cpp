#include "app/FolderHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/DesktopUser.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

void MakeFolder(const std::string& path) {
  if (path.empty()) return;
  if (::mkdir(path.c_str(), 0755) == 0) platform::GiveToDesktopUser(path);
}

// Removes the entries of an open folder descriptor; works by descriptor so a
// folder swapped for a link while we work is never followed.
void RemoveEntries(int folderFd) {
  DIR* listing = ::fdopendir(folderFd);
  if (listing == nullptr) {
    ::close(folderFd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    struct stat info {};
    if (::fstatat(::dirfd(listing), name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      const int child = ::openat(::dirfd(listing), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (child >= 0) RemoveEntries(child);
      ::unlinkat(::dirfd(listing), name, AT_REMOVEDIR);
    } else {
      ::unlinkat(::dirfd(listing), name, 0);
    }
  }
  ::closedir(listing);
}

}  // namespace

int CreateFolderPath(const std::string& path) {
  if (platform::CharacterCount(path) > kMaxFolderPathChars) return 0;
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    MakeFolder(path.substr(0, slash));
  }
  if (!path.empty() && path.back() != '/') MakeFolder(path);
  return 1;
}

int CreateParentFolders(const std::string& filePath) {
  const auto slash = filePath.rfind('/');
  if (slash == std::string::npos) return 1;
  return CreateFolderPath(filePath.substr(0, slash + 1));
}

bool RemoveFolderTree(const std::string& folder) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0) return false;
  if (S_ISLNK(info.st_mode)) {
    // A link standing where the folder should be: remove the link, keep its target.
    return ::unlink(folder.c_str()) == 0;
  }
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  RemoveEntries(fd);
  ::rmdir(folder.c_str());
  return true;
}

}  // namespace orvane
