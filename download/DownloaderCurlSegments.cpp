// Segment scheduling: placeholder definitions so that the engine links; the
// segmented transfer replaces them.
#include "download/DownloaderCurl.h"

namespace orvane {

DownloaderCurl::~DownloaderCurl() {
  JoinDescriptorThread();
  StopDownload();
}

HRESULT DownloaderCurl::BeginDownload(const DownloadConfig& config) {
  m_config = config;
  if (CheckDownload(config) != S_OK) {
    SetResultCode(DownloadResult::DownloadCheckUrlError);
    return E_FAIL;
  }
  return InitDownload();
}

HRESULT DownloaderCurl::StopDownload() {
  m_running.store(false);
  return S_OK;
}

HRESULT DownloaderCurl::InitDownload() {
  SetResultCode(DownloadResult::DownloadUrlCountError);
  return E_INVALIDARG;
}

HRESULT DownloaderCurl::BeginDownloadItem(DownloadItem*) { return S_OK; }

void DownloaderCurl::FillSegmentStatus(DownloadStatus& status) const {
  status.segmentCount = m_segmentCount.load();
  status.totalBytes = m_totalSize.load();
  status.downloadedBytes = m_downloadedSize.load();
  status.items.clear();
}

}  // namespace orvane
