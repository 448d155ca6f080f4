#include "install/UninstallEntry.h"

#include "app/Log.h"
#include "app/ProductConstants.h"
#include "install/CMyRegKey.h"
#include "install/PackageInstaller.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

// "YYYY-MM-DD" -> "YYYYMMDD" (characters 0-3, 5-6, 8-9).
std::string InstallDate(const std::string& date) {
  char buffer[16] = {};
  const char* text = date.c_str();
  const std::size_t length = date.size();
  for (std::size_t i = 0; i < 4 && i < length; ++i) buffer[i] = text[i];
  for (std::size_t i = 0; i < 2 && 5 + i < length; ++i) buffer[4 + i] = text[5 + i];
  for (std::size_t i = 0; i < 2 && 8 + i < length; ++i) buffer[6 + i] = text[8 + i];
  return buffer;
}

}  // namespace

std::string UninstallKeyPath(const std::string& keyName) { return std::string(kUninstallBranch) + keyName; }

int WriteUninstallString(const std::string& keyName, const std::string& valueName, const std::string& text) {
  CMyRegKey key;
  if (key.Create(RegRoot::LocalMachine, UninstallKeyPath(keyName)) != kRegSuccess) return 0;
  key.WriteString(valueName, text);
  key.Close();
  return 1;
}

int WriteUninstallDword(const std::string& keyName, const std::string& valueName, std::uint32_t number) {
  CMyRegKey key;
  if (key.Create(RegRoot::LocalMachine, UninstallKeyPath(keyName)) != kRegSuccess) return 0;
  key.WriteDword(valueName, number);
  key.Close();
  return 1;
}

int ReadUninstallDword(const std::string& keyName, const std::string& valueName, std::uint32_t& number) {
  CMyRegKey key;
  if (key.Create(RegRoot::LocalMachine, UninstallKeyPath(keyName)) != kRegSuccess) return 0;
  key.ReadDword(valueName, number);
  key.Close();
  return 1;
}

bool ReadInstallLocation(const std::string& keyName, std::string& location) {
  CMyRegKey key;
  if (key.Create(RegRoot::LocalMachine, UninstallKeyPath(keyName)) != kRegSuccess) return false;
  key.ReadString("InstallLocation", location);
  key.Close();
  return !location.empty();
}

int DeleteUninstallItem(const std::string& keyName) {
  // An empty name would name the whole uninstall branch.
  if (NormalRegPath(keyName).empty()) return 1;
  CMyRegKey::DeleteKey(RegRoot::LocalMachine, UninstallKeyPath(keyName));
  return 1;
}

void WriteUninstallEntry(const PackageHeader& header, std::uint32_t setupFlags, bool silent) {
  const std::string keyName = header.KeyName();
  const std::string folder = GetInstallPath();
  const std::string exeName = header.X64Flag() != 0 ? kMainExeNameX64 : kMainExeNameX86;
  const std::string icon = platform::PathAppend(folder, exeName);
  const std::string uninstaller = "\"" + platform::PathAppend(folder, "uninstall.exe") + "\"";
  const std::string web = header.WebAddress();

  WriteUninstallString(keyName, "DisplayIcon", icon);
  WriteUninstallString(keyName, "Version", header.Version());
  WriteUninstallString(keyName, "DisplayVersion", header.Version());
  WriteUninstallString(keyName, "DisplayName", header.DisplayName() + " (" + header.DateText() + ")");
  WriteUninstallDword(keyName, "EstimatedSize", kEstimatedSize);
  WriteUninstallString(keyName, "HelpLink", web);
  WriteUninstallString(keyName, "InstallDate", InstallDate(header.DateText()));
  WriteUninstallString(keyName, "InstallLocation", folder);
  WriteUninstallDword(keyName, "NoModify", 1);
  WriteUninstallDword(keyName, "NoRepair", 1);
  WriteUninstallString(keyName, "Publisher", header.Publisher());
  WriteUninstallString(keyName, "QuietUninstallString", uninstaller + " /SILENT");
  WriteUninstallDword(keyName, "sEstimatedSize2", kEstimatedSize2);
  WriteUninstallString(keyName, "UninstallString", uninstaller);
  WriteUninstallString(keyName, "URLInfoAbout", web);
  WriteUninstallString(keyName, "URLUpdateInfo", web);
  if (!silent) {
    WriteUninstallDword(keyName, kSetupFlagValue, setupFlags);
    WriteLog("Write Setup Cfg Flag : %d, root(%s), key(%s).\n", static_cast<int>(setupFlags), keyName.c_str(),
             kSetupFlagValue);
  }
}

}  // namespace orvane
