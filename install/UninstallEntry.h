#pragma once
// The product's entry in the list of installed programs: the key
// "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\<key name>" of the
// machine root, and the helpers that read and write its values.
#include <cstdint>
#include <string>

#include "install/PackageHeader.h"

namespace orvane {

inline constexpr const char* kUninstallBranch = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr const char* kSetupFlagValue = "cfg_flag";
inline constexpr std::uint32_t kEstimatedSize = 227016;
inline constexpr std::uint32_t kEstimatedSize2 = 229986;

std::string UninstallKeyPath(const std::string& keyName);

// Create the key, write, close. 0 when the key cannot be created, else 1.
int WriteUninstallString(const std::string& keyName, const std::string& valueName, const std::string& text);
int WriteUninstallDword(const std::string& keyName, const std::string& valueName, std::uint32_t number);
// Create the key (so a read leaves an empty key behind), read. 0 when the key
// cannot be created, else 1; `number` keeps its value when the value is missing.
int ReadUninstallDword(const std::string& keyName, const std::string& valueName, std::uint32_t& number);
// True when "InstallLocation" holds a non-empty text.
bool ReadInstallLocation(const std::string& keyName, std::string& location);
// Deletes the key; an absent key is fine. Always 1.
int DeleteUninstallItem(const std::string& keyName);

// Writes the whole entry for the installed product: sixteen values in order,
// then, when `silent` is false, cfg_flag = `setupFlags` with its log line.
// The install folder is GetInstallPath().
void WriteUninstallEntry(const PackageHeader& header, std::uint32_t setupFlags, bool silent);

}  // namespace orvane
