#pragma once
// Facts about the system the install checks and the package location need.
#include <cstdint>
#include <string>

#include "platform/SystemInfo.h"

namespace orvane {

// True when the running system is recent enough for the product (kernel 4.0
// or later); logs the version found ("Window Version : <major>,<minor>").
bool IsWindows7OrLater();
// The version rule alone.
bool IsSupportedSystemVersion(const platform::KernelVersion& version);
// Free space in MiB (all free bytes of the volume, truncated) of the file
// system holding `path` or its nearest existing parent; 0 on failure.
std::uint64_t GetFreeDiskMB(const std::string& path);
// Downloads folder + `subfolder` (created when `create`) + `fileName` when not null.
std::string GetDownloadsPath(const std::string& subfolder, const char* fileName, bool create);

}  // namespace orvane
