#pragma once
// MD5 digests (RFC 1321) through OpenSSL, as the download engine compares
// them: 32 upper-case hexadecimal digits ("%02X" per byte).
#include <cstddef>
#include <string>

namespace orvane {

class Md5 {
 public:
  // Digest text of `length` bytes at `data`.
  static std::string OfBuffer(const void* data, std::size_t length);
  // Digest text of a whole file; false (and `digest` unchanged) when it cannot be read.
  static bool OfFile(const std::string& path, std::string& digest);
  // The 16 digest bytes as 32 upper-case hex digits.
  static std::string ToHex(const unsigned char* digest16);
};

}  // namespace orvane
