#pragma once
// The download descriptor as the engine holds it: the package size, up to ten
// mirror URLs and the MD5 digests of the whole package and of each 1 MiB chunk,
// together with the local file the package is written to.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

// One mirror of the package, as read from the descriptor and as probing leaves it.
struct UrlCfg {
  // Longest URL kept, in bytes (the record's buffer holds 1040 bytes with the NUL).
  static constexpr std::size_t kMaxUrlBytes = 1039;

  std::string url;
  bool ok = false;               // read from the descriptor; after probing: answered and has the size
  std::uint32_t pingTime = 0;    // round-trip time of the echo, milliseconds
  bool networkNotFull = false;   // the mirror's load check said it takes more clients
  std::string host;              // "host[:port]" between "http://" and "/download/"
};

// One parsed descriptor plus the local target.
struct DownloadConfig {
  static constexpr int kMaxUrls = 10;
  // Longest target path kept, in characters (the buffer holds 260 with the NUL).
  static constexpr std::size_t kMaxTargetPathChars = 259;
  static constexpr std::uint32_t kChunkSize = 1048576;
  static constexpr int kDefaultThreadsPerUrl = 2;
  static constexpr int kCdnOnlyThreadsPerUrl = 5;

  std::string targetPath;
  std::int32_t size = 0;
  std::array<UrlCfg, kMaxUrls> urls{};     // entries beyond the descriptor's count stay empty
  std::string fileHash;                    // digest of the whole package (item_0)
  std::vector<std::string> chunkHashes;    // digest of chunk k at index k (item_1 onward)
  std::int32_t threadsPerUrl = kDefaultThreadsPerUrl;
};

}  // namespace orvane
