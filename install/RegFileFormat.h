#pragma once
// The text form of one registry store: the .reg export format.
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Key]
//   "Name"="text"
//   "Count"=dword:0000002a
//   "Other"=hex(3):01,02
// Key and value names are matched without case (ASCII letters).
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegValue {
  std::string name;  // "" is the key's default value ("@")
  std::uint32_t type = kRegSz;
  std::vector<unsigned char> data;  // REG_SZ data includes its terminating zero
};

struct RegKeyRecord {
  std::string path;  // below the root, "\"-separated, as first created
  std::vector<RegValue> values;
};

inline constexpr const char* kRegFileHeader = "Windows Registry Editor Version 5.00";

// Parses a store's text for the root named `rootName` ("HKEY_LOCAL_MACHINE").
// An empty text is an empty store. False, with `error` set, for a damaged text.
bool ParseRegFile(const std::string& text, const std::string& rootName, std::vector<RegKeyRecord>& keys,
                  std::string& error);
std::string FormatRegFile(const std::string& rootName, const std::vector<RegKeyRecord>& keys);

bool SameRegName(const std::string& a, const std::string& b);
// Index of the key with that path (without case), or -1.
int FindRegKey(const std::vector<RegKeyRecord>& keys, const std::string& path);
// Index of the value with that name (without case), or -1.
int FindRegValue(const RegKeyRecord& key, const std::string& name);
// "A\B\C" -> "A\B" ("" for a top key).
std::string ParentRegPath(const std::string& path);
// Removes empty elements and outer backslashes: "\A\\B\" -> "A\B".
std::string NormalRegPath(const std::string& path);

}  // namespace orvane
