#pragma once
// One segment of a download: a byte range of the package fetched by one
// transfer on its own thread. Records live in the segment map at a fixed
// address; the segment thread, the write function, the dispatcher and the
// owner's getters all touch them, so every field that changes after the
// record is inserted is an atomic. Copies (for status snapshots) take each
// field's value at one moment and carry no thread.
#include <atomic>
#include <cstdint>
#include <string>

namespace orvane {

class DownloaderCurl;

// Segment states.
enum DownloadItemState : int {
  kItemRunning = 0,     // its thread is performing the transfer
  kItemDone = 1,        // range complete, stopped or handed over; a live transfer aborts
  kItemFailed = 2,      // the transfer ended with an error
  kItemCompleted = 3,   // the transfer ended without error
  kItemSuperseded = 4,  // failed, and a new segment took over its rest
};

struct DownloadItem {
  DownloadItem() = default;
  DownloadItem(const DownloadItem& other) { CopyFrom(other); }
  DownloadItem& operator=(const DownloadItem& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  // Bytes still to fetch (0 once position has passed end).
  std::uint32_t Remaining() const {
    const std::uint32_t pos = position.load();
    const std::uint32_t last = end.load();
    return pos > last ? 0u : last - pos + 1u;
  }

  int id = 0;                            // key in the segment map, never reused
  std::uint32_t rangeStart = 0;          // first byte asked of the server
  std::atomic<std::uint32_t> position{0};  // where the next received byte goes
  std::atomic<std::uint32_t> end{0};       // last byte of the segment, inclusive
  std::string url;                       // mirror serving it; fixed once inserted
  std::atomic<void*> transfer{nullptr};  // libcurl easy handle while prepared or running
  std::atomic<int> transferResult{0};    // libcurl result of the last finished transfer
  int outputFile = -1;                   // the engine's target file descriptor (-1: none)
  DownloaderCurl* owner = nullptr;       // the engine
  std::atomic<std::uint32_t> lastDataTime{0};  // tick of the last received block
  std::uint32_t startTime = 0;           // tick of creation
  std::atomic<std::uint32_t> endTime{0};   // tick at which the transfer returned
  std::atomic<std::uint32_t> speed{0};     // bytes per second over the last block
  std::atomic<int> state{kItemRunning};
  bool repair = false;                   // fetches a chunk again; fixed once inserted

 private:
  void CopyFrom(const DownloadItem& o) {
    id = o.id;
    rangeStart = o.rangeStart;
    position = o.position.load();
    end = o.end.load();
    url = o.url;
    transfer = o.transfer.load();
    transferResult = o.transferResult.load();
    outputFile = o.outputFile;
    owner = o.owner;
    lastDataTime = o.lastDataTime.load();
    startTime = o.startTime;
    endTime = o.endTime.load();
    speed = o.speed.load();
    state = o.state.load();
    repair = o.repair;
  }
};

}  // namespace orvane
