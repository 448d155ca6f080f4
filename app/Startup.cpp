#include "app/Startup.h"

#include <atomic>

#include "app/FolderHelpers.h"
#include "app/ProductConstants.h"
#include "platform/IniReader.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"
#include "platform/SystemInfo.h"

namespace orvane {
namespace {

std::atomic<bool> g_testMode{false};

}  // namespace

std::string GetDocumentsPath(const std::string& subfolder, const char* fileName, bool create) {
  std::string path = platform::PathAppend(platform::DocumentsFolder(), subfolder);
  if (create) CreateFolderPath(path);
  if (fileName != nullptr) path = platform::PathAppend(path, fileName);
  return path;
}

int ReadDebugSetting(const char* key) {
  const std::string path = GetDocumentsPath("", kDebugSettingsFile, true);
  if (!platform::PathFileExists(path)) return 0;
  return platform::ReadIniInt(path, "root", key, 0);
}

bool IsTestMode() {
  if (!g_testMode.load() && ReadDebugSetting("setup_test_mode") == 1) g_testMode.store(true);
  return g_testMode.load();
}

bool Is64BitSystem() {
  const int architecture = platform::NativeProcessorArchitecture();
  return architecture == platform::kArchitectureAmd64 || architecture == platform::kArchitectureIa64;
}

std::string InstallLogPath() {
  return GetDocumentsPath(ProductFolderPath() + "/Log/", "install.log", true);
}

}  // namespace orvane
