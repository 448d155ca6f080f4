#include "install/StagedTreeMove.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace orvane {
namespace {

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Removes whatever is at `name` in `folderFd` (a tree is emptied first), without following links.
void RemoveAt(int folderFd, const char* name) {
  struct stat info {};
  if (::fstatat(folderFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return;
  if (!S_ISDIR(info.st_mode)) {
    ::unlinkat(folderFd, name, 0);
    return;
  }
  const int child = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (child >= 0) {
    DirHandle listing(::fdopendir(child));
    if (!listing) {
      ::close(child);
    } else {
      while (const dirent* entry = ::readdir(listing.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        RemoveAt(::dirfd(listing.get()), entry->d_name);
      }
    }
  }
  ::unlinkat(folderFd, name, AT_REMOVEDIR);
}

class Mover {
 public:
  explicit Mover(TreeMoveResult& result) : result_(result) {}

  void MoveFolder(int fromFd, int toFd, const std::string& relative, int depth) {
    const int listFd = ::dup(fromFd);
    DirHandle listing(listFd >= 0 ? ::fdopendir(listFd) : nullptr);
    if (!listing) {
      if (listFd >= 0) ::close(listFd);
      return Fail("cannot list " + relative);
    }
    while (const dirent* entry = ::readdir(listing.get())) {
      const char* name = entry->d_name;
      if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
      MoveEntry(fromFd, toFd, name, relative.empty() ? name : relative + "/" + name, depth);
      if (!result_.ok) return;
    }
  }

 private:
  void Fail(const std::string& error) {
    if (result_.ok) result_.error = error;
    result_.ok = false;
  }

  void MoveEntry(int fromFd, int toFd, const char* name, const std::string& relative, int depth) {
    struct stat info {};
    if (::fstatat(fromFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return Fail("cannot read " + relative);
    if (S_ISDIR(info.st_mode)) return MoveSubFolder(fromFd, toFd, name, relative, depth, info.st_mode);
    if (S_ISLNK(info.st_mode)) return MoveLink(fromFd, toFd, name, relative, depth);
    if (S_ISREG(info.st_mode)) return MoveFile(fromFd, toFd, name, relative, info);
    result_.dropped.push_back(relative);  // devices, pipes, sockets
  }

  void MoveSubFolder(int fromFd, int toFd, const char* name, const std::string& relative, int depth, mode_t mode) {
    struct stat existing {};
    if (::fstatat(toFd, name, &existing, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(existing.st_mode)) {
      ::unlinkat(toFd, name, 0);
    }
    if (::mkdirat(toFd, name, (mode & 0777) | 0700) != 0 && errno != EEXIST) {
      return Fail("cannot create folder " + relative + ": " + std::strerror(errno));
    }
    FdCloser to{::openat(toFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    FdCloser from{::openat(fromFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (to.fd < 0 || from.fd < 0) return Fail("cannot open folder " + relative);
    MoveFolder(from.fd, to.fd, relative, depth + 1);
  }

  void MoveLink(int fromFd, int toFd, const char* name, const std::string& relative, int depth) {
    char target[4096];
    const ssize_t size = ::readlinkat(fromFd, name, target, sizeof target - 1);
    if (size < 0) return Fail("cannot read link " + relative);
    target[size] = '\0';
    if (!LinkTargetStaysInside(target, depth)) {
      result_.dropped.push_back(relative);
      return;
    }
    RemoveAt(toFd, name);
    if (::renameat(fromFd, name, toFd, name) == 0) return;
    if (::symlinkat(target, toFd, name) != 0) Fail("cannot create link " + relative + ": " + std::strerror(errno));
  }

  void MoveFile(int fromFd, int toFd, const char* name, const std::string& relative, const struct stat& info) {
    struct stat existing {};
    if (::fstatat(toFd, name, &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode)) {
      RemoveAt(toFd, name);
    }
    // A file with other names (a hard link, maybe to a file outside) is copied, so
    // the installed file is a file of its own.
    if (info.st_nlink > 1) return CopyFile(fromFd, toFd, name, relative, info.st_mode);
    // No set-user or set-group id bits from an archive.
    if ((info.st_mode & (S_ISUID | S_ISGID)) != 0) ::fchmodat(fromFd, name, info.st_mode & 0777, 0);
    if (::renameat(fromFd, name, toFd, name) == 0) return;
    if (errno != EXDEV) return Fail("cannot move " + relative + ": " + std::strerror(errno));
    CopyFile(fromFd, toFd, name, relative, info.st_mode);
  }

  // Across file systems: copy into a fresh hidden name beside the target, then rename over it.
  void CopyFile(int fromFd, int toFd, const char* name, const std::string& relative, mode_t mode) {
    FdCloser in{::openat(fromFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC)};
    if (in.fd < 0) return Fail("cannot open " + relative);
    std::string temporary;
    FdCloser out{-1};
    for (int attempt = 0; attempt < 100 && out.fd < 0; ++attempt) {
      temporary = std::string(".") + name + ".part" + std::to_string(attempt);
      out.fd = ::openat(toFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode & 0777);
    }
    if (out.fd < 0) return Fail("cannot write " + relative + ": " + std::strerror(errno));
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::read(in.fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got == 0) break;
      if (got < 0 || ::write(out.fd, buffer, static_cast<std::size_t>(got)) != got) {
        ::unlinkat(toFd, temporary.c_str(), 0);
        return Fail("cannot copy " + relative);
      }
    }
    if (::renameat(toFd, temporary.c_str(), toFd, name) != 0) {
      ::unlinkat(toFd, temporary.c_str(), 0);
      Fail("cannot replace " + relative + ": " + std::strerror(errno));
    }
  }

  TreeMoveResult& result_;
};

}  // namespace

bool LinkTargetStaysInside(const std::string& target, int linkFolderDepth) {
  if (target.empty() || target[0] == '/') return false;
  // ".." only at the start, where it climbs through the link's own (real)
  // folders; after a name it could climb out of a linked folder.
  int depth = linkFolderDepth;
  bool descended = false;
  std::size_t start = 0;
  while (start <= target.size()) {
    std::size_t end = target.find('/', start);
    if (end == std::string::npos) end = target.size();
    const std::string part = target.substr(start, end - start);
    if (part == "..") {
      if (descended || --depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      descended = true;
    }
    start = end + 1;
  }
  return true;
}

TreeMoveResult MoveTreeInto(const std::string& stagingFolder, const std::string& destinationFolder) {
  TreeMoveResult result;
  FdCloser from{::open(stagingFolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
  FdCloser to{::open(destinationFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
  if (from.fd < 0 || to.fd < 0) {
    result.ok = false;
    result.error = "cannot open " + std::string(from.fd < 0 ? stagingFolder : destinationFolder);
    return result;
  }
  Mover(result).MoveFolder(from.fd, to.fd, "", 0);
  return result;
}

}  // namespace orvane
