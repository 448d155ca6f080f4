#pragma once
// Unpacks a 7z archive held in memory into a folder, through a private
// temporary folder and the extractor (RunArchiverMain). Used on the install
// worker's thread; its callbacks come on that thread too.
#include <atomic>
#include <cstdint>
#include <string>

#include "install/InstallNotify.h"

namespace orvane {

class I7zFileInfoCallback {
 public:
  virtual ~I7zFileInfoCallback() = default;
  // A 64-bit progress count split in halves: the completed percentage.
  virtual void OnProgress(std::uint32_t low, std::uint32_t high) = 0;
  // 260 password requested, 261 data error, 262 the run ended with errors.
  virtual void OnError(std::int32_t code) = 0;
};

class C7ZOperator : public I7zFileInfoCallback {
 public:
  C7ZOperator() = default;

  void SetNotify(const InstallNotify& notify) { notify_ = notify; }
  // Writes `data` as "<temp>/<tick>/lumtar_7z/Lum7ZFile.7z" and extracts it into
  // `outputFolder`. Returns false (with `errorText` set) when the archive could
  // not be written, or when the extraction failed so that the folder does not
  // hold the archive's content. The temporary folder is removed when asked.
  bool UnpackBuffer(const void* data, std::size_t size, const char* outputFolder, const char* password,
                    std::string& errorText, bool removeTempAfter);

  void OnProgress(std::uint32_t low, std::uint32_t high) override;
  void OnError(std::int32_t code) override;

  std::int32_t LastError() const { return lastError_.load(); }
  // The temporary folder of the last UnpackBuffer ("" before).
  const std::string& TempFolder() const { return tempFolder_; }

 private:
  std::atomic<std::int32_t> lastError_{0};
  InstallNotify notify_;
  std::string tempFolder_;
};

}  // namespace orvane
