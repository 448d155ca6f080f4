#include "download/SegmentMap.h"

namespace orvane {
namespace {

std::mutex g_timingMutex;
DispatchTiming g_timing;

}  // namespace

DispatchTiming GetDispatchTiming() {
  std::lock_guard<std::mutex> lock(g_timingMutex);
  return g_timing;
}

void SetDispatchTiming(const DispatchTiming& timing) {
  std::lock_guard<std::mutex> lock(g_timingMutex);
  g_timing = timing;
}

DownloadItem* SegmentMap::Insert(std::unique_ptr<DownloadItem> item) {
  std::lock_guard<std::mutex> lock(mutex_);
  item->id = static_cast<int>(items_.size());
  DownloadItem* raw = item.get();
  items_[raw->id] = std::move(item);
  return raw;
}

void SegmentMap::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  items_.clear();
}

std::size_t SegmentMap::Size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return items_.size();
}

DownloadItem* SegmentMap::Find(int id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second.get();
}

std::vector<DownloadItem*> SegmentMap::Items() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<DownloadItem*> out;
  out.reserve(items_.size());
  for (const auto& [id, item] : items_) out.push_back(item.get());
  return out;
}

std::map<int, DownloadItem> SegmentMap::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::map<int, DownloadItem> out;
  for (const auto& [id, item] : items_) out.emplace(id, *item);
  return out;
}

int SegmentMap::FirstBusy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, item] : items_) {
    const int state = item->state.load();
    // A segment handed over is aborting: another segment holds its rest, so
    // its transfer (silent, perhaps, until its next progress call) is not
    // waited for.
    if (state == kItemDone) continue;
    if (item->transfer.load() != nullptr) return id;
    if (state == kItemRunning) return id;  // made, its transfer about to start
    if (state == kItemFailed && item->Remaining() > 0) return id;
  }
  return -1;
}

int SegmentMap::CountRunningWork() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int count = 0;
  for (const auto& [id, item] : items_) {
    if (item->state.load() == kItemRunning && !item->repair) ++count;
  }
  return count;
}

std::uint64_t SegmentMap::RemainingOn(const std::string& url) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint64_t left = 0;
  for (const auto& [id, item] : items_) {
    if (item->state.load() == kItemRunning && item->url == url) left += item->Remaining();
  }
  return left;
}

DownloadItem* SegmentMap::LargestRunning() const {
  std::lock_guard<std::mutex> lock(mutex_);
  DownloadItem* best = nullptr;
  std::uint32_t bestLeft = 0;
  for (const auto& [id, item] : items_) {
    if (item->state.load() != kItemRunning) continue;
    const std::uint32_t position = item->position.load();
    const std::uint32_t last = item->end.load();
    const std::uint32_t left = last > position ? last - position : 0u;
    if (left > bestLeft) {
      best = item.get();
      bestLeft = left;
    }
  }
  return best;
}

DownloadItem* SegmentMap::Covering(std::uint32_t start, std::uint32_t last) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, item] : items_) {
    if (item->rangeStart <= start && item->end.load() >= last) return item.get();
  }
  return nullptr;
}

std::optional<std::uint32_t> SegmentMap::SplitPoint(std::uint32_t position, std::uint32_t end,
                                                    std::uint32_t minLength) {
  if (end <= position) return std::nullopt;
  const std::uint32_t left = end - position;
  if (left < minLength) return std::nullopt;
  return position + left / 2;
}

void SegmentMap::SetAllStates(int state) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [id, item] : items_) item->state = state;
}

bool Silence::Holds(const DownloadItem& item) const {
  return limitMs != 0 && item.state.load() == kItemRunning && now - item.lastDataTime.load() >= limitMs;
}

std::optional<std::string> SegmentMap::BestUrl(const std::set<std::string>& excluded, bool allowPenalized,
                                               Silence silence) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<std::string> silent;
  for (const auto& [id, item] : items_) {
    if (silence.Holds(*item)) silent.insert(item->url);
  }
  for (const bool passOverPenalized : {true, false}) {
    if (!passOverPenalized && !allowPenalized) break;
    const DownloadItem* best = nullptr;
    std::uint32_t bestSpeed = 0;
    for (const auto& [id, item] : items_) {
      const int state = item->state.load();
      if (state != kItemRunning && state != kItemDone && state != kItemCompleted) continue;
      if (excluded.count(item->url) != 0) continue;
      if (passOverPenalized && (penalized_.count(item->url) != 0 || silent.count(item->url) != 0)) continue;
      const std::uint32_t speed = item->speed.load();
      if (speed > bestSpeed) {
        best = item.get();
        bestSpeed = speed;
      }
    }
    if (best != nullptr) return best->url;
  }
  return std::nullopt;
}

DownloadItem* SegmentMap::LongestSilent(Silence silence, const std::string& spared) const {
  std::lock_guard<std::mutex> lock(mutex_);
  DownloadItem* longest = nullptr;
  std::uint32_t longestMs = 0;
  for (const auto& [id, item] : items_) {
    if (!silence.Holds(*item) || item->url == spared || item->Remaining() == 0) continue;
    const std::uint32_t quietMs = silence.now - item->lastDataTime.load();
    if (longest == nullptr || quietMs > longestMs) {
      longest = item.get();
      longestMs = quietMs;
    }
  }
  return longest;
}

void SegmentMap::Penalize(const std::string& url) {
  std::lock_guard<std::mutex> lock(mutex_);
  penalized_.insert(url);
}

bool SegmentMap::IsPenalized(const std::string& url) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return penalized_.count(url) != 0;
}

void SegmentMap::AttachThread(int id, std::thread thread) {
  std::lock_guard<std::mutex> lock(mutex_);
  threads_.emplace_back(id, std::move(thread));
}

std::vector<std::thread> SegmentMap::TakeThreads() {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::thread> out;
  out.reserve(threads_.size());
  for (auto& [id, thread] : threads_) out.push_back(std::move(thread));
  threads_.clear();
  return out;
}

void SegmentMap::ResetChunks(std::size_t chunkCount) {
  std::lock_guard<std::mutex> lock(mutex_);
  chunkWriters_.assign(chunkCount, 0);
  mirrors_.clear();
  suspects_.clear();
  penalized_.clear();
}

int SegmentMap::MirrorIndexLocked(const std::string& url) {
  for (std::size_t i = 0; i < mirrors_.size(); ++i) {
    if (mirrors_[i] == url) return static_cast<int>(i);
  }
  if (mirrors_.size() >= 32) return -1;
  mirrors_.push_back(url);
  return static_cast<int>(mirrors_.size() - 1);
}

void SegmentMap::NoteWrite(const std::string& url, std::uint32_t offset, std::uint32_t length) {
  if (length == 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const int index = MirrorIndexLocked(url);
  if (index < 0) return;
  const std::size_t first = offset / kChunkSize;
  const std::size_t last = (static_cast<std::uint64_t>(offset) + length - 1) / kChunkSize;
  for (std::size_t c = first; c <= last && c < chunkWriters_.size(); ++c) {
    chunkWriters_[c] |= 1u << index;
  }
}

std::set<std::string> SegmentMap::ChunkWriters(std::size_t chunk) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<std::string> out;
  if (chunk >= chunkWriters_.size()) return out;
  for (std::size_t i = 0; i < mirrors_.size(); ++i) {
    if (chunkWriters_[chunk] & (1u << i)) out.insert(mirrors_[i]);
  }
  return out;
}

void SegmentMap::MarkSuspect(const std::string& url) {
  std::lock_guard<std::mutex> lock(mutex_);
  suspects_.insert(url);
  penalized_.insert(url);
}

std::set<std::string> SegmentMap::Suspects() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return suspects_;
}

}  // namespace orvane
