#pragma once
// Free space of the file system holding a path.
#include <cstdint>
#include <string>

namespace orvane::platform {

// Total free bytes (also those reserved for the superuser) of the file system
// of `path`, or of its nearest existing parent when `path` does not exist yet.
// False when no folder of the path can be examined.
bool FreeDiskBytes(const std::string& path, std::uint64_t& freeBytes);

}  // namespace orvane::platform
