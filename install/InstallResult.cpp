#include "install/InstallResult.h"

#include <atomic>

namespace orvane {
namespace {

std::atomic<std::int32_t> g_lastInstallError{kInstallNoError};

constexpr const char* kNames[] = {"PointNull",        "SetupFileError", "DirWriteError",
                                  "MallocBrror",      "InstallFileError", "OpenFileError",
                                  "OffsetError",      "ReadFileError",  "UnzipFileError"};

}  // namespace

std::int32_t GetInstallErrorCode() { return g_lastInstallError.load(); }

void SetInstallErrorCode(std::int32_t code) { g_lastInstallError.store(code); }

std::string GetInstallErrorName() { return InstallErrorName(GetInstallErrorCode()); }

std::string InstallErrorName(std::int32_t code) {
  if (code == kInstallNoError) return "NoError";
  if (code >= kInstallPointNull && code <= kInstallUnzipFileError) return kNames[code - kInstallPointNull];
  return std::to_string(code);
}

}  // namespace orvane
