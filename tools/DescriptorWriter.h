#pragma once
// Writes the download descriptor of a package: version 1, its size and file
// name, the mirror URLs, the MD5 of the whole file and of every 1 MiB chunk.
#include <string>
#include <vector>

namespace orvane::pack {

inline constexpr std::size_t kChunkSize = 1048576;

// MD5 digests as 32 upper-case hexadecimal digits: [0] the whole file, then one per chunk.
std::vector<std::string> PackageDigests(const std::string& content);
std::string DescriptorText(const std::string& fileName, const std::string& content,
                           const std::vector<std::string>& mirrors);
// Reads the package and writes the descriptor; false with `error` set on failure.
bool WriteDescriptor(const std::string& packagePath, const std::string& descriptorPath,
                     const std::vector<std::string>& mirrors, std::string& error);

}  // namespace orvane::pack
