#include "install/RegStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>

#include "app/FolderHelpers.h"
#include "app/Log.h"
#include "platform/DesktopUser.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

std::atomic<RegStore::WriteHook> g_writeHook{nullptr};
std::atomic<unsigned> g_tempCounter{0};

// flock on "<file>.lock" for the life of the object.
class StoreLock {
 public:
  StoreLock(const std::string& file, bool exclusive) {
    CreateParentFolders(file);
    const std::string lockFile = file + ".lock";
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    platform::GiveToDesktopUser(lockFile);
    int result;
    do {
      result = ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
    } while (result != 0 && errno == EINTR);
  }
  ~StoreLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  StoreLock(const StoreLock&) = delete;
  StoreLock& operator=(const StoreLock&) = delete;

 private:
  int fd_ = -1;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

RegStore::RegStore(std::string file, std::string rootName) : file_(std::move(file)), rootName_(std::move(rootName)) {}

RegStore RegStore::ForRoot(RegRoot root) {
  if (root == RegRoot::CurrentUser) return RegStore(platform::UserStoreFile(), "HKEY_CURRENT_USER");
  return RegStore(platform::MachineStoreFile(), "HKEY_LOCAL_MACHINE");
}

void RegStore::SetWriteHook(WriteHook hook) { g_writeHook.store(hook); }

bool RegStore::ReadText(std::string& text) const {
  text.clear();
  const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT;
  char buffer[8192];
  bool ok = true;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return ok;
}

std::vector<RegKeyRecord> RegStore::Load() const {
  StoreLock lock(file_, false);
  std::string text;
  std::vector<RegKeyRecord> keys;
  std::string error;
  if (!ReadText(text)) {
    WriteLog("Registry store %s cannot be read.\n", file_.c_str());
    return {};
  }
  if (!ParseRegFile(text, rootName_, keys, error)) {
    WriteLog("Registry store %s is damaged (%s); read as empty.\n", file_.c_str(), error.c_str());
    return {};
  }
  return keys;
}

void RegStore::KeepDamagedFile() const {
  char suffix[64];
  std::snprintf(suffix, sizeof suffix, ".damaged-%lld-%d", static_cast<long long>(std::time(nullptr)),
                static_cast<int>(::getpid()));
  const std::string aside = file_ + suffix;
  if (::rename(file_.c_str(), aside.c_str()) == 0) {
    WriteLog("Registry store %s was damaged; kept aside as %s.\n", file_.c_str(), aside.c_str());
  }
}

bool RegStore::WriteText(const std::string& text) const {
  const std::string temporary =
      file_ + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(g_tempCounter++);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  const std::size_t half = text.size() / 2;
  bool ok = WriteAll(fd, text.data(), half);
  if (const WriteHook hook = g_writeHook.load()) hook(fd);
  ok = ok && WriteAll(fd, text.data() + half, text.size() - half);
  ok = ok && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), file_.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  platform::GiveToDesktopUser(file_);
  const int folder = ::open(platform::PathRemoveFileSpec(file_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

long RegStore::Update(const std::function<long(std::vector<RegKeyRecord>&, bool&)>& change) const {
  StoreLock lock(file_, true);
  std::string text;
  std::vector<RegKeyRecord> keys;
  std::string error;
  bool damaged = false;
  if (!ReadText(text)) {
    WriteLog("Registry store %s cannot be read.\n", file_.c_str());
    return kRegAccessDenied;
  }
  if (!ParseRegFile(text, rootName_, keys, error)) {
    WriteLog("Registry store %s is damaged (%s); read as empty.\n", file_.c_str(), error.c_str());
    keys.clear();
    damaged = true;
  }
  bool changed = false;
  const long result = change(keys, changed);
  if (result != kRegSuccess || !changed) return result;
  if (damaged) KeepDamagedFile();
  return WriteText(FormatRegFile(rootName_, keys)) ? kRegSuccess : kRegWriteFault;
}

}  // namespace orvane
