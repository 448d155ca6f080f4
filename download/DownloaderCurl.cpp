// The engine's descriptor side and its interface: reading and validating a
// descriptor from text, a file or a URL, the "already downloaded" check, the
// descriptor thread, notifications and the getters.
#include "download/DownloaderCurl.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>

#include "app/Log.h"
#include "download/Md5.h"
#include "platform/Clock.h"

namespace orvane {

namespace {

constexpr const char* kCfgThreadLog = "Download_Thread_Download_Cfg";
constexpr int kCfgAttempts = 3;
constexpr int kNoFile = -1;
// Largest descriptor file fetched; a real one is a few kilobytes.
constexpr std::size_t kMaxCfgBytes = 1 << 20;

constexpr const char* kResultNames[] = {
    "NoError",
    "NoNeedDownload",
    "NeedUpdateDownload",
    "ConfigDownloadError",
    "ConfigLoadError",
    "ConfigLoadVersionError",
    "ConfigLoadFileSizeError",
    "ConfigLoadUrlSizeError",
    "ConfigLoadUrlError",
    "ConfigLoadHashSizeError",
    "ConfigLoadHashError",
    "DownloadCheckUrlError",
    "DownloadMallocError",
    "DownloadUrlCountError",
    "DownloadExeError",
    "DispatchSuccessError",
    "DispatchFailError",
    "DispatchTimeoutError",
    "RepairSuccessError",
    "RepairFailError",
    "RepairTimeoutError",
    "CheckHashError",
};

std::once_flag g_curlInit;

// Characters of a UTF-8 text (bytes that do not continue a sequence).
std::size_t Utf8Length(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// A small number that names a thread in the log.
int ThreadLogId(const std::thread& thread) {
  return static_cast<int>(std::hash<std::thread::id>{}(thread.get_id()) & 0x7FFFFFFF);
}

// Appends received descriptor bytes to the ".cfg" file (descriptor thread).
std::size_t WriteCfgData(char* data, std::size_t size, std::size_t count, void* context) {
  auto* item = static_cast<DownloadItem*>(context);
  if (item == nullptr || item->owner == nullptr || item->outputFile == kNoFile) return 0;
  const std::size_t total = size * count;
  if (item->position.load() + total > kMaxCfgBytes) return 0;  // ends the transfer with a write error
  std::size_t written = 0;
  while (written < total) {
    const ssize_t n = ::write(item->outputFile, data + written, total - written);
    if (n <= 0) return written;
    written += static_cast<std::size_t>(n);
  }
  item->position += static_cast<std::uint32_t>(total);
  return total;
}

// Aborts the descriptor transfer once the engine is being stopped.
int CfgTransferProgress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* item = static_cast<DownloadItem*>(context);
  return item != nullptr && item->state.load() == kItemDone ? 1 : 0;
}

}  // namespace

std::string GetResultString(int resultCode) {
  constexpr int kCount = static_cast<int>(sizeof kResultNames / sizeof kResultNames[0]);
  if (resultCode >= 0 && resultCode < kCount) return kResultNames[resultCode];
  return std::to_string(resultCode);
}

bool CreateDownloader(std::unique_ptr<IDownloader>* downloader) {
  if (downloader == nullptr) return false;
  *downloader = std::make_unique<DownloaderCurl>();
  return *downloader != nullptr;
}

DownloaderCurl::DownloaderCurl() : m_pinger(std::make_shared<IcmpHostPinger>()) {
  std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// ---- descriptor from text ----

HRESULT DownloaderCurl::BeginDownloadFromData(const char* data, std::size_t length, const std::string& targetPath) {
  if (m_cfgThread.joinable()) m_cfgThread.join();  // one start per engine; never leave a thread behind
  std::optional<std::string> text;
  if (data != nullptr) text.emplace(data, strnlen(data, length));
  m_targetPath = targetPath;
  m_running.store(true);
  // The thread owns its own copy of the text: no record is shared between engines.
  m_cfgThread = std::thread([this, text = std::move(text)] {
    const HRESULT hr = text ? LoadCfgData(text->c_str(), text->size()) : LoadCfgData(nullptr, 0);
    if (hr == S_OK) {
      WriteLog("%s : succeed.", kCfgThreadLog);
    } else {
      WriteLog("%s : failed.", kCfgThreadLog);
      WriteLog("%s : error.", kCfgThreadLog);
    }
  });
  return S_OK;
}

HRESULT DownloaderCurl::LoadCfgData(const char* data, std::size_t length) {
  HRESULT hr = E_FAIL;
  if (data == nullptr) {
    SetResultCode(DownloadResult::ConfigLoadError);
  } else {
    std::shared_ptr<IXMLParse> parser;
    if (CreateXMLParse(&parser) != S_OK || !parser->LoadFromText(data, length)) {
      SetResultCode(DownloadResult::ConfigLoadError);
      hr = E_INVALIDARG;
    } else {
      hr = LoadCfg(parser, m_targetPath);
    }
  }
  if (Failed(hr)) EndFailedLoad();
  return hr;
}

void DownloaderCurl::EndFailedLoad() {
  m_running.store(false);
  int expected = m_state.load();
  while (expected != kDownloadNeedUpdate && !m_state.compare_exchange_weak(expected, kDownloadFailed)) {
  }
  Notify(kNotifyFailed, 0, 0);
}

// ---- reading and validation ----

HRESULT DownloaderCurl::LoadCfg(std::shared_ptr<IXMLParse> parser, const std::string& targetPath) {
  if (!parser) {
    SetResultCode(DownloadResult::ConfigLoadError);
    return E_INVALIDARG;
  }
  DownloadConfig config;
  const HRESULT hr = ReadDescriptor(*parser, targetPath, config);
  if (hr != S_OK) return hr;
  if (IsAlreadyDownloaded(config)) return S_OK;
  return BeginDownload(config);
}

HRESULT DownloaderCurl::ReadDescriptor(IXMLParse& parser, const std::string& targetPath, DownloadConfig& config) {
  if (Utf8Length(targetPath) > DownloadConfig::kMaxTargetPathChars) {
    WriteLog("Download_LoadCfg : target path of %zu characters is longer than %zu, refused.", Utf8Length(targetPath),
             DownloadConfig::kMaxTargetPathChars);
    SetResultCode(DownloadResult::ConfigLoadError);
    return E_INVALIDARG;
  }
  config.targetPath = targetPath;
  config.threadsPerUrl = DownloadConfig::kDefaultThreadsPerUrl;

  int version = 0;
  if (!parser.GetInt("download.version", version)) {
    m_state.store(kDownloadNeedUpdate);
    SetResultCode(DownloadResult::ConfigLoadVersionError);
    return E_ABORT;
  }
  if (version > 1) {
    m_state.store(kDownloadNeedUpdate);
    SetResultCode(DownloadResult::NeedUpdateDownload);
    return E_ABORT;
  }
  if (!parser.GetInt("download.size", config.size)) {
    SetResultCode(DownloadResult::ConfigLoadFileSizeError);
    return E_ABORT;
  }
  int urlCount = 0;
  if (!parser.GetInt("download.url.size", urlCount)) {
    SetResultCode(DownloadResult::ConfigLoadUrlSizeError);
    return E_ABORT;
  }
  for (int n = 0; n < urlCount && n < DownloadConfig::kMaxUrls; ++n) {
    char path[128];
    std::snprintf(path, sizeof path, "download.url.item_%d.value", n);
    std::string url;
    if (!parser.GetString(path, url)) {
      SetResultCode(DownloadResult::ConfigLoadUrlError);
      return E_ABORT;
    }
    if (url.size() > UrlCfg::kMaxUrlBytes) {
      WriteLog("Download_LoadCfg : url item_%d of %zu bytes is longer than %zu, refused.", n, url.size(),
               UrlCfg::kMaxUrlBytes);
      SetResultCode(DownloadResult::ConfigLoadUrlError);
      return E_ABORT;
    }
    config.urls[n].url = std::move(url);
    config.urls[n].ok = true;
  }
  int hashCount = 0;
  if (!parser.GetInt("download.hash.size", hashCount)) {
    SetResultCode(DownloadResult::ConfigLoadHashSizeError);
    return E_ABORT;
  }
  for (int n = 0; n < hashCount; ++n) {
    char path[128];
    std::snprintf(path, sizeof path, "download.hash.item_%d.value", n);
    std::string digest;
    if (!parser.GetString(path, digest)) {
      SetResultCode(DownloadResult::ConfigLoadHashError);
      return E_ABORT;
    }
    if (n == 0) {
      config.fileHash = std::move(digest);
    } else {
      config.chunkHashes.push_back(std::move(digest));
    }
  }
  return S_OK;
}

bool DownloaderCurl::IsAlreadyDownloaded(const DownloadConfig& config) {
  if (!IsRegularFile(config.targetPath)) return false;
  std::string digest;
  if (!Md5::OfFile(config.targetPath, digest) || digest != config.fileHash) return false;
  // Outcome first, then the notification, so an owner woken by it reads the final values.
  SetResultCode(DownloadResult::NoNeedDownload);
  m_running.store(false);
  m_state.store(kDownloadFinished);
  Notify(kNotifyFinished, 0, 1);
  return true;
}

// ---- descriptor from a file ----

HRESULT DownloaderCurl::BeginDownloadFromFile(const std::string& cfgPath, const std::string& targetPath) {
  std::shared_ptr<IXMLParse> parser;
  if (CreateXMLParse(&parser) != S_OK || !parser->LoadFromFile(cfgPath)) {
    SetResultCode(DownloadResult::ConfigLoadError);
    return E_INVALIDARG;
  }
  return LoadCfg(parser, targetPath);
}

// ---- descriptor from a URL ----

HRESULT DownloaderCurl::BeginDownloadFromUrl(const std::string& url, const std::string& targetPath) {
  if (url.size() > kMaxCfgUrlBytes) {
    WriteLog("Download_BeginDownloadFromUrl : url of %zu bytes is longer than %zu, refused.", url.size(),
             kMaxCfgUrlBytes);
    SetResultCode(DownloadResult::ConfigDownloadError);
    return E_INVALIDARG;
  }
  const std::string cfgPath = targetPath + ".cfg";
  if (Utf8Length(cfgPath) > DownloadConfig::kMaxTargetPathChars) {
    WriteLog("Download_BeginDownloadFromUrl : target path of %zu characters is too long, refused.",
             Utf8Length(targetPath));
    SetResultCode(DownloadResult::ConfigLoadError);
    return E_INVALIDARG;
  }
  if (m_cfgThread.joinable()) m_cfgThread.join();

  auto item = std::make_unique<DownloadItem>();
  item->id = 0;
  item->url = url;
  item->position = 0;
  item->end = GetDownloadFileLenth(url);
  item->owner = this;
  item->startTime = platform::GetTickCount32();
  item->outputFile = ::open(cfgPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (item->outputFile == kNoFile) return E_INVALIDARG;

  m_cfgPath = cfgPath;
  m_targetPath = targetPath;
  m_cfgItem = std::move(item);
  m_running.store(true);
  m_cfgThread = std::thread([this, record = m_cfgItem.get()] { RunUrlThread(record); });
  WriteLog("Download_BeginDownload : Download link id(%d) thread(%d).", m_cfgItem->id, ThreadLogId(m_cfgThread));
  return S_OK;
}

HRESULT DownloaderCurl::FetchCfgOnce(DownloadItem* item) {
  if (item->outputFile == kNoFile) {
    item->outputFile = ::open(m_cfgPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  item->position = 0;
  CURLcode result = CURLE_FAILED_INIT;
  if (CURL* curl = curl_easy_init()) {
    const std::string proxy = GetProxy();
    curl_easy_setopt(curl, CURLOPT_URL, item->url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteCfgData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, item);
    // The progress function only lets a stopping engine end the transfer early.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CfgTransferProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, item);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 5L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20000L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kProbeUserAgent);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    if (!proxy.empty()) {
      curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
      curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
    }
    item->transfer = curl;
    result = curl_easy_perform(curl);
    item->transfer = nullptr;
    curl_easy_cleanup(curl);
  }
  item->transferResult = static_cast<int>(result);
  item->endTime = platform::GetTickCount32();
  if (item->state.load() != kItemDone) item->state = result == CURLE_OK ? kItemCompleted : kItemFailed;
  return result == CURLE_OK ? S_OK : E_FAIL;
}

void DownloaderCurl::RunUrlThread(DownloadItem* item) {
  if (item == nullptr) {
    WriteLog("%s Error : pItem == NULL.", kCfgThreadLog);
    return;
  }
  for (int attempt = 0; attempt < kCfgAttempts && !StopRequested(); ++attempt) {
    if (FetchCfgOnce(item) != S_OK) {
      // A transfer that failed is fetched again; its partial file is never loaded.
      if (item->outputFile != kNoFile) ::close(item->outputFile);
      item->outputFile = kNoFile;
      WriteLog("%s : failed.", kCfgThreadLog);
      continue;
    }
    if (OnCfgDownloaded(item) == S_OK) {
      WriteLog("%s : succeed.", kCfgThreadLog);
    } else {
      WriteLog("%s : failed.", kCfgThreadLog);
      WriteLog("%s : error.", kCfgThreadLog);
    }
    return;
  }
  if (item->outputFile != kNoFile) ::close(item->outputFile);
  item->outputFile = kNoFile;
  SetResultCode(DownloadResult::ConfigDownloadError);
  WriteLog("%s : error.", kCfgThreadLog);
  EndFailedLoad();
}

HRESULT DownloaderCurl::OnCfgDownloaded(DownloadItem* item) {
  if (item == nullptr || item->outputFile == kNoFile) return E_POINTER;
  ::close(item->outputFile);
  item->outputFile = kNoFile;
  HRESULT hr = E_FAIL;
  if (IsRegularFile(m_cfgPath)) {
    hr = BeginDownloadFromFile(m_cfgPath, m_targetPath);
  } else {
    SetResultCode(DownloadResult::ConfigLoadError);
  }
  if (Failed(hr)) EndFailedLoad();
  return hr;
}

void DownloaderCurl::JoinDescriptorThread() {
  m_stopRequested.store(true);
  if (m_cfgItem) m_cfgItem->state = kItemDone;
  if (m_cfgThread.joinable()) m_cfgThread.join();
  if (m_cfgItem && m_cfgItem->outputFile != kNoFile) {
    ::close(m_cfgItem->outputFile);
    m_cfgItem->outputFile = kNoFile;
  }
}

// ---- notifications and getters ----

void DownloaderCurl::Notify(int code, std::uint32_t value, long extra) {
  NotifyFunction callback;
  {
    std::lock_guard lock(m_callbackMutex);
    callback = m_callback;
  }
  if (callback) callback(code, value, extra);
}

HRESULT DownloaderCurl::SetCallback(NotifyFunction callback) {
  if (!callback) return E_POINTER;
  std::lock_guard lock(m_callbackMutex);
  m_callback = std::move(callback);
  return S_OK;
}

bool DownloaderCurl::IsDownloading() const { return m_running.load(); }

HRESULT DownloaderCurl::GetDownloadStatus(DownloadStatus& status) const {
  FillSegmentStatus(status);
  return S_OK;
}

int DownloaderCurl::GetDownloadState() const { return m_state.load(); }

void DownloaderCurl::SetProxy(const std::string& proxy) {
  std::lock_guard lock(m_textMutex);
  m_proxy = proxy;
}

std::string DownloaderCurl::GetProxy() const {
  std::lock_guard lock(m_textMutex);
  return m_proxy;
}

bool DownloaderCurl::IsCdnUsed() const { return m_cdnUsed.load(); }

int DownloaderCurl::GetResultCode() const { return m_resultCode.load(); }

std::string DownloaderCurl::GetResultString() const { return orvane::GetResultString(m_resultCode.load()); }

void DownloaderCurl::SetLastFailLink(const std::string& url) {
  std::lock_guard lock(m_textMutex);
  m_lastFailLink = url;
}

std::string DownloaderCurl::GetLastFailLink() const {
  std::lock_guard lock(m_textMutex);
  return m_lastFailLink;
}

void DownloaderCurl::SetRepairLink(const std::string& url) {
  std::lock_guard lock(m_textMutex);
  m_repairLink = url;
}

std::string DownloaderCurl::GetRepairLink() const {
  std::lock_guard lock(m_textMutex);
  return m_repairLink;
}

int DownloaderCurl::GetCurlError() const { return m_curlError.load(); }

void DownloaderCurl::GetAllUrlInfo(std::vector<UrlCfg>& urls) const {
  std::lock_guard lock(m_urlMutex);
  urls = m_allUrlCfg;
}

void DownloaderCurl::GetUsedUrlInfo(std::vector<UrlCfg>& urls) const {
  std::lock_guard lock(m_urlMutex);
  urls = m_vecUrlCfg;
}

}  // namespace orvane
