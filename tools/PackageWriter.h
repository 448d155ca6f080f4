#pragma once
// Writes a product package: a short lead-in with the header offset at byte 32,
// the 4096-byte header, the 7z payload and the uninstaller.
#include <string>

#include "tools/PackOptions.h"

namespace orvane::pack {

// Offset of the header in the packages we write.
inline constexpr int kHeaderOffset = 64;

// Packs the payload folder with 7z and writes the package (atomically, via a
// temporary file beside it). False with `error` set on any failure.
bool WritePackage(const PackOptions& options, std::string& error);

}  // namespace orvane::pack
