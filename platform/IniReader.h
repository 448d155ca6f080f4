#pragma once
// Integer keys of an INI file, read like GetPrivateProfileInt: names match
// without case, a value is read up to its first non-digit, anything missing or
// unreadable gives the default.
#include <string>

namespace orvane::platform {

int ReadIniInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue);

}  // namespace orvane::platform
