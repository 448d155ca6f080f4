// Drives the download engine once for the download benchmark (bench/download.py):
//
//   bench-download-driver DESCRIPTOR TARGET [--timeout SECONDS] [--no-ping] [--trace]
//       downloads the package the descriptor file describes to TARGET, the way the
//       installer does (BeginDownloadFromData), and waits for the end notification.
//       Prints one line "result state=<n> code=<name> bytes=<n> seconds=<s>" and
//       exits 0 when the engine finished (state 5), 1 when it failed, 2 on timeout.
//       --no-ping gives every mirror the same round-trip time without ICMP.
//       --trace prints every engine log line to stderr with the milliseconds since start.
//   bench-download-driver --md5 FILE [--rounds N]
//       measures the engine's whole-file MD5 over FILE held in memory against a
//       memcpy of the same buffer, and prints both rates in MB/s.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "app/Log.h"
#include "download/DownloaderCurl.h"
#include "download/HostPinger.h"
#include "download/Md5.h"

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point g_started = Clock::now();

int TraceLine(const char* message) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - g_started).count();
  std::fprintf(stderr, "%6lld %s\n", static_cast<long long>(ms), message);
  return 0;
}

// Every mirror answers in 1 ms: ranking keeps descriptor order.
class EqualPinger : public orvane::IHostPinger {
 public:
  bool Ping(const std::string&, std::uint32_t& rttMs) override {
    rttMs = 1;
    return true;
  }
};

// Receives the engine's notifications (engine threads) and lets main wait for the end.
class EndWaiter {
 public:
  int OnNotify(int code, std::uint32_t, long) {
    if (code == orvane::kNotifyFinished || code == orvane::kNotifyFailed) {
      std::lock_guard lock(mutex_);
      ended_ = true;
      ended_cv_.notify_all();
    }
    return 0;
  }
  bool Wait(std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    return ended_cv_.wait_for(lock, timeout, [this] { return ended_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable ended_cv_;
  bool ended_ = false;
};

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

int Download(const std::string& descriptorPath, const std::string& target, int timeoutSeconds, bool ping) {
  const std::string descriptor = ReadFile(descriptorPath);
  if (descriptor.empty()) {
    std::fprintf(stderr, "cannot read the descriptor %s\n", descriptorPath.c_str());
    return 1;
  }
  EndWaiter waiter;
  const auto started = Clock::now();
  auto engine = std::make_unique<orvane::DownloaderCurl>();
  if (!ping) engine->SetPinger(std::make_shared<EqualPinger>());
  engine->SetCallback([&waiter](int code, std::uint32_t value, long extra) { return waiter.OnNotify(code, value, extra); });
  engine->BeginDownloadFromData(descriptor.data(), descriptor.size(), target);
  const bool ended = waiter.Wait(std::chrono::seconds(timeoutSeconds));
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  orvane::DownloadStatus status;
  engine->GetDownloadStatus(status);
  const int state = engine->GetDownloadState();
  std::printf("result state=%d code=%s bytes=%u seconds=%.3f\n", state, engine->GetResultString().c_str(),
              status.downloadedBytes, seconds);
  std::fflush(stdout);
  engine->StopDownload();
  engine.reset();  // joins every engine thread
  if (!ended) return 2;
  return state == orvane::kDownloadFinished ? 0 : 1;
}

int MeasureMd5(const std::string& path, int rounds) {
  const std::string content = ReadFile(path);
  if (content.empty()) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  std::vector<char> copy(content.size());
  std::string digest;
  auto rate = [&](auto&& body) {
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
      const auto start = Clock::now();
      body();
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      best = std::max(best, static_cast<double>(content.size()) / seconds / 1e6);
    }
    return best;
  };
  const double md5 = rate([&] { digest = orvane::Md5::OfBuffer(content.data(), content.size()); });
  const double memcpyRate = rate([&] {
    std::memcpy(copy.data(), content.data(), content.size());
    asm volatile("" : : "r"(copy.data()) : "memory");
  });
  std::printf("md5 %.0f MB/s memcpy %.0f MB/s bytes=%zu digest=%s\n", md5, memcpyRate, content.size(), digest.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--md5") {
    const int rounds = args.size() >= 4 && args[2] == "--rounds" ? std::atoi(args[3].c_str()) : 5;
    return MeasureMd5(args[1], rounds > 0 ? rounds : 5);
  }
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: %s DESCRIPTOR TARGET [--timeout SECONDS] [--no-ping] [--trace]\n"
                         "       %s --md5 FILE [--rounds N]\n", argv[0], argv[0]);
    return 64;
  }
  int timeout = 120;
  bool ping = true;
  if (std::find(args.begin(), args.end(), "--trace") != args.end()) orvane::GetLog().SetSink(&TraceLine);
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--timeout" && i + 1 < args.size()) {
      timeout = std::atoi(args[++i].c_str());
    } else if (args[i] == "--no-ping") {
      ping = false;
    }
  }
  return Download(args[0], args[1], timeout > 0 ? timeout : 120, ping);
}
