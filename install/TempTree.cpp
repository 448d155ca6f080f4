#include "install/TempTree.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

#include "app/FolderHelpers.h"
#include "platform/Clock.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

constexpr std::size_t kMaxNarrowPath = 259;
// Names tried with the bare tick before a counter is added to it.
constexpr int kTickOnlyAttempts = 64;
constexpr int kMaxAttempts = 4096;

std::atomic<unsigned> g_nameCounter{0};

}  // namespace

bool CreateFolderPathA(const std::string& path) {
  if (path.empty() || platform::CharacterCount(path) > kMaxNarrowPath) return false;
  const char separator = path.find('/') != std::string::npos ? '/' : '\\';
  bool made = false;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find(separator, start);
    if (end == std::string::npos) end = path.size();
    if (end > 0 && end > start) {
      const std::string prefix = path.substr(0, end);
      made = ::mkdir(prefix.c_str(), 0700) == 0 || (errno == EEXIST && platform::PathIsFolder(prefix));
    }
    start = end + 1;
  }
  return made;
}

bool RemoveTempTree(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return RemoveFolderTree(path);
}

std::string MakePrivateTempFolder() {
  std::string base = platform::TempFolder();
  for (char& c : base) {
    if (c == '\\') c = '/';
  }
  if (base.empty() || base.back() != '/') base += '/';
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    char name[64];
    const unsigned tick = platform::GetTickCount32();
    if (attempt < kTickOnlyAttempts) {
      std::snprintf(name, sizeof name, "%x/", tick);
    } else {
      std::snprintf(name, sizeof name, "%x_%x_%x/", tick, static_cast<unsigned>(::getpid()), g_nameCounter++);
    }
    const std::string folder = base + name;
    if (platform::CharacterCount(folder) > kMaxNarrowPath) return "";
    if (::mkdir(folder.c_str(), 0700) == 0) return folder;
    if (errno != EEXIST) return "";
    sched_yield();
  }
  return "";
}

}  // namespace orvane
