#include "install/PackageHeader.h"

#include <algorithm>
#include <cstring>

#include "app/JFile.h"

namespace orvane {

PackageHeader::PackageHeader() { std::memcpy(bytes_.data(), kMarker, sizeof(kMarker)); }

std::int32_t PackageHeader::ReadInt32(const unsigned char* at) {
  const std::uint32_t value = static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
                              (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
  return static_cast<std::int32_t>(value);
}

void PackageHeader::WriteInt32(unsigned char* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

void PackageHeader::SetUninstaller(std::int32_t offset, std::int32_t size) {
  SetInt(kUninstallerOffsetAt, offset);
  SetInt(kUninstallerSizeAt, size);
}

void PackageHeader::SetPayload(std::int32_t offset, std::int32_t size) {
  SetInt(kPayloadOffsetAt, offset);
  SetInt(kPayloadSizeAt, size);
}

std::string PackageHeader::Text(std::size_t at, std::size_t size) const {
  const auto* begin = reinterpret_cast<const char*>(bytes_.data() + at);
  return std::string(begin, strnlen(begin, size));
}

void PackageHeader::SetText(std::size_t at, std::size_t size, const std::string& text) {
  std::memset(bytes_.data() + at, 0, size);
  std::memcpy(bytes_.data() + at, text.data(), std::min(text.size(), size - 1));
}

HRESULT ReadPackageHeader(const char* packagePath, PackageHeader& header) {
  if (packagePath == nullptr) return E_POINTER;
  JFile file;
  if (!file.Open(packagePath, 0x201)) return E_FAIL;
  const std::int64_t length = file.Length();
  unsigned char pointer[4] = {};
  if (file.Seek(PackageHeader::kPointerOffset, 0) != 0 || file.Read(pointer, 4) != 4) return E_FAIL;
  const std::int64_t offset = PackageHeader::ReadInt32(pointer);
  if (offset < 0 || offset > length - static_cast<std::int64_t>(PackageHeader::kSize)) return E_FAIL;
  if (file.Seek(offset, 0) != 0) return E_FAIL;
  if (file.Read(header.Bytes(), PackageHeader::kSize) != static_cast<std::int64_t>(PackageHeader::kSize)) {
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace orvane
