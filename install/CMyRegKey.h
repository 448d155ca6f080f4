#pragma once
// A registry key of the store (RegStore): open or created by path below a
// root, with the value operations the installer uses. Each operation reads or
// rewrites the store file at once; nothing is cached. One object per thread.
#include <cstdint>
#include <string>

#include "install/RegStore.h"

namespace orvane {

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

struct RegKeyInfo {
  std::string className;  // at most 99 characters; keys of the store have none
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLength = 0;
  std::uint32_t maxClassLength = 0;
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLength = 0;
  std::uint32_t maxValueDataLength = 0;
};

class CMyRegKey {
 public:
  // Longest text ReadString reads, with its terminating zero.
  static constexpr std::size_t kReadStringBufferSize = 200;

  CMyRegKey() = default;
  virtual ~CMyRegKey();
  CMyRegKey(const CMyRegKey&) = delete;
  CMyRegKey& operator=(const CMyRegKey&) = delete;

  // Opens the key, creating it and missing parents. Full access.
  long Create(RegRoot root, const std::string& subKey);
  // Opens an existing key with `access` (kKeyRead, kKeyWrite, kKeyAllAccess).
  long Open(RegRoot root, const std::string& subKey, std::uint32_t access);
  // Any value type, read into a 200-byte buffer; the text is what precedes its first zero.
  long ReadString(const std::string& name, std::string& text);
  // REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ into `buffer`; -1 for other types;
  // kRegMoreData (with `size` set to what is needed) when it does not fit.
  long ReadText(const std::string& name, char* buffer, std::uint32_t& size);
  // Up to 4 bytes of any type; `number` is changed only on success.
  long ReadDword(const std::string& name, std::uint32_t& number);
  // -1 unless the value is a REG_DWORD of 4 bytes.
  long ReadDwordStrict(const std::string& name, std::uint32_t& number);
  long WriteString(const std::string& name, const std::string& text);
  long WriteDword(const std::string& name, std::uint32_t number);
  // Any type with raw data (used for other types than the two above).
  long WriteValue(const std::string& name, std::uint32_t type, const std::string& data);
  long QueryInfo(RegKeyInfo& info);
  // The direct sub-key at `index` in name order; kRegNoMoreItems past the end.
  long EnumKey(std::uint32_t index, std::string& name);
  // Deletes a sub-key (relative to this key) that has no sub-keys of its own.
  long DeleteSubKey(const std::string& subKey);
  long Close();

  bool IsOpen() const { return open_; }
  const std::string& SubKey() const { return subKey_; }

  // Deletes a key (without sub-keys) by full path below a root.
  static long DeleteKey(RegRoot root, const std::string& path);

 private:
  long Query(const std::string& name, std::uint32_t& type, std::string& data);
  long Set(const std::string& name, std::uint32_t type, const std::string& data);

  bool open_ = false;
  std::string subKey_;
  RegRoot root_ = RegRoot::LocalMachine;
  std::string path_;  // normalised path of the open key
  std::uint32_t access_ = 0;
};

}  // namespace orvane
