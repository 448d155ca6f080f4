#pragma once
// The 4096-byte header block of a product package: where the uninstaller and
// the 7z payload lie in the package, and the texts the registration uses.
// Integers are little-endian; texts are NUL-terminated 8-bit text.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Status.h"

namespace orvane {

class PackageHeader {
 public:
  static constexpr std::size_t kSize = 4096;
  // Byte 32 of a package holds the offset of its header.
  static constexpr std::size_t kPointerOffset = 32;
  // Written by orvane-pack and by a fresh header; never checked when reading.
  static constexpr char kMarker[8] = {'L', 'u', 'm', 'O', 'r', 'v', 'P', 'k'};

  // Field offsets and sizes.
  static constexpr std::size_t kUninstallerOffsetAt = 8;
  static constexpr std::size_t kUninstallerSizeAt = 12;
  static constexpr std::size_t kPayloadOffsetAt = 16;
  static constexpr std::size_t kPayloadSizeAt = 20;
  static constexpr std::size_t kKeyNameAt = 105, kKeyNameSize = 64;
  static constexpr std::size_t kDisplayNameAt = 169, kDisplayNameSize = 64;
  static constexpr std::size_t kVersionAt = 233, kVersionSize = 32;
  static constexpr std::size_t kFullNameAt = 265, kFullNameSize = 16;
  static constexpr std::size_t kDateAt = 281, kDateSize = 16;
  static constexpr std::size_t kWebAt = 297, kWebSize = 128;
  static constexpr std::size_t kPublisherAt = 425, kPublisherSize = 67;
  static constexpr std::size_t kX64FlagAt = 492;

  // All zero except the marker.
  PackageHeader();

  std::int32_t UninstallerOffset() const { return Int(kUninstallerOffsetAt); }
  std::int32_t UninstallerSize() const { return Int(kUninstallerSizeAt); }
  std::int32_t PayloadOffset() const { return Int(kPayloadOffsetAt); }
  std::int32_t PayloadSize() const { return Int(kPayloadSizeAt); }
  std::string KeyName() const { return Text(kKeyNameAt, kKeyNameSize); }
  std::string DisplayName() const { return Text(kDisplayNameAt, kDisplayNameSize); }
  std::string Version() const { return Text(kVersionAt, kVersionSize); }
  std::string FullName() const { return Text(kFullNameAt, kFullNameSize); }
  std::string DateText() const { return Text(kDateAt, kDateSize); }
  std::string WebAddress() const { return Text(kWebAt, kWebSize); }
  std::string Publisher() const { return Text(kPublisherAt, kPublisherSize); }
  std::int32_t X64Flag() const { return Int(kX64FlagAt); }

  void SetUninstaller(std::int32_t offset, std::int32_t size);
  void SetPayload(std::int32_t offset, std::int32_t size);
  // Texts are cut so that the terminating NUL always fits the field.
  void SetKeyName(const std::string& text) { SetText(kKeyNameAt, kKeyNameSize, text); }
  void SetDisplayName(const std::string& text) { SetText(kDisplayNameAt, kDisplayNameSize, text); }
  void SetVersion(const std::string& text) { SetText(kVersionAt, kVersionSize, text); }
  void SetFullName(const std::string& text) { SetText(kFullNameAt, kFullNameSize, text); }
  void SetDateText(const std::string& text) { SetText(kDateAt, kDateSize, text); }
  void SetWebAddress(const std::string& text) { SetText(kWebAt, kWebSize, text); }
  void SetPublisher(const std::string& text) { SetText(kPublisherAt, kPublisherSize, text); }
  void SetX64Flag(std::int32_t flag) { SetInt(kX64FlagAt, flag); }

  unsigned char* Bytes() { return bytes_.data(); }
  const unsigned char* Bytes() const { return bytes_.data(); }

  // Little-endian helpers shared with the package writer.
  static std::int32_t ReadInt32(const unsigned char* at);
  static void WriteInt32(unsigned char* at, std::int32_t value);

 private:
  std::int32_t Int(std::size_t at) const { return ReadInt32(bytes_.data() + at); }
  void SetInt(std::size_t at, std::int32_t value) { WriteInt32(bytes_.data() + at, value); }
  std::string Text(std::size_t at, std::size_t size) const;
  void SetText(std::size_t at, std::size_t size, const std::string& text);

  std::array<unsigned char, kSize> bytes_{};
};

// Reads the header of the package at `packagePath` into `header`: the offset at
// byte 32, then the 4096 bytes there. E_POINTER for a null path, E_FAIL when the
// package cannot be opened or the offset lies beyond length - 4096. Does not log.
HRESULT ReadPackageHeader(const char* packagePath, PackageHeader& header);

}  // namespace orvane
