#include "report/SystemFacts.h"

#include <fstream>
#include <sstream>

#include "app/FolderHelpers.h"
#include "app/Log.h"
#include "platform/DiskSpace.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

constexpr int kFirstSupportedKernelMajor = 4;

std::string FileText(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// "Linux version 6.1.0-18-amd64 (...)": the release after "version ".
platform::KernelVersion VersionOfBanner(const std::string& banner) {
  const auto at = banner.find("version ");
  if (at == std::string::npos) return {};
  return platform::KernelVersionOfRelease(banner.substr(at + 8));
}

}  // namespace

bool IsSupportedSystemVersion(const platform::KernelVersion& version) {
  return version.major >= kFirstSupportedKernelMajor;
}

bool IsWindows7OrLater() {
  platform::KernelVersion version = platform::RunningKernelVersion();
  if (version.major != 0) {
    WriteLog("Window Version : %d,%d", version.major, version.minor);
  } else {
    WriteLog("First get window version failed. Do second method.");
    version = platform::KernelVersionOfRelease(FileText("/proc/sys/kernel/osrelease"));
    if (version.major != 0) WriteLog("Window Version : %d,%d", version.major, version.minor);
  }
  if (version.major == 0) {
    WriteLog("Second get window version failed. Do third method.");
    version = VersionOfBanner(FileText("/proc/version"));
    WriteLog("Window Version : %d,%d", version.major, version.minor);
  }
  return IsSupportedSystemVersion(version);
}

std::uint64_t GetFreeDiskMB(const std::string& path) {
  std::uint64_t freeBytes = 0;
  if (!platform::FreeDiskBytes(path, freeBytes)) return 0;
  return static_cast<std::uint64_t>(static_cast<double>(freeBytes) / 1024.0 / 1024.0);
}

std::string GetDownloadsPath(const std::string& subfolder, const char* fileName, bool create) {
  std::string path = platform::PathAppend(platform::DownloadsFolder(), subfolder);
  if (create) CreateFolderPath(path);
  if (fileName != nullptr) path = platform::PathAppend(path, fileName);
  return path;
}

}  // namespace orvane
