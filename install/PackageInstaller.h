#pragma once
// Installs a product package: reads its header, extracts its 7z payload into
// the installation folder and writes uninstall.exe and uninstall.exe.bin beside
// it. Runs on the install worker's thread.
#include <string>

#include "install/InstallNotify.h"
#include "platform/Status.h"

namespace orvane {

// Longest installation folder, in characters (a 260-character buffer).
inline constexpr std::size_t kMaxInstallPathChars = 259;

// S_OK on success; E_POINTER for a null package path; E_FAIL otherwise, with
// the reason in GetInstallErrorCode(). A null `installFolder` installs into the
// default folder (GetProgramPath with the header's key name).
HRESULT InstallPackage(const char* packagePath, const InstallNotify& notify, const char* installFolder,
                       bool removeTempAfter, bool writeUninstaller);

// The folder the last InstallPackage installed into ("" before).
std::string GetInstallPath();
void SetInstallPath(const std::string& path);

// The default installation folder: Program Files joined with `folderName`.
// With `create`, the folders are made and the result is CreateFolderPath's (1,
// or 0 for a path that is too long); otherwise 1 when the name could be appended.
int GetProgramPath(std::string& path, const std::string& folderName, bool create, bool prefer64Bit);

}  // namespace orvane
