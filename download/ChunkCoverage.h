#pragma once
// Which bytes of each 1 MiB chunk of a download have been stored, so that a
// chunk can be checked against its digest the moment its last byte arrives
// rather than after the whole package. Not thread-safe: the engine calls it
// under its file lock.
#include <cstdint>
#include <map>
#include <vector>

namespace orvane {

class ChunkCoverage {
 public:
  // Starts over for a package of `total` bytes cut into chunks of `chunkSize`.
  void Reset(std::uint32_t total, std::uint32_t chunkSize);
  // Records bytes [offset, offset + length) as stored; returns the chunks this
  // write completed, in ascending order. A complete chunk stays complete until
  // it is reopened.
  std::vector<std::uint32_t> Add(std::uint32_t offset, std::uint32_t length);
  // Forgets what chunk `chunk` holds: it is being fetched again.
  void Reopen(std::uint32_t chunk);
  bool Complete(std::uint32_t chunk) const;
  std::uint32_t ChunkCount() const { return static_cast<std::uint32_t>(chunks_.size()); }

 private:
  struct Chunk {
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // one past the last byte
    std::map<std::uint32_t, std::uint32_t> stored;  // disjoint, non-touching [from, to) runs
    bool complete = false;
  };
  // Merges [from, to) into the chunk's runs; true when they now cover the chunk.
  static bool Merge(Chunk& chunk, std::uint32_t from, std::uint32_t to);

  std::uint32_t chunkSize_ = 1;
  std::vector<Chunk> chunks_;
};

}  // namespace orvane
