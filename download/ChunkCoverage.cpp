#include "download/ChunkCoverage.h"

#include <algorithm>

namespace orvane {

void ChunkCoverage::Reset(std::uint32_t total, std::uint32_t chunkSize) {
  chunkSize_ = chunkSize == 0 ? 1 : chunkSize;
  chunks_.clear();
  for (std::uint64_t start = 0; start < total; start += chunkSize_) {
    Chunk chunk;
    chunk.start = static_cast<std::uint32_t>(start);
    chunk.end = static_cast<std::uint32_t>(std::min<std::uint64_t>(start + chunkSize_, total));
    chunks_.push_back(std::move(chunk));
  }
}

std::vector<std::uint32_t> ChunkCoverage::Add(std::uint32_t offset, std::uint32_t length) {
  std::vector<std::uint32_t> completed;
  if (length == 0 || chunks_.empty()) return completed;
  const std::uint64_t last = static_cast<std::uint64_t>(offset) + length;  // one past
  const std::uint32_t first = offset / chunkSize_;
  for (std::uint64_t index = first; index < chunks_.size() && index * chunkSize_ < last; ++index) {
    Chunk& chunk = chunks_[index];
    if (chunk.complete) continue;
    const std::uint32_t from = std::max(offset, chunk.start);
    const auto to = static_cast<std::uint32_t>(std::min<std::uint64_t>(last, chunk.end));
    if (from < to && Merge(chunk, from, to)) {
      chunk.complete = true;
      chunk.stored.clear();
      completed.push_back(static_cast<std::uint32_t>(index));
    }
  }
  return completed;
}

bool ChunkCoverage::Merge(Chunk& chunk, std::uint32_t from, std::uint32_t to) {
  auto& runs = chunk.stored;
  // The first run that ends at or after `from` may touch or overlap the new one.
  auto it = runs.upper_bound(from);
  if (it != runs.begin()) {
    auto before = std::prev(it);
    if (before->second >= from) it = before;
  }
  while (it != runs.end() && it->first <= to) {
    from = std::min(from, it->first);
    to = std::max(to, it->second);
    it = runs.erase(it);
  }
  runs.emplace(from, to);
  return from <= chunk.start && to >= chunk.end;
}

void ChunkCoverage::Reopen(std::uint32_t chunk) {
  if (chunk >= chunks_.size()) return;
  chunks_[chunk].complete = false;
  chunks_[chunk].stored.clear();
}

bool ChunkCoverage::Complete(std::uint32_t chunk) const {
  return chunk < chunks_.size() && chunks_[chunk].complete;
}

}  // namespace orvane
