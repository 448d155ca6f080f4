#pragma once
// The download engine over libcurl: reads a descriptor, probes and ranks the
// mirrors, then fetches the package by byte ranges from several mirrors at
// once and verifies it chunk by chunk. One engine serves one download.
//
// Threads: the owner's thread calls the public operations and getters; the
// descriptor thread reads the descriptor, probes the mirrors and plans the
// segments; segment threads and the dispatcher thread run the transfers.
// Notifications arrive on those worker threads, never on the owner's.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "download/ChunkCoverage.h"
#include "download/DownloadConfig.h"
#include "download/DownloadItem.h"
#include "download/HostPinger.h"
#include "download/IDownloader.h"
#include "download/SegmentMap.h"
#include "download/XMLParse.h"

namespace orvane {

class DownloaderCurl : public IDownloader {
 public:
  // A descriptor URL is the CDN's when its text holds one of these.
  static constexpr const char* kCdnDomainMarker = "edgecdn.net";
  static constexpr const char* kCdnLabelMarker = "cdnedge.";
  // Host recorded for the CDN entry.
  static constexpr const char* kCdnHost = "edgecdn.net";
  // At most this many mirrors are used at once.
  static constexpr std::size_t kMaxUsedMirrors = 5;
  // Longest descriptor URL for BeginDownloadFromUrl, in bytes (520-byte buffer).
  static constexpr std::size_t kMaxCfgUrlBytes = 519;
  // User agent of the descriptor transfer and the size probe.
  static constexpr const char* kProbeUserAgent = "Lavf/55.13.102";

  DownloaderCurl();
  // Stops the engine and joins every thread it started before releasing anything.
  ~DownloaderCurl() override;
  DownloaderCurl(const DownloaderCurl&) = delete;
  DownloaderCurl& operator=(const DownloaderCurl&) = delete;

  // ---- IDownloader, in declared order ----
  HRESULT BeginDownloadFromData(const char* data, std::size_t length, const std::string& targetPath) override;
  HRESULT BeginDownloadFromUrl(const std::string& url, const std::string& targetPath) override;
  HRESULT BeginDownloadFromFile(const std::string& cfgPath, const std::string& targetPath) override;
  HRESULT BeginDownload(const DownloadConfig& config) override;
  HRESULT StopDownload() override;
  bool IsDownloading() const override;
  HRESULT SetCallback(NotifyFunction callback) override;
  HRESULT GetDownloadStatus(DownloadStatus& status) const override;
  int GetDownloadState() const override;
  void SetProxy(const std::string& proxy) override;
  bool IsCdnUsed() const override;
  int GetResultCode() const override;
  std::string GetResultString() const override;
  std::string GetLastFailLink() const override;
  std::string GetRepairLink() const override;
  int GetCurlError() const override;
  void GetAllUrlInfo(std::vector<UrlCfg>& urls) const override;
  void GetUsedUrlInfo(std::vector<UrlCfg>& urls) const override;

  // ---- engine steps, called by the engine itself ----
  // Loads the descriptor file fetched by BeginDownloadFromUrl (descriptor thread).
  virtual HRESULT OnCfgDownloaded(DownloadItem* item);
  // Parses descriptor text and reads it; on failure ends the load (state 4 or 3,
  // notification (4, 0, 0)). Safe on any text: the entry point for fuzzing.
  virtual HRESULT LoadCfgData(const char* data, std::size_t length);
  // Reads and validates the descriptor held by `parser`, then starts the download.
  virtual HRESULT LoadCfg(std::shared_ptr<IXMLParse> parser, const std::string& targetPath);
  // Probes every mirror of `config` and fills the mirror lists; S_OK when one is usable.
  virtual HRESULT CheckDownload(const DownloadConfig& config);
  // Cuts the package into segments and starts them and the dispatcher.
  virtual HRESULT InitDownload();
  // Starts one segment transfer on its own thread.
  virtual HRESULT BeginDownloadItem(DownloadItem* item);

  // ---- mirror probing ----
  // Round-trip time to the URL's host (without its port); false without a host or answer.
  bool CheckPing(const std::string& url, std::uint32_t& rttMs);
  // Content length the server reports for `url` (HEAD); 0xFFFFFFFF when unknown or on error.
  std::uint32_t GetDownloadFileLenth(const std::string& url);
  // The mirror's "/flag.php" says it takes more clients; always true for the CDN.
  bool GetNetworkNotFull(const std::string& url);
  // Body of a GET limited to 2 seconds, or "error".
  std::string HttpGetText(const std::string& url);

  // Replaces the ping probe (tests give each mirror its round-trip time).
  void SetPinger(std::shared_ptr<IHostPinger> pinger);
  // Bound of one size probe, connection included (10000 ms unless set).
  void SetSizeProbeTimeout(std::uint32_t ms) { m_sizeProbeTimeoutMs.store(ms); }
  // Check each chunk against its digest as soon as all its bytes are stored, and
  // fetch a bad one again at once (on unless turned off; the final check of the
  // whole image runs either way).
  void SetEarlyChunkCheck(bool on) { m_earlyChunkCheck.store(on); }
  // Threads per mirror the next plan uses (raised to 5 when the CDN is alone).
  int GetThreadsPerUrl() const { return m_threadsPerUrl.load(); }

  // "host[:port]" between "http://" and "/download/"; false when the URL has none.
  static bool HostOfUrl(const std::string& url, std::string& host);
  // The host without a ":port" suffix.
  static std::string HostWithoutPort(const std::string& host);
  static bool IsCdnUrl(const std::string& url);

 protected:
  // Sends a notification to the owner's callback, if one is installed (any worker thread).
  void Notify(int code, std::uint32_t value, long extra);
  void SetResultCode(DownloadResult code) { m_resultCode.store(static_cast<int>(code)); }
  void SetLastFailLink(const std::string& url);
  void SetRepairLink(const std::string& url);
  std::string GetProxy() const;
  // Ends a failed descriptor load: running cleared, state 4 (unless 3), notification (4, 0, 0).
  void EndFailedLoad();
  // Asks probing to stop and waits for the descriptor thread. The destructor calls
  // this before anything else.
  void JoinDescriptorThread();
  bool StopRequested() const { return m_stopRequested.load(); }

  // The descriptor the download runs on; written on the descriptor thread
  // before any segment starts, read-only afterwards.
  DownloadConfig m_config;
  std::string m_targetPath;  // set before the descriptor thread starts
  std::atomic<int> m_threadsPerUrl{DownloadConfig::kDefaultThreadsPerUrl};
  std::atomic<std::uint32_t> m_sizeProbeTimeoutMs{10000};

  std::atomic<bool> m_running{false};
  std::atomic<int> m_state{kDownloadNotFinished};
  std::atomic<int> m_resultCode{0};
  std::atomic<int> m_curlError{0};
  std::atomic<bool> m_cdnUsed{false};
  std::atomic<bool> m_stopRequested{false};

  // Counters the status snapshot reports.
  std::atomic<std::uint32_t> m_totalSize{0};
  std::atomic<std::uint32_t> m_downloadedSize{0};
  std::atomic<int> m_segmentCount{0};
  std::atomic<int> m_mirrorsInUse{0};  // mirrors the plan dealt segments to

  // Mirror lists. Filled by CheckDownload on the descriptor thread before any
  // segment starts; the entries do not change while segments use their URLs.
  mutable std::mutex m_urlMutex;
  std::vector<UrlCfg> m_vecUrlCfg;   // mirrors in use, best first
  std::vector<UrlCfg> m_allUrlCfg;   // every mirror probed, descriptor order
  UrlCfg m_cdnCfg;                   // the CDN in reserve; ok = available

 private:
  HRESULT ReadDescriptor(IXMLParse& parser, const std::string& targetPath, DownloadConfig& config);
  bool IsAlreadyDownloaded(const DownloadConfig& config);
  void RunDataThread(std::string data);
  void RunUrlThread(DownloadItem* item);
  HRESULT FetchCfgOnce(DownloadItem* item);

  mutable std::mutex m_textMutex;  // guards the texts below
  std::string m_lastFailLink;
  std::string m_repairLink;
  std::string m_proxy;

  mutable std::mutex m_callbackMutex;
  NotifyFunction m_callback;

  std::mutex m_pingerMutex;
  std::shared_ptr<IHostPinger> m_pinger;

  // The descriptor thread and the transfer record of a descriptor fetched by URL
  // (kept apart from the segment map, which planning clears).
  std::thread m_cfgThread;
  std::unique_ptr<DownloadItem> m_cfgItem;
  std::string m_cfgPath;

  // ---- segment scheduling and verification (DownloaderCurlSegments.cpp, DownloaderCurlVerify.cpp) ----
  // Fills the segment part of a status snapshot (count, totals, copy of the map).
  void FillSegmentStatus(DownloadStatus& status) const;

  // The libcurl write and progress functions of a segment.
  friend struct SegmentTransfer;

  // Segment thread: performs one transfer, then checks whether the download is done.
  void RunSegment(DownloadItem* item);
  // Write function body (segment thread, under the file lock): cuts the block at the
  // segment's end, stores it and updates position and speed.
  std::size_t OnSegmentData(DownloadItem* item, const char* data, std::size_t length);
  // Stores a block at `offset` in the file and in the image; 0 once the download stopped.
  std::size_t WriteData(const char* data, std::size_t length, std::uint32_t offset);
  // After every transfer (segment thread): verifies the image once nothing runs.
  void CheckFinish(DownloadItem* item);
  // Dispatcher thread: restarts, hand-overs and splits every period until the end.
  void RunDispatcher();
  void Dispatch();
  // Handles one segment in a sweep; false ends the sweep and the dispatcher.
  bool DispatchFailed(DownloadItem* item);
  void DispatchRunning(DownloadItem* item, std::uint32_t stallLimitMs);
  void DispatchCompleted(DownloadItem* item);
  // Gives the rest of a running segment to the best other mirror (or the CDN),
  // continuing at its position; the old transfer aborts. False when no source is left.
  bool HandOver(DownloadItem* item);
  // Same, to `url`; the segment's mirror is put in bad standing.
  void MoveRest(DownloadItem* item, const std::string& url);
  // Sockets of the segment transfers (libcurl's open and close callbacks), and
  // shutting them down to end a stopped transfer at once.
  void TrackSocket(DownloadItem* item, int socket);
  void ForgetSocket(DownloadItem* item, int socket);
  void AbortTransfer(DownloadItem* item);
  // Inserts a new segment on `url` for [start, end] modelled on `model`.
  DownloadItem* AddSegment(const DownloadItem& model, const std::string& url, std::uint32_t start,
                           std::uint32_t end, bool repair = false);
  // The url of the fastest segment not on `excluded` ("" excludes none); a
  // mirror that stalled, failed or sent bad data only when `allowPenalized`
  // and no other is left.
  bool GetBestURL(const std::string& excluded, std::string& url, bool allowPenalized = true);
  // Same, excluding every url of the set.
  bool GetBestURL(const std::set<std::string>& excluded, std::string& url, bool allowPenalized = true);
  // The CDN url when the CDN is in reserve and not `excluded`; marks the CDN used.
  bool TakeCdn(const std::string& excluded, std::string& url);
  // Closes the target file and releases the image (takes the file lock).
  void CloseFile();
  void StopDispatcher();
  // Wakes the dispatcher so that it sees the running flag cleared.
  void StopDispatcherWait();
  // Wakes the dispatcher for a sweep now (a segment completed).
  void RequestSweep();
  void JoinSegmentThreads();
  // Ends what an earlier download on this engine left running (descriptor thread).
  void RetireSegments();
  // Ends the download as failed: result code, state 4, running cleared, notification 4.
  void EndFailed(DownloadResult code);

  // Verification (DownloaderCurlVerify.cpp), under the file lock.
  static bool Md5Hex(const void* data, std::size_t length, char* out, std::size_t outSize);
  // True when the image matches; otherwise may start repair segments, or end the
  // download when repairs are exhausted.
  bool CheckHash();
  // Starts one repair segment for bytes [start, end] from another source.
  HRESULT RepairData(std::uint32_t start, std::uint32_t end);
  // The source a repair of [start, end] would use and the segment it is modelled
  // on; nullptr when there is none. `sure` (optional) tells whether the source
  // is known to be good rather than a guess among the chunk's writers.
  DownloadItem* PickRepairSource(std::uint32_t start, std::uint32_t end, std::string& url, bool* sure = nullptr);
  // After a write of [offset, offset + length): checks the chunks it completed
  // and fetches each bad one again right away.
  void CheckCompletedChunks(std::uint32_t offset, std::uint32_t length);
  bool ChunkMatches(std::size_t chunk, std::uint32_t offset, std::uint32_t length);
  std::uint32_t ChunkCount() const;

  std::recursive_mutex m_fileMutex;      // the file lock: writes, image, checks
  std::atomic<int> m_file{-1};           // target file descriptor (changed under the file lock)
  // The package in memory (file lock). calloc: the zeroed pages come from the
  // kernel on first touch instead of a 20 MB fill before the first transfer.
  struct FreeImage {
    void operator()(std::uint8_t* image) const { std::free(image); }
  };
  std::unique_ptr<std::uint8_t[], FreeImage> m_image;
  int m_failedChecks = 0;                // checks that started repairs (file lock)
  ChunkCoverage m_coverage;              // stored bytes per chunk (file lock)
  std::vector<std::uint8_t> m_earlyRepairs;  // per chunk, repairs started before the end (file lock)
  std::set<std::uint32_t> m_badChunks;   // found bad, waiting for a source to repair from (file lock)
  std::atomic<bool> m_earlyChunkCheck{true};
  bool m_undigestedRefetched = false;    // chunks without digest fetched again (file lock)
  std::atomic<bool> m_repaired{false};
  std::atomic<bool> m_closing{false};    // the engine is being destroyed
  std::atomic<bool> m_stopped{false};    // StopDownload was called: no end notification follows
  std::string m_cdnUrl;                  // set before segments start, read-only afterwards
  bool m_cdnAvailable = false;
  SegmentMap m_segments;
  std::thread m_dispatchThread;
  std::mutex m_dispatchMutex;
  std::condition_variable m_dispatchWake;
  bool m_sweepRequested = false;  // m_dispatchMutex
  std::mutex m_socketMutex;
  std::multimap<DownloadItem*, int> m_sockets;  // open sockets per segment (m_socketMutex)
};

}  // namespace orvane
