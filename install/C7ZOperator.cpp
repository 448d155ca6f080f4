#include "install/C7ZOperator.h"

#include <unistd.h>

#include <cstdio>
#include <vector>

#include "install/ArchiverMain.h"
#include "install/TempTree.h"
#include "platform/DebugOutput.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

constexpr std::size_t kArgumentBufferSize = 1024;

void ErrorBridge(void* context, std::int32_t code) {
  if (context != nullptr) static_cast<C7ZOperator*>(context)->OnError(code);
}

void ProgressBridge(void* context, std::uint32_t low, std::uint32_t high) {
  if (context != nullptr) static_cast<C7ZOperator*>(context)->OnProgress(low, high);
}

// Our own program path, as the extractor's argument 0.
std::string OwnProgramPath() {
  char path[521] = {};
  const ssize_t size = ::readlink("/proc/self/exe", path, 520);
  return size > 0 ? std::string(path, static_cast<std::size_t>(size)) : std::string("orvane-setup");
}

bool WriteArchive(const std::string& path, const void* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

bool C7ZOperator::UnpackBuffer(const void* data, std::size_t size, const char* outputFolder, const char* password,
                               std::string& errorText, bool removeTempAfter) {
  if (data == nullptr || outputFolder == nullptr) return false;
  tempFolder_ = MakePrivateTempFolder();
  if (tempFolder_.empty()) {
    errorText = "Create temp folder error";
    return false;
  }
  const std::string workFolder = tempFolder_ + "lumtar_7z/";
  CreateFolderPathA(workFolder);
  const std::string archivePath = workFolder + "Lum7ZFile.7z";
  if (!WriteArchive(archivePath, data, size)) {
    RemoveTempTree(workFolder);
    errorText = "Write 7z file error";
    return false;
  }
  const bool exists = platform::PathFileExists(archivePath);
  std::printf("Temp File : %s, Flag : %d\n", archivePath.c_str(), exists ? 1 : 0);
  std::fflush(stdout);
  if (!exists) {
    errorText = "File path not exists : " + archivePath;
    return false;
  }

  std::vector<std::string> args = {OwnProgramPath(), "x", archivePath, std::string("-o") + outputFolder};
  if (password != nullptr && *password != '\0') args.push_back(std::string("-p") + password);
  for (auto& arg : args) {
    if (arg.size() >= kArgumentBufferSize) arg.resize(kArgumentBufferSize - 1);
  }
  std::vector<const char*> argv;
  for (const auto& arg : args) argv.push_back(arg.c_str());
  const int exitCode =
      RunArchiverMain(static_cast<int>(argv.size()), argv.data(), this, &ErrorBridge, &ProgressBridge);

  if (removeTempAfter) RemoveTempTree(tempFolder_);
  // A run that did not place the archive's content is a failure, not a finished install.
  if (exitCode >= kArchiverFatal) {
    errorText = "Extraction failed, 7z exit code " + std::to_string(exitCode);
    return false;
  }
  return true;
}

void C7ZOperator::OnProgress(std::uint32_t low, std::uint32_t /*high*/) {
  char message[260];
  std::snprintf(message, sizeof message, "now pos is %d \n", static_cast<int>(low));
  platform::OutputDebugText(message);
  if (notify_) notify_(kInstallNotifyProgress, static_cast<std::int32_t>(low), 0);
}

void C7ZOperator::OnError(std::int32_t code) {
  char message[260];
  std::snprintf(message, sizeof message, "\n!!! Error is %d \n", code);
  platform::OutputDebugText(message);
  lastError_.store(code);
  if (notify_) notify_(kInstallNotifyExtractorError, code, 0);
}

}  // namespace orvane
