// Segmented download: the package is cut into byte ranges fetched at once from
// several mirrors, one libcurl transfer per segment on its own thread. Every
// block goes to the target file and to an in-memory image; a dispatcher thread
// restarts failed segments, hands stalled ones over and, whenever a segment
// completes, gives the freed mirror half of the largest range left, or the rest
// of a segment that has fallen silent.
#include <curl/curl.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "app/Log.h"
#include "download/DownloaderCurl.h"
#include "platform/Clock.h"

namespace orvane {
namespace {

constexpr const char* kSegmentUserAgent = "Downloader";
constexpr long kTransferTimeoutSec = 20000;
constexpr long kReceiveBufferBytes = 256 * 1024;
// A running segment is split only when it has at least this many bytes left.
constexpr std::uint32_t kMinSplitBytes = 512000;
// Stalls are not handed over once this share of the package has arrived.
constexpr double kNoHandOverRatio = 0.9;

std::uint32_t Now() { return platform::GetTickCount32(); }

int ThreadNumber(const std::thread& thread) {
  return static_cast<int>(std::hash<std::thread::id>{}(thread.get_id()) & 0x7fffffff);
}

void LogMirrorHost(const std::string& url) {
  std::string host;
  if (DownloaderCurl::HostOfUrl(url, host)) WriteLog("Download_Dispatch link :(%s).", host.c_str());
}

}  // namespace

// libcurl entry points of a segment transfer (segment thread).
struct SegmentTransfer {
  static std::size_t Write(char* data, std::size_t size, std::size_t count, void* user) {
    auto* item = static_cast<DownloadItem*>(user);
    if (item == nullptr || item->owner == nullptr) return 0;
    return item->owner->OnSegmentData(item, data, size * count);
  }

  // The segment's sockets are known to the engine, so that a transfer stopped
  // or handed over ends at once rather than at its next progress call, which a
  // silent connection only gets once a second.
  static curl_socket_t OpenSocket(void* user, curlsocktype, curl_sockaddr* address) {
    const curl_socket_t socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    auto* item = static_cast<DownloadItem*>(user);
    if (socket != CURL_SOCKET_BAD && item->owner != nullptr) item->owner->TrackSocket(item, socket);
    return socket;
  }
  static int CloseSocket(void* user, curl_socket_t socket) {
    auto* item = static_cast<DownloadItem*>(user);
    if (item->owner != nullptr) item->owner->ForgetSocket(item, socket);
    return ::close(socket);
  }

  // Nonzero aborts the transfer: the segment was stopped, handed over or failed,
  // or the engine is going away.
  static int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* item = static_cast<DownloadItem*>(user);
    if (item == nullptr) return 1;
    const int state = item->state.load();
    if (state == kItemDone || state == kItemFailed) return 1;
    return (item->owner != nullptr && item->owner->m_closing.load()) ? 1 : 0;
  }
};

DownloaderCurl::~DownloaderCurl() {
  m_closing.store(true);
  JoinDescriptorThread();
  StopDownload();
  StopDispatcher();
  JoinSegmentThreads();
  CloseFile();
}

void DownloaderCurl::StopDispatcher() {
  {
    std::lock_guard<std::mutex> lock(m_dispatchMutex);
    m_dispatchWake.notify_all();
  }
  if (m_dispatchThread.joinable()) m_dispatchThread.join();
}

// Joins segment threads until none is left; a segment ending may have started
// repair segments, which are joined in the next round.
void DownloaderCurl::JoinSegmentThreads() {
  for (;;) {
    std::vector<std::thread> threads = m_segments.TakeThreads();
    if (threads.empty()) return;
    for (std::thread& thread : threads) {
      if (thread.joinable()) thread.join();
    }
  }
}

void DownloaderCurl::RetireSegments() {
  if (!m_dispatchThread.joinable() && m_segments.Size() == 0) return;
  m_running.store(false);
  m_segments.SetAllStates(kItemDone);
  StopDispatcher();
  JoinSegmentThreads();
}

HRESULT DownloaderCurl::BeginDownload(const DownloadConfig& config) {
  RetireSegments();
  m_stopped.store(false);
  m_config = config;
  m_totalSize.store(static_cast<std::uint32_t>(config.size));
  if (CheckDownload(config) != S_OK) {
    WriteLog("Error : BeginDownload (CheckDownload(siItem) != S_OK).");
    SetResultCode(DownloadResult::DownloadCheckUrlError);
    return E_FAIL;
  }
  CloseFile();
  m_totalSize.store(0);
  m_downloadedSize.store(0);

  if (config.size <= 0) {
    // No image can be made of an empty package, and no range cut from it.
    SetResultCode(DownloadResult::DownloadMallocError);
    return E_INVALIDARG;
  }
  const auto total = static_cast<std::uint32_t>(config.size);
  {
    std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
    m_totalSize.store(total);
    // The image starts as zeros.
    m_image.reset(static_cast<std::uint8_t*>(std::calloc(total, 1)));
    if (!m_image) {
      SetResultCode(DownloadResult::DownloadMallocError);
      return E_POINTER;
    }
    m_coverage.Reset(total, DownloadConfig::kChunkSize);
    m_earlyRepairs.assign(m_coverage.ChunkCount(), 0);
    m_badChunks.clear();
    m_file = ::open(config.targetPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    WriteLog("Download_BeginDownload : OpenFile(%d), FileSize(%d), Mutex(%d), File(%s).", m_file.load(),
             static_cast<int>(total), 1, config.targetPath.c_str());
  }
  return InitDownload();
}

HRESULT DownloaderCurl::StopDownload() {
  m_stopped.store(true);
  m_running.store(false);
  {
    std::lock_guard<std::mutex> lock(m_dispatchMutex);
    m_dispatchWake.notify_all();
  }
  CloseFile();
  m_segments.SetAllStates(kItemDone);
  for (DownloadItem* item : m_segments.Items()) AbortTransfer(item);
  m_totalSize.store(0);
  m_downloadedSize.store(0);
  return S_OK;
}

HRESULT DownloaderCurl::InitDownload() {
  std::vector<UrlCfg> mirrors;
  {
    std::lock_guard<std::mutex> lock(m_urlMutex);
    mirrors = m_vecUrlCfg;
    m_cdnAvailable = m_cdnCfg.ok;
    m_cdnUrl = m_cdnCfg.url;
  }
  const std::uint32_t n = static_cast<std::uint32_t>(mirrors.size());
  if (n == 0) {
    SetResultCode(DownloadResult::DownloadUrlCountError);
    return E_INVALIDARG;
  }
  if (m_closing.load()) return E_ABORT;
  m_downloadedSize.store(0);
  const int configured = m_config.threadsPerUrl;
  const std::uint32_t perUrl = (configured >= 1 && configured <= 10) ? configured : 2;
  const std::uint32_t total = m_totalSize.load();
  // A package smaller than the plan gets one-byte segments, never empty ones.
  const std::uint32_t planned = std::max(1u, std::min(n * perUrl, total));
  m_segmentCount.store(static_cast<int>(planned));
  m_mirrorsInUse.store(static_cast<int>(n));
  m_segments.Clear();
  m_segments.ResetChunks(ChunkCount());
  m_running.store(true);

  const std::uint32_t size = total / planned;
  // Every planned segment is in the map before the first transfer starts, so
  // that an early finish never sees a partial plan as the whole download.
  const std::uint32_t now = Now();
  std::vector<DownloadItem*> plan;
  for (std::uint32_t i = 0; i < planned; ++i) {
    auto item = std::make_unique<DownloadItem>();
    item->url = mirrors[i % n].url;
    item->outputFile = m_file.load();
    item->owner = this;
    item->rangeStart = i * size;
    item->position = i * size;
    item->end = (i == planned - 1) ? total - 1 : i * size + size - 1;
    item->lastDataTime = now;
    item->startTime = now;
    plan.push_back(m_segments.Insert(std::move(item)));
  }
  for (DownloadItem* item : plan) BeginDownloadItem(item);
  m_dispatchThread = std::thread(&DownloaderCurl::RunDispatcher, this);
  WriteLog("Download_InitDownload : start download dispatch, thread(%d).", ThreadNumber(m_dispatchThread));
  return S_OK;
}

HRESULT DownloaderCurl::BeginDownloadItem(DownloadItem* item) {
  if (item == nullptr) return E_POINTER;
  // Output file and owner were set when the record was made, before other
  // threads could see it.
  item->transferResult = 0;
  if (m_closing.load()) {
    item->state = kItemDone;
    return E_ABORT;
  }
  CURL* curl = curl_easy_init();
  if (curl == nullptr) {
    item->transferResult = CURLE_FAILED_INIT;
    item->state = kItemFailed;
    return E_FAIL;
  }
  const DispatchTiming timing = GetDispatchTiming();
  curl_easy_setopt(curl, CURLOPT_URL, item->url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &SegmentTransfer::Write);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, item);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &SegmentTransfer::Progress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, item);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(timing.lowSpeedTimeSec));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTransferTimeoutSec);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kSegmentUserAgent);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, &SegmentTransfer::OpenSocket);
  curl_easy_setopt(curl, CURLOPT_OPENSOCKETDATA, item);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &SegmentTransfer::CloseSocket);
  curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, item);
  const std::uint32_t end = item->end.load();
  if (end <= m_totalSize.load()) {
    char range[64];
    std::snprintf(range, sizeof(range), "%u-%u", item->rangeStart, end);
    curl_easy_setopt(curl, CURLOPT_RANGE, range);  // libcurl copies the text
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  }
  const std::string proxy = GetProxy();
  if (!proxy.empty()) {
    curl_easy_setopt(curl, CURLOPT_PROXY, proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
  }
  item->transfer = curl;
  std::thread thread(&DownloaderCurl::RunSegment, this, item);
  WriteLog("Download_BeginDownloadItem : id(%d) thread(%d).", item->id, ThreadNumber(thread));
  m_segments.AttachThread(item->id, std::move(thread));
  return S_OK;
}

void DownloaderCurl::RunSegment(DownloadItem* item) {
  if (item == nullptr) {
    WriteLog("Download_Internal Error : pItem == NULL.");
    return;
  }
  CURL* curl = static_cast<CURL*>(item->transfer.load());
  if (curl == nullptr) {
    WriteLog("Download_Internal Error : pItem curl == NULL.");
    return;
  }
  const CURLcode result = curl_easy_perform(curl);
  item->transferResult = static_cast<int>(result);
  item->endTime = Now();
  // A segment stopped or handed over meanwhile keeps its state.
  int running = kItemRunning;
  item->state.compare_exchange_strong(running, result == CURLE_OK ? kItemCompleted : kItemFailed);
  curl_easy_cleanup(curl);
  // CheckFinish clears the handle under the file lock: until this segment has
  // reported its end, a final check on another thread still waits for it.
  if (item->owner != nullptr) {
    CheckFinish(item);
  } else {
    item->transfer = nullptr;
  }
  if (item->state.load() == kItemCompleted && GetDispatchTiming().sweepOnCompletion) RequestSweep();
  if (result == CURLE_OK || item->state.load() == kItemDone) {
    WriteLog("Download_Internal Finish (%d).", item->id);
  } else {
    WriteLog("Download_Internal ERROR ID(%d), Result(%d).", item->id, static_cast<int>(result));
  }
}

std::size_t DownloaderCurl::OnSegmentData(DownloadItem* item, const char* data, std::size_t length) {
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  const std::uint64_t position = item->position.load();
  const std::uint64_t end = item->end.load();
  std::uint64_t n = length;
  if (position > end) {
    n = 0;
  } else if (position + n > end + 1) {
    n = end + 1 - position;  // cut at the segment's end
  }
  const std::size_t written = WriteData(data, static_cast<std::size_t>(n), static_cast<std::uint32_t>(position));
  item->position = static_cast<std::uint32_t>(position + n);
  m_segments.NoteWrite(item->url, static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(n));
  if (n > 0 && m_running.load()) {
    CheckCompletedChunks(static_cast<std::uint32_t>(position), static_cast<std::uint32_t>(n));
  }

  const std::uint32_t now = Now();
  const std::uint32_t elapsed = now - item->lastDataTime.load();
  if (elapsed != 0) item->speed = static_cast<std::uint32_t>(n * 1000 / elapsed);
  item->lastDataTime = now;
  return position + n > end + 1 ? 0 : written;
}

std::size_t DownloaderCurl::WriteData(const char* data, std::size_t length, std::uint32_t offset) {
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  if (!m_running.load()) return 0;
  const std::uint32_t total = m_totalSize.load();
  if (static_cast<std::uint64_t>(offset) + length > total) return 0;
  std::size_t written = 0;
  const int file = m_file.load();
  if (file >= 0) {
    const ssize_t result = ::pwrite(file, data, length, static_cast<off_t>(offset));
    written = result > 0 ? static_cast<std::size_t>(result) : 0;
  }
  if (m_image) {
    std::memcpy(m_image.get() + offset, data, length);
    // Without a file the image alone holds the package.
    if (file < 0) written = length;
  }
  std::uint64_t downloaded = static_cast<std::uint64_t>(m_downloadedSize.load()) + length;
  if (downloaded > total) downloaded = total;
  m_downloadedSize.store(static_cast<std::uint32_t>(downloaded));
  Notify(kNotifyProgress, static_cast<std::uint32_t>(downloaded), static_cast<long>(total));
  return written;
}

void DownloaderCurl::CheckFinish(DownloadItem* item) {
  WriteLog("Download_CheckFinish.");
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  if (item != nullptr) item->transfer = nullptr;  // released by its thread just before
  // Once the download has ended, its end notification stays the last one: a
  // segment that ends later (its transfer was aborting) is not reported.
  const bool ended = m_state.load() == kDownloadFinished || m_state.load() == kDownloadFailed;
  if (item != nullptr && !ended) {
    Notify(kNotifySegmentEnd, static_cast<std::uint32_t>(item->id), reinterpret_cast<long>(item));
  }
  const int busy = m_segments.FirstBusy();
  if (busy >= 0) {
    WriteLog("Download_CheckFinish : continue. now wait (%d).", busy);
    return;
  }
  if (m_image && m_running.load() && CheckHash() && !m_stopped.load()) {
    WriteLog("Download_CheckFinish : Finish download.");
    CloseFile();
    m_state.store(kDownloadFinished);
    m_running.store(false);
    StopDispatcherWait();
    Notify(kNotifyFinished, m_downloadedSize.load(), static_cast<long>(m_totalSize.load()));
  }
}

void DownloaderCurl::EndFailed(DownloadResult code) {
  if (m_stopped.load()) return;
  SetResultCode(code);
  m_state.store(kDownloadFailed);
  m_running.store(false);
  StopDispatcherWait();
  Notify(kNotifyFailed, m_downloadedSize.load(), static_cast<long>(m_totalSize.load()));
}

void DownloaderCurl::StopDispatcherWait() {
  std::lock_guard<std::mutex> lock(m_dispatchMutex);
  m_dispatchWake.notify_all();
}

void DownloaderCurl::RequestSweep() {
  std::lock_guard<std::mutex> lock(m_dispatchMutex);
  m_sweepRequested = true;
  m_dispatchWake.notify_all();
}

void DownloaderCurl::RunDispatcher() {
  WriteLog("Download_Dispatch Begining.");
  Dispatch();
  WriteLog("Download_Dispatch Endding.");
}

void DownloaderCurl::Dispatch() {
  while (m_running.load()) {
    const DispatchTiming timing = GetDispatchTiming();
    {
      std::unique_lock<std::mutex> lock(m_dispatchMutex);
      m_dispatchWake.wait_for(lock, std::chrono::milliseconds(timing.periodMs),
                              [this] { return !m_running.load() || m_sweepRequested; });
      m_sweepRequested = false;
    }
    if (!m_running.load()) break;
    const int count = static_cast<int>(m_segments.Size());
    bool keepGoing = true;
    for (DownloadItem* item : m_segments.Items()) {
      if (!m_running.load() || item->id >= count) break;
      switch (item->state.load()) {
        case kItemFailed: keepGoing = DispatchFailed(item); break;
        case kItemRunning: DispatchRunning(item, timing.stallLimitMs); break;
        case kItemCompleted: DispatchCompleted(item); break;
        default: break;
      }
      if (!keepGoing) break;
    }
    if (!keepGoing) break;
  }
  // The download ended without a verdict (a segment failed for good): the image decides.
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  if (m_state.load() != kDownloadNotFinished || !m_image || m_stopped.load() || m_closing.load()) return;
  if (CheckHash()) {
    WriteLog("Download_Dispatch : CheckHash download succeeded.");
    CloseFile();
    m_state.store(kDownloadFinished);
    m_running.store(false);
    Notify(kNotifyFinished, m_downloadedSize.load(), static_cast<long>(m_totalSize.load()));
    return;
  }
  WriteLog("Download_Dispatch : CheckHash download failed.");
  m_state.store(kDownloadFailed);
  m_running.store(false);
  Notify(kNotifyFailed, m_downloadedSize.load(), static_cast<long>(m_totalSize.load()));
}

bool DownloaderCurl::DispatchFailed(DownloadItem* item) {
  const std::uint32_t position = item->position.load();
  if (static_cast<std::uint64_t>(position) >= static_cast<std::uint64_t>(item->end.load()) + 1) {
    item->state = kItemDone;
    return true;
  }
  m_segments.Penalize(item->url);
  std::string url;
  if (!GetBestURL(item->url, url) && !TakeCdn(item->url, url)) {
    WriteLog("Download_Dispatch : download error fail , ID(%d).", item->id);
    m_running.store(false);
    LogMirrorHost(item->url);
    SetResultCode(m_repaired.load() ? DownloadResult::RepairFailError : DownloadResult::DispatchFailError);
    m_curlError.store(item->transferResult.load());
    SetLastFailLink(item->url);
    return false;
  }
  DownloadItem* fresh = AddSegment(*item, url, position, item->end.load());
  std::this_thread::sleep_for(std::chrono::milliseconds(GetDispatchTiming().restartDelayMs));
  item->state = kItemSuperseded;
  BeginDownloadItem(fresh);
  return true;
}

void DownloaderCurl::DispatchRunning(DownloadItem* item, std::uint32_t stallLimitMs) {
  const std::uint32_t total = m_totalSize.load();
  if (total > 0 && static_cast<double>(m_downloadedSize.load()) / total > kNoHandOverRatio) return;
  if (m_cdnAvailable && item->url == m_cdnUrl) return;  // the CDN is never handed over
  if (Now() - item->lastDataTime.load() < stallLimitMs) return;
  HandOver(item);
}

void DownloaderCurl::DispatchCompleted(DownloadItem* item) {
  // Repairs are work beyond the plan: they do not hold back a split.
  if (m_segments.CountRunningWork() >= m_segmentCount.load()) return;
  // New work goes to the mirror of the completed segment. A mirror's bandwidth
  // is shared by its transfers, so a range is only worth moving to a mirror
  // with less left to fetch than the one it comes from. A mirror that stalled,
  // failed or sent bad data gets nothing new.
  const std::string& freed = item->url;
  if (m_segments.IsPenalized(freed)) return;
  const std::uint64_t freedLeft = m_segments.RemainingOn(freed);
  // End game: a segment receives nothing while this mirror is idle. Its rest
  // moves here now instead of waiting out the stall limit, which does not
  // apply in the last tenth of the download at all.
  const Silence silence{Now(), GetDispatchTiming().silenceMs};
  DownloadItem* silent = m_segments.LongestSilent(silence, m_cdnAvailable ? m_cdnUrl : std::string());
  if (silent != nullptr && freedLeft == 0) {
    MoveRest(silent, freed);
    return;
  }
  DownloadItem* picked = m_segments.LargestRunning();
  if (picked == nullptr) return;
  const std::uint32_t position = picked->position.load();
  const std::uint32_t end = picked->end.load();
  const std::optional<std::uint32_t> start = SegmentMap::SplitPoint(position, end, kMinSplitBytes);
  if (!start) return;
  if (picked->url == freed) {
    // Within one mirror a split only restores the number of transfers; worth
    // it when that mirror is the only one, not at the price of a cut transfer.
    if (m_mirrorsInUse.load() > 1) return;
  } else if (freedLeft + (end - *start + 1) >= m_segments.RemainingOn(picked->url)) {
    return;
  }
  if (IsCdnUrl(freed)) m_cdnUsed.store(true);
  BeginDownloadItem(AddSegment(*picked, freed, *start, end));
  picked->end = *start - 1;  // the picked transfer is cut there by the write function
}

bool DownloaderCurl::HandOver(DownloadItem* item) {
  std::string url;
  if (!GetBestURL(item->url, url, false) && !TakeCdn("", url)) {
    m_segments.Penalize(item->url);
    return false;
  }
  MoveRest(item, url);
  return true;
}

void DownloaderCurl::MoveRest(DownloadItem* item, const std::string& url) {
  m_segments.Penalize(item->url);
  const std::uint32_t position = item->position.load();
  DownloadItem* fresh = AddSegment(*item, url, position, item->end.load());
  item->end = position;
  std::this_thread::sleep_for(std::chrono::milliseconds(GetDispatchTiming().restartDelayMs));
  item->state = kItemDone;  // its transfer aborts at the next progress call
  AbortTransfer(item);      // or at once, when it waits on a silent socket
  BeginDownloadItem(fresh);
}

void DownloaderCurl::TrackSocket(DownloadItem* item, int socket) {
  std::lock_guard<std::mutex> lock(m_socketMutex);
  m_sockets.emplace(item, socket);
}

void DownloaderCurl::ForgetSocket(DownloadItem* item, int socket) {
  std::lock_guard<std::mutex> lock(m_socketMutex);
  for (auto [it, last] = m_sockets.equal_range(item); it != last; ++it) {
    if (it->second == socket) {
      m_sockets.erase(it);
      return;
    }
  }
}

void DownloaderCurl::AbortTransfer(DownloadItem* item) {
  // Under the lock the socket cannot be closed (and its number reused) meanwhile.
  std::lock_guard<std::mutex> lock(m_socketMutex);
  for (auto [it, last] = m_sockets.equal_range(item); it != last; ++it) ::shutdown(it->second, SHUT_RDWR);
}

DownloadItem* DownloaderCurl::AddSegment(const DownloadItem& model, const std::string& url, std::uint32_t start,
                                         std::uint32_t end, bool repair) {
  auto item = std::make_unique<DownloadItem>();
  const std::uint32_t now = Now();
  item->url = url;
  item->rangeStart = start;
  item->position = start;
  item->end = end;
  item->outputFile = model.outputFile;
  item->owner = this;
  item->lastDataTime = now;
  item->startTime = now;
  item->state = kItemRunning;
  item->repair = repair;
  return m_segments.Insert(std::move(item));
}

bool DownloaderCurl::GetBestURL(const std::string& excluded, std::string& url, bool allowPenalized) {
  std::set<std::string> set;
  if (!excluded.empty()) set.insert(excluded);
  return GetBestURL(set, url, allowPenalized);
}

bool DownloaderCurl::GetBestURL(const std::set<std::string>& excluded, std::string& url, bool allowPenalized) {
  const Silence silence{Now(), GetDispatchTiming().silenceMs};
  const std::optional<std::string> best = m_segments.BestUrl(excluded, allowPenalized, silence);
  if (!best) return false;
  if (IsCdnUrl(*best)) m_cdnUsed.store(true);
  url = *best;
  return true;
}

bool DownloaderCurl::TakeCdn(const std::string& excluded, std::string& url) {
  if (!m_cdnAvailable || m_cdnUrl == excluded) return false;
  m_cdnUsed.store(true);
  url = m_cdnUrl;
  return true;
}

void DownloaderCurl::CloseFile() {
  WriteLog("Download_CloseFile.");
  std::lock_guard<std::recursive_mutex> lock(m_fileMutex);
  const int file = m_file.exchange(-1);
  if (file >= 0) {
    const int result = ::close(file);
    WriteLog("CloseFile %d.", result == 0 ? 1 : 0);
  }
  m_image.reset();
}

void DownloaderCurl::FillSegmentStatus(DownloadStatus& status) const {
  status.segmentCount = m_segmentCount.load();
  status.totalBytes = m_totalSize.load();
  status.downloadedBytes = m_downloadedSize.load();
  status.items = m_segments.Snapshot();
}

}  // namespace orvane
