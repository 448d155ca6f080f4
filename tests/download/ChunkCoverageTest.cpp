// Tracking which bytes of each chunk have arrived, in any order and with overlaps.
#include <gtest/gtest.h>

#include "download/ChunkCoverage.h"

namespace orvane {
namespace {

struct Write {
  std::uint32_t offset;
  std::uint32_t length;
  std::vector<std::uint32_t> completes;
};

struct CoverageCase {
  const char* name;
  std::uint32_t total;
  std::vector<Write> writes;
};

// Chunks of 100 bytes.
TEST(ChunkCoverageTest, ReportsEachChunkOnceWhenItsLastByteArrives) {
  const CoverageCase rows[] = {
      {"in order", 250, {{0, 60, {}}, {60, 40, {0}}, {100, 150, {1, 2}}}},
      {"backwards with a gap filled last", 200, {{150, 50, {}}, {100, 30, {}}, {0, 100, {0}}, {130, 20, {1}}}},
      {"overlaps and repeats", 200, {{0, 80, {}}, {50, 40, {}}, {0, 90, {}}, {85, 30, {0}}, {0, 100, {}}}},
      {"touching runs merge", 100, {{0, 10, {}}, {20, 80, {}}, {10, 10, {0}}}},
      {"short last chunk", 205, {{200, 5, {2}}, {0, 200, {0, 1}}}},
      {"one write over every chunk", 300, {{0, 300, {0, 1, 2}}}},
      {"beyond the end is ignored", 150, {{100, 500, {1}}, {400, 10, {}}}},
      {"empty write", 100, {{0, 0, {}}}},
  };
  for (const CoverageCase& row : rows) {
    ChunkCoverage coverage;
    coverage.Reset(row.total, 100);
    for (const Write& write : row.writes) {
      EXPECT_EQ(coverage.Add(write.offset, write.length), write.completes)
          << row.name << " at " << write.offset << "+" << write.length;
    }
  }
}

TEST(ChunkCoverageTest, ReopenedChunkCompletesAgainOnlyWhenRefilled) {
  ChunkCoverage coverage;
  coverage.Reset(300, 100);
  EXPECT_EQ(coverage.ChunkCount(), 3u);
  EXPECT_EQ(coverage.Add(0, 300), (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_TRUE(coverage.Complete(1));
  coverage.Reopen(1);
  EXPECT_FALSE(coverage.Complete(1));
  EXPECT_TRUE(coverage.Complete(2));
  EXPECT_EQ(coverage.Add(100, 99), std::vector<std::uint32_t>{});
  EXPECT_EQ(coverage.Add(150, 60), std::vector<std::uint32_t>{1});  // chunk 2 stays reported once
  coverage.Reopen(7);  // no such chunk: nothing happens
  EXPECT_FALSE(coverage.Complete(7));
}

TEST(ChunkCoverageTest, EmptyPackageHasNoChunks) {
  ChunkCoverage coverage;
  coverage.Reset(0, 100);
  EXPECT_EQ(coverage.ChunkCount(), 0u);
  EXPECT_TRUE(coverage.Add(0, 10).empty());
}

}  // namespace
}  // namespace orvane
