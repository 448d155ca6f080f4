#pragma once
// Helpers shared by the descriptor, downloader and mirror tests: a recorder of
// the engine's notifications, a capture of log lines, a ping probe with chosen
// round-trip times and an engine whose download start is recorded instead of run.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Log.h"
#include "tests/support/LogCapture.h"
#include "download/DownloaderCurl.h"

namespace orvane::test {

struct Notification {
  int code = 0;
  std::uint32_t value = 0;
  long extra = 0;
  std::thread::id thread;
  bool operator==(const Notification& o) const { return code == o.code && value == o.value && extra == o.extra; }
};

// Collects notifications from any thread; waits for one with a given code.
class NotifyRecorder {
 public:
  NotifyFunction Callback() {
    return [this](int code, std::uint32_t value, long extra) {
      std::lock_guard lock(mutex_);
      seen_.push_back({code, value, extra, std::this_thread::get_id()});
      changed_.notify_all();
      return 0;
    };
  }
  // True once a notification with code 4 or 5 arrived, within `timeoutMs`.
  bool WaitForEnd(int timeoutMs = 10000) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
      for (const Notification& n : seen_) {
        if (n.code == 4 || n.code == 5) return true;
      }
      return false;
    });
  }
  std::vector<Notification> All() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Notification> seen_;
};

// Answers pings with the round-trip time given per host; other hosts stay silent.
class FakePinger : public IHostPinger {
 public:
  explicit FakePinger(std::map<std::string, std::uint32_t> times = {}) : times_(std::move(times)) {}
  bool Ping(const std::string& host, std::uint32_t& rttMs) override {
    std::lock_guard lock(mutex_);
    asked_.push_back(host);
    const auto found = times_.find(host);
    if (found == times_.end()) return false;
    rttMs = found->second;
    return true;
  }
  std::vector<std::string> Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
  }

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::uint32_t> times_;
  std::vector<std::string> asked_;
};

// An engine that records the descriptor it would download instead of downloading it.
class RecordingDownloader : public DownloaderCurl {
 public:
  explicit RecordingDownloader(HRESULT beginResult = S_OK) : beginResult_(beginResult) {}
  ~RecordingDownloader() override { JoinDescriptorThread(); }

  HRESULT BeginDownload(const DownloadConfig& config) override {
    std::lock_guard lock(mutex_);
    started_.push_back(config);
    return beginResult_;
  }
  // Waits until a download was started (bounded).
  bool WaitStarted(int timeoutMs = 10000) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      if (!Started().empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  std::vector<DownloadConfig> Started() const {
    std::lock_guard lock(mutex_);
    return started_;
  }
  // Waits for the descriptor thread (tests of the asynchronous starts).
  void Finish() { JoinDescriptorThread(); }
  // The CDN entry kept in reserve by probing.
  UrlCfg CdnEntry() const {
    std::lock_guard lock(m_urlMutex);
    return m_cdnCfg;
  }

 private:
  HRESULT beginResult_;
  mutable std::mutex mutex_;
  std::vector<DownloadConfig> started_;
};

}  // namespace orvane::test
