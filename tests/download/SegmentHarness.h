#pragma once
// Shared pieces of the segment and chunk tests: an engine whose mirror list is
// given instead of probed, a recorder of its notifications, a log capture, and
// test mirrors serving a generated package.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/Log.h"
#include "tests/support/LogCapture.h"
#include "download/DownloaderCurl.h"
#include "download/SegmentMap.h"
#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

namespace orvane::test {

constexpr long long kEmbeddedSize = 20377688;

// An engine that uses the mirrors it is given (best first) and the CDN url,
// if any, as the mirror in reserve. `beforeStart` sees every segment just
// before its transfer starts.
class ListedMirrorEngine : public DownloaderCurl {
 public:
  std::vector<std::string> mirrors;
  std::string cdnUrl;
  std::function<void(DownloadItem*)> beforeStart;

  HRESULT CheckDownload(const DownloadConfig&) override {
    std::lock_guard<std::mutex> lock(m_urlMutex);
    m_vecUrlCfg.clear();
    for (const std::string& url : mirrors) {
      UrlCfg cfg;
      cfg.url = url;
      cfg.ok = true;
      m_vecUrlCfg.push_back(cfg);
    }
    m_cdnCfg = UrlCfg{};
    if (!cdnUrl.empty()) {
      m_cdnCfg.url = cdnUrl;
      m_cdnCfg.ok = true;
    }
    return m_vecUrlCfg.empty() ? E_FAIL : S_OK;
  }

  HRESULT BeginDownloadItem(DownloadItem* item) override {
    if (beforeStart) beforeStart(item);
    return DownloaderCurl::BeginDownloadItem(item);
  }

  std::map<int, DownloadItem> Segments() const {
    DownloadStatus status;
    GetDownloadStatus(status);
    return status.items;
  }
};

// One line per segment, for failure messages.
inline std::string Describe(const std::map<int, DownloadItem>& items) {
  std::string out;
  for (const auto& [id, item] : items) {
    out += "#" + std::to_string(id) + " " + item.url + " [" + std::to_string(item.rangeStart) + "," +
           std::to_string(item.end.load()) + "] pos " + std::to_string(item.position.load()) + " state " +
           std::to_string(item.state.load()) + " result " + std::to_string(item.transferResult.load()) + "\n";
  }
  return out;
}

// Every notification the engine sent, in order.
class Notifications {
 public:
  NotifyFunction Function() {
    return [this](int code, std::uint32_t value, long extra) {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.emplace_back(code, value, extra);
      changed_.notify_all();
      return 0;
    };
  }
  // Waits for notification 4 or 5; returns its code, or 0 on timeout.
  int WaitEnd(int timeoutMs = 20000) {
    std::unique_lock<std::mutex> lock(mutex_);
    int code = 0;
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
      for (const auto& [c, v, e] : events_) {
        if (c == 4 || c == 5) code = c;
      }
      return code != 0;
    });
    return code;
  }
  int Count(int code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                          [&](const auto& event) { return std::get<0>(event) == code; }));
  }
  std::vector<std::tuple<int, std::uint32_t, long>> Events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::tuple<int, std::uint32_t, long>> events_;
};

// Dispatcher timing for one test, restored afterwards.
class TimingScope {
 public:
  explicit TimingScope(const DispatchTiming& timing) : saved_(GetDispatchTiming()) { SetDispatchTiming(timing); }
  ~TimingScope() { SetDispatchTiming(saved_); }

 private:
  DispatchTiming saved_;
};

inline DispatchTiming FastTiming(std::uint32_t periodMs = 100, std::uint32_t stallMs = 1000,
                                 std::uint32_t lowSpeedSec = 5) {
  DispatchTiming timing;
  timing.periodMs = periodMs;
  timing.stallLimitMs = stallMs;
  timing.restartDelayMs = 20;
  timing.lowSpeedTimeSec = lowSpeedSec;
  timing.silenceMs = stallMs;  // the end game works on the test's stall scale
  return timing;
}

// No sweep while the transfers run (neither periodic nor on completion), so
// every byte comes from the mirror its planned segment was given.
inline DispatchTiming NoSweepTiming() {
  DispatchTiming timing = FastTiming(60000);
  timing.sweepOnCompletion = false;
  return timing;
}

// A test home with one generated package and mirrors that serve it.
class MirrorSet {
 public:
  explicit MirrorSet(long long size, int seed = 7) {
    const std::string path = home_.Path("pkg/pkg.exe");
    WriteWholeFile(path, "");
    WriteWholeFile(Target(), "");
    ok_ = MakeTestPackage(path, size, seed, &package_);
  }
  bool Ok() const { return ok_; }
  const TestPackage& Package() const { return package_; }
  std::string Target() const { return home_.Path("out/package.exe"); }
  const TempHome& Home() const { return home_; }

  // Starts one more mirror server; nullptr when it failed to start.
  MirrorFixture* Add(MirrorOptions options) {
    options.file = package_.path;
    options.logPath = home_.Path("mirror" + std::to_string(mirrors_.size()) + ".log");
    auto mirror = std::make_unique<MirrorFixture>(options);
    if (!mirror->Start()) return nullptr;
    mirrors_.push_back(std::move(mirror));
    return mirrors_.back().get();
  }

  DownloadConfig Config(int threadsPerUrl) const {
    DownloadConfig config;
    config.targetPath = Target();
    config.size = static_cast<std::int32_t>(package_.size);
    config.fileHash = package_.wholeMd5;
    config.chunkHashes = package_.chunkMd5;
    config.threadsPerUrl = threadsPerUrl;
    return config;
  }

  bool TargetMatches() const { return ReadWholeFile(Target()) == ReadWholeFile(package_.path); }

 private:
  TempHome home_;
  TestPackage package_;
  bool ok_ = false;
  std::vector<std::unique_ptr<MirrorFixture>> mirrors_;
};

}  // namespace orvane::test
