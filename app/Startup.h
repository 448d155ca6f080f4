#pragma once
// Start-up services shared by the whole installer: the Documents path helper,
// the test-mode query of the debug settings and the system bitness.
#include <string>

namespace orvane {

inline constexpr const char* kDebugSettingsFile = "LumDebugConfig.ini";

// Documents folder + `subfolder` (+ `fileName` when not null). With `create`,
// every missing folder of Documents + subfolder is made first (nothing is made
// for a path longer than 260 characters).
std::string GetDocumentsPath(const std::string& subfolder, const char* fileName, bool create);
// Reads an integer key of section "root" of the debug settings file (default 0).
int ReadDebugSetting(const char* key);
// True once "setup_test_mode" has been found to be exactly 1; stays true after that.
bool IsTestMode();
// True on a 64-bit system (x64 or Itanium architecture).
bool Is64BitSystem();
// The path of the install log: Documents/Lumtar/Orvane/Log/install.log (folders created).
std::string InstallLogPath();

}  // namespace orvane
