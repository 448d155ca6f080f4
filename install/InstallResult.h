#pragma once
// The process-wide result code of the last installation and its name, which
// the statistics report carries. Written by the install worker, read by the
// controller after InstallPackage returns.
#include <cstdint>
#include <string>

namespace orvane {

enum InstallResultCode : std::int32_t {
  kInstallNoError = 0,
  kInstallPointNull = 10000,
  kInstallSetupFileError = 10001,
  kInstallDirWriteError = 10002,
  kInstallMallocError = 10003,
  kInstallInstallFileError = 10004,
  kInstallOpenFileError = 10005,
  kInstallOffsetError = 10006,
  kInstallReadFileError = 10007,
  kInstallUnzipFileError = 10008,
};

std::int32_t GetInstallErrorCode();
void SetInstallErrorCode(std::int32_t code);
// "NoError", "PointNull", ... "UnzipFileError"; any other value as decimal text.
std::string GetInstallErrorName();
std::string InstallErrorName(std::int32_t code);

}  // namespace orvane
