#pragma once
// The download engine as its owner (the setup controller, the information
// view) drives it: start from a descriptor, poll, read the outcome.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "download/DownloadConfig.h"
#include "download/DownloadItem.h"
#include "platform/Notify.h"
#include "platform/Status.h"

namespace orvane {

// Engine states, read with GetDownloadState.
enum DownloadState : int {
  kDownloadNotFinished = 0,  // initial, and throughout a download
  kDownloadNeedUpdate = 3,   // the descriptor has no version or a version this engine does not know
  kDownloadFailed = 4,
  kDownloadFinished = 5,     // package complete and verified, or already present
};

// Why the engine stopped or did not start; GetResultCode. The numbers never change.
enum class DownloadResult : int {
  NoError = 0,
  NoNeedDownload = 1,
  NeedUpdateDownload = 2,
  ConfigDownloadError = 3,
  ConfigLoadError = 4,
  ConfigLoadVersionError = 5,
  ConfigLoadFileSizeError = 6,
  ConfigLoadUrlSizeError = 7,
  ConfigLoadUrlError = 8,
  ConfigLoadHashSizeError = 9,
  ConfigLoadHashError = 10,
  DownloadCheckUrlError = 11,
  DownloadMallocError = 12,
  DownloadUrlCountError = 13,
  DownloadExeError = 14,
  DispatchSuccessError = 15,
  DispatchFailError = 16,
  DispatchTimeoutError = 17,
  RepairSuccessError = 18,
  RepairFailError = 19,
  RepairTimeoutError = 20,
  CheckHashError = 21,
};

// Name of a result code ("NoError" ... "CheckHashError"); other values in decimal.
std::string GetResultString(int resultCode);

// Notification codes sent through the callback (code, value, extra).
enum DownloadNotify : int {
  kNotifyProgress = 3,     // value: bytes so far (at most the total); extra: total bytes
  kNotifyFailed = 4,       // value/extra: bytes and total, or 0/0 when the load or start failed
  kNotifyFinished = 5,     // value/extra: bytes and total, or 0/1 when the package was already present
  kNotifySegmentEnd = 7,   // value: segment id; extra: address of the segment record
};

// Snapshot for the information view.
struct DownloadStatus {
  int segmentCount = 0;             // planned segments
  std::uint32_t totalBytes = 0;
  std::uint32_t downloadedBytes = 0;
  std::map<int, DownloadItem> items;  // copy of the segment map
};

class IDownloader {
 public:
  virtual ~IDownloader() = default;

  // Starts the descriptor thread on descriptor text in memory; returns at once.
  virtual HRESULT BeginDownloadFromData(const char* data, std::size_t length, const std::string& targetPath) = 0;
  // Fetches a descriptor into targetPath + ".cfg", then loads it; returns at once.
  virtual HRESULT BeginDownloadFromUrl(const std::string& url, const std::string& targetPath) = 0;
  // Loads a descriptor file and starts the download on the calling thread.
  virtual HRESULT BeginDownloadFromFile(const std::string& cfgPath, const std::string& targetPath) = 0;
  // Probes mirrors, prepares the output and starts the segments.
  virtual HRESULT BeginDownload(const DownloadConfig& config) = 0;
  // Stops every transfer and releases the output.
  virtual HRESULT StopDownload() = 0;
  virtual bool IsDownloading() const = 0;
  // Installs the notification function; E_POINTER for an empty one.
  virtual HRESULT SetCallback(NotifyFunction callback) = 0;
  virtual HRESULT GetDownloadStatus(DownloadStatus& status) const = 0;
  virtual int GetDownloadState() const = 0;
  // HTTP proxy for every transfer ("" uses libcurl's default: the environment).
  virtual void SetProxy(const std::string& proxy) = 0;
  // True once the CDN mirror was chosen as a replacement source.
  virtual bool IsCdnUsed() const = 0;
  virtual int GetResultCode() const = 0;
  virtual std::string GetResultString() const = 0;
  virtual std::string GetLastFailLink() const = 0;
  virtual std::string GetRepairLink() const = 0;
  virtual int GetCurlError() const = 0;
  // Every mirror probed, in descriptor order.
  virtual void GetAllUrlInfo(std::vector<UrlCfg>& urls) const = 0;
  // The mirrors in use, best first.
  virtual void GetUsedUrlInfo(std::vector<UrlCfg>& urls) const = 0;
};

// Makes a new engine; false when `downloader` is null.
bool CreateDownloader(std::unique_ptr<IDownloader>* downloader);

}  // namespace orvane
