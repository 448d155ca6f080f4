// libFuzzer target: arbitrary bytes as download descriptor text, read by a fresh
// engine exactly as BeginDownloadFromData's thread reads it. The download itself
// is replaced so that nothing reaches the network; the parsed record is walked so
// that the sanitizers see every field the reader filled.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download/DownloaderCurl.h"

namespace {

class ReadOnlyDownloader : public orvane::DownloaderCurl {
 public:
  explicit ReadOnlyDownloader(const std::string& target) { m_targetPath = target; }

  orvane::HRESULT BeginDownload(const orvane::DownloadConfig& config) override {
    std::size_t total = config.targetPath.size() + config.fileHash.size();
    for (const auto& url : config.urls) total += url.url.size() + url.host.size();
    for (const auto& hash : config.chunkHashes) total += hash.size();
    sink_ = total + static_cast<std::size_t>(config.size) + static_cast<std::size_t>(config.threadsPerUrl);
    return orvane::S_OK;
  }

 private:
  volatile std::size_t sink_ = 0;
};

std::string g_target;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Keep the engine's log and any file it looks at inside a throw-away folder.
  char folder[] = "/tmp/orvane-fuzz-XXXXXX";
  if (::mkdtemp(folder) == nullptr) std::abort();
  ::setenv("HOME", folder, 1);
  ::setenv("ORVANE_SYSROOT", folder, 1);
  g_target = std::string(folder) + "/absent/package.exe";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadOnlyDownloader engine(g_target);
  engine.LoadCfgData(reinterpret_cast<const char*>(data), size);
  (void)engine.GetResultString();
  (void)engine.GetDownloadState();
  return 0;
}
