#include "install/PackageInstaller.h"

#include <sys/stat.h>

#include <cinttypes>
#include <mutex>
#include <new>
#include <vector>

#include "app/FolderHelpers.h"
#include "app/JFile.h"
#include "app/Log.h"
#include "app/Startup.h"
#include "install/C7ZOperator.h"
#include "install/InstallResult.h"
#include "install/PackageHeader.h"
#include "platform/KnownFolders.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

std::mutex g_installPathMutex;
std::string g_installPath;

void Notify(const InstallNotify& notify, std::int32_t kind, std::int32_t value) {
  if (notify) notify(kind, value, 0);
}

void Fail(const InstallNotify& notify, std::int32_t error, std::int32_t notifyValue) {
  SetInstallErrorCode(error);
  Notify(notify, kInstallNotifyFailed, notifyValue);
}

// Reads `count` bytes at `offset` into a zeroed buffer; bytes beyond the file stay zero.
std::vector<unsigned char> ReadBlock(JFile& file, std::int64_t offset, std::int32_t count) {
  std::vector<unsigned char> block;
  if (count <= 0) return block;
  try {
    block.assign(static_cast<std::size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  if (offset >= 0 && file.Seek(offset, 0) == 0) file.Read(block.data(), count);
  return block;
}

bool WriteWhole(const std::string& path, const void* data, std::size_t size) {
  JFile file;
  if (!file.Open(path, 0x202)) return false;
  const bool written = size == 0 || file.Write(data, static_cast<std::int64_t>(size)) == static_cast<std::int64_t>(size);
  file.Close();
  return written;
}

// Writes uninstall.exe (the uninstaller block) and uninstall.exe.bin (the header).
void WriteUninstallFiles(JFile& package, const PackageHeader& header, const std::string& folder,
                         std::vector<unsigned char>& payload, bool writeUninstaller) {
  const std::string uninstaller = platform::PathAppend(folder, "uninstall.exe");
  std::vector<unsigned char> image = ReadBlock(package, header.UninstallerOffset(), header.UninstallerSize());
  std::vector<unsigned char>().swap(payload);
  package.Close();
  if (!writeUninstaller) return;
  WriteLog("Write uninstall file.\n");
  if (WriteWhole(uninstaller, image.data(), image.size())) ::chmod(uninstaller.c_str(), 0755);
  WriteLog("Write uninstall bin.\n");
  WriteWhole(uninstaller + ".bin", header.Bytes(), PackageHeader::kSize);
}

}  // namespace

std::string GetInstallPath() {
  std::lock_guard lock(g_installPathMutex);
  return g_installPath;
}

void SetInstallPath(const std::string& path) {
  std::lock_guard lock(g_installPathMutex);
  g_installPath = path;
}

int GetProgramPath(std::string& path, const std::string& folderName, bool create, bool prefer64Bit) {
  // Both Program Files folders of the Windows layout are one place here.
  (void)prefer64Bit;
  path = platform::PathAppend(platform::ProgramFilesFolder(), folderName);
  if (create) return CreateFolderPath(path);
  return platform::CharacterCount(path) <= kMaxInstallPathChars ? 1 : 0;
}

HRESULT InstallPackage(const char* packagePath, const InstallNotify& notify, const char* installFolder,
                       bool removeTempAfter, bool writeUninstaller) {
  if (packagePath == nullptr) {
    SetInstallErrorCode(kInstallPointNull);
    return E_POINTER;
  }
  Notify(notify, kInstallNotifyStarted, 0);
  JFile package;
  if (!package.Open(packagePath, 0x201)) {
    Fail(notify, package.LastError(), kInstallSetupFileError);
    WriteLog("Open file error %d.\n", package.LastError());
    return E_FAIL;
  }
  const std::int64_t length = package.Length();
  unsigned char pointer[4] = {};
  std::int64_t offset = -1;
  if (package.Seek(PackageHeader::kPointerOffset, 0) == 0 && package.Read(pointer, 4) == 4) {
    offset = PackageHeader::ReadInt32(pointer);
  }
  // A negative offset (or a file too short to hold one) is as wrong as one beyond the end.
  if (offset < 0 || offset > length - static_cast<std::int64_t>(PackageHeader::kSize)) {
    package.Close();
    Fail(notify, kInstallOffsetError, kInstallSetupFileError);
    WriteLog("Offset error %d  Offset - %d  file length- %d.\n", kInstallOffsetError, static_cast<int>(offset),
             static_cast<int>(length));
    return E_FAIL;
  }
  PackageHeader header;
  package.Seek(offset, 0);
  package.Read(header.Bytes(), PackageHeader::kSize);

  std::string folder;
  if (installFolder != nullptr) {
    folder = installFolder;
    CreateFolderPath(folder);
    SetInstallPath(folder);
    WriteLog("StrCpyW lpszProgram. \n");
  } else {
    GetProgramPath(folder, header.KeyName(), true, header.X64Flag() != 0);
    SetInstallPath(folder);
    WriteLog("GetProgramPath lpszProgram. \n");
  }
  WriteLog("lpszProgram path :%s \n", folder.c_str());
  if (platform::CharacterCount(folder) > kMaxInstallPathChars || !platform::PathIsFolder(folder)) {
    package.Close();
    Fail(notify, kInstallDirWriteError, kInstallDirWriteError);
    return E_FAIL;
  }

  const std::int64_t payloadOffset = header.PayloadOffset();
  const std::int64_t payloadSize = header.PayloadSize();
  if (payloadOffset + payloadSize > length) {
    package.Close();
    Fail(notify, kInstallReadFileError, kInstallSetupFileError);
    return E_FAIL;
  }
  // Negative offsets or sizes cannot be read either; they count as an allocation failure as before.
  std::vector<unsigned char> payload;
  if (payloadOffset >= 0 && payloadSize >= 0) {
    try {
      payload.assign(static_cast<std::size_t>(payloadSize) + 1, 0);
    } catch (const std::bad_alloc&) {
      payload.clear();
    }
  }
  if (payload.empty()) {
    package.Close();
    Fail(notify, kInstallMallocError, kInstallSetupFileError);
    return E_FAIL;
  }
  package.Seek(payloadOffset, 0);
  package.Read(payload.data(), payloadSize);
  WriteLog("Buffer Info: Start(%d), size(%d), pBuffer(%08" PRIXPTR ").\n", static_cast<int>(payloadOffset),
           static_cast<int>(payloadSize), reinterpret_cast<std::uintptr_t>(payload.data()));

  C7ZOperator unpacker;
  unpacker.SetNotify(notify);
  WriteLog("Begin unpack file.\n");
  std::string errorText;
  if (!unpacker.UnpackBuffer(payload.data(), static_cast<std::size_t>(payloadSize), folder.c_str(), nullptr,
                             errorText, removeTempAfter)) {
    WriteLog("Failed unpack file.\n");
    WriteLog("Install path %s.\n", folder.c_str());
    WriteLog("UnZip error :%s.\n", errorText.c_str());
    package.Close();
    Fail(notify, kInstallUnzipFileError, kInstallSetupFileError);
    return E_FAIL;
  }
  WriteLog("Finish unpack file.\n");
  WriteUninstallFiles(package, header, folder, payload, writeUninstaller);
  Notify(notify, kInstallNotifyFinished, 0);
  return S_OK;
}

}  // namespace orvane
