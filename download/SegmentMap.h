#pragma once
// The segment map of one download: every segment record, keyed by id, at a
// fixed address for the life of the map, plus the threads that run them and
// what each mirror has delivered. One mutex guards the map itself; the
// records' changing fields are atomics. This is the one place that picks the
// best source for a new segment. Callable from any thread.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "download/DownloadItem.h"

namespace orvane {

// Timing of the dispatcher. The defaults are the production values; tests
// shorten them so that stalls are handed over without waiting seconds.
struct DispatchTiming {
  std::uint32_t periodMs = 2000;       // between two sweeps of the dispatcher
  std::uint32_t stallLimitMs = 6000;   // silence after which a segment is handed over
  std::uint32_t restartDelayMs = 20;   // wait before a restarted or handed-over segment starts
  std::uint32_t lowSpeedTimeSec = 5;   // a transfer below 1 byte/s for this long fails
  // A running segment that has received nothing for this long is silent: its
  // mirror gets no new work, and a mirror gone idle takes over its rest.
  std::uint32_t silenceMs = 1000;
  // A segment that completes wakes the dispatcher at once, so that the idle
  // mirror gets work without waiting for the next sweep.
  bool sweepOnCompletion = true;
};
DispatchTiming GetDispatchTiming();
void SetDispatchTiming(const DispatchTiming& timing);

// When a running segment counts as silent: nothing received for `limitMs`
// (0: never) up to tick `now`.
struct Silence {
  std::uint32_t now = 0;
  std::uint32_t limitMs = 0;
  bool Holds(const DownloadItem& item) const;
};

class SegmentMap {
 public:
  SegmentMap() = default;
  SegmentMap(const SegmentMap&) = delete;
  SegmentMap& operator=(const SegmentMap&) = delete;

  // Gives the record the next id (the number of records so far), inserts it
  // and returns its fixed address.
  DownloadItem* Insert(std::unique_ptr<DownloadItem> item);
  // Drops every record. Only while no segment thread runs.
  void Clear();

  std::size_t Size() const;
  DownloadItem* Find(int id) const;
  // Every record in id order (addresses stay valid while the map lives).
  std::vector<DownloadItem*> Items() const;
  // A copy of every record, for status snapshots.
  std::map<int, DownloadItem> Snapshot() const;

  // Id of the first record (in id order) that still holds a transfer or is
  // about to start one, or of a failed record whose range is incomplete and
  // waits for a restart; -1 when none. Records in state 1 (done, stopped or
  // handed over) are never waited for.
  int FirstBusy() const;
  // Records in state 0 that are not repairs: the planned work in progress.
  int CountRunningWork() const;
  // Bytes the records in state 0 on `url` still have to fetch.
  std::uint64_t RemainingOn(const std::string& url) const;
  // The running record with the largest end - position (lowest id on ties,
  // never one where that is 0), or nullptr.
  DownloadItem* LargestRunning() const;
  // The first record whose range [rangeStart, end] covers [start, last].
  DownloadItem* Covering(std::uint32_t start, std::uint32_t last) const;
  // Sets every record's state.
  void SetAllStates(int state);

  // The url of the fastest record in state 0, 1 or 3 whose url is none of
  // `excluded`; only a positive speed counts, lowest id wins ties. Mirrors in
  // bad standing, and mirrors with a silent running record (whose last speed
  // is stale), are passed over while any other qualifies, and never taken
  // unless `allowPenalized`.
  std::optional<std::string> BestUrl(const std::set<std::string>& excluded, bool allowPenalized = true,
                                     Silence silence = {}) const;
  // The running record silent longest, on any url but `spared`; nullptr when none is silent.
  DownloadItem* LongestSilent(Silence silence, const std::string& spared) const;
  // Puts a mirror in bad standing: it stalled, failed a transfer or sent bad data.
  void Penalize(const std::string& url);
  bool IsPenalized(const std::string& url) const;

  // Keeps the thread of record `id` until TakeThreads.
  void AttachThread(int id, std::thread thread);
  // Hands over every thread attached so far, for joining.
  std::vector<std::thread> TakeThreads();

  // Mirror bookkeeping for the chunk check: which mirrors stored bytes into
  // which chunk, and which mirrors delivered a chunk that failed its digest.
  void ResetChunks(std::size_t chunkCount);
  void NoteWrite(const std::string& url, std::uint32_t offset, std::uint32_t length);
  std::set<std::string> ChunkWriters(std::size_t chunk) const;
  void MarkSuspect(const std::string& url);
  std::set<std::string> Suspects() const;

  static constexpr std::uint32_t kChunkSize = 1048576;

  // Where a running segment at `position` ending at `end` is split: position +
  // half of end - position, when that length is at least `minLength`.
  static std::optional<std::uint32_t> SplitPoint(std::uint32_t position, std::uint32_t end,
                                                 std::uint32_t minLength);

 private:
  int MirrorIndexLocked(const std::string& url);

  mutable std::mutex mutex_;
  std::map<int, std::unique_ptr<DownloadItem>> items_;
  std::vector<std::pair<int, std::thread>> threads_;
  std::vector<std::string> mirrors_;          // index -> url, for the chunk masks
  std::vector<std::uint32_t> chunkWriters_;   // per chunk, a bit per mirror index
  std::set<std::string> suspects_;
  std::set<std::string> penalized_;
};

}  // namespace orvane
