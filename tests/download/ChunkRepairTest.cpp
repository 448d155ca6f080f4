// Verification of the downloaded image and repair of the chunks that differ,
// against test mirrors that send wrong bytes or ignore byte ranges.
#include "tests/download/SegmentHarness.h"

namespace orvane::test {
namespace {

constexpr std::uint32_t kChunk = 1048576;

std::string RepairLine(std::uint32_t start, std::uint32_t end, int id) {
  return "Download_RepairData : GetBestURL Info, start(" + std::to_string(start) + "), end(" +
         std::to_string(end) + "), ID(" + std::to_string(id) + ").";
}

// Requests a mirror served whose range starts at `start`.
int RequestsFrom(const MirrorFixture& mirror, long long start) {
  int count = 0;
  for (const MirrorRequest& request : mirror.Requests()) {
    if (request.method == "GET" && request.rangeStart == start) ++count;
  }
  return count;
}

// ---- repairs of wrong bytes, on the embedded package size ----
//
// Mirror 0 is clean, mirror 1 flips bytes. With two threads each the segments
// are [0, 5094421] clean, [5094422, 10188843] flipping, [10188844, 15283265]
// clean, [15283266, 20377687] flipping. No sweep happens during the transfer,
// so every byte comes from its planned mirror.

struct RepairCase {
  const char* name;
  std::vector<long long> flips;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> repairs;  // in chunk order
  // Chunks are checked as they complete; without that, only the final check
  // finds them, all in one pass and in chunk order.
  bool early = true;
};

class ChunkRepairTest : public ::testing::TestWithParam<RepairCase> {};

TEST_P(ChunkRepairTest, WrongChunksAreFetchedOnceFromTheCleanMirror) {
  const RepairCase& row = GetParam();
  TimingScope timing(NoSweepTiming());
  LogCapture log;
  MirrorSet set(kEmbeddedSize);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* clean = set.Add({});
  MirrorOptions flipping;
  flipping.flipOffsets = row.flips;
  MirrorFixture* bad = set.Add(flipping);
  ASSERT_TRUE(clean && bad);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {clean->Url("/download/pkg.exe"), bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());
  engine.SetEarlyChunkCheck(row.early);

  ASSERT_EQ(engine.BeginDownload(set.Config(2)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_EQ(engine.GetDownloadState(), 5);
  EXPECT_TRUE(set.TargetMatches());

  // Repair segments follow the four planned ones. Found early, chunks are
  // repaired in the order they complete, which two segments running side by
  // side do not fix; the final check goes in chunk order.
  const std::map<int, DownloadItem> items = engine.Segments();
  ASSERT_EQ(items.size(), 4 + row.repairs.size());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> repaired;
  std::vector<std::string> expected;
  for (int id = 4; id < static_cast<int>(items.size()); ++id) {
    const DownloadItem& repair = items.at(id);
    EXPECT_EQ(repair.url, engine.mirrors[0]);
    repaired.emplace_back(repair.rangeStart, repair.end.load());
    expected.push_back(RepairLine(repair.rangeStart, repair.end.load(), id));
  }
  EXPECT_EQ(log.StartingWith("Download_RepairData"), expected);
  if (row.early) std::sort(repaired.begin(), repaired.end());
  EXPECT_EQ(repaired, row.repairs);
  for (const auto& [start, end] : row.repairs) {
    EXPECT_EQ(RequestsFrom(*bad, start), 0);
    EXPECT_EQ(RequestsFrom(*clean, start), 1);
  }
  EXPECT_EQ(engine.GetRepairLink(), row.repairs.empty() ? "" : engine.mirrors[0]);
  EXPECT_EQ(engine.GetResultCode(), 0);
  EXPECT_EQ(notes.Count(5), 1);
}

INSTANTIATE_TEST_SUITE_P(Chunk, ChunkRepairTest,
    ::testing::Values(RepairCase{"NoneWhenTheFileMatches", {}, {}},
                      RepairCase{"OneByteInChunk7", {7 * kChunk + 4321}, {{7340032, 8388607}}},
                      RepairCase{"LastChunk", {kEmbeddedSize - 10}, {{19922944, 20377687}}},
                      RepairCase{"ThreeChunksAsTheyComplete",
                                 {16 * kChunk + 5, 5 * kChunk + 100, 7 * kChunk + 200},
                                 {{5 * kChunk, 6 * kChunk - 1}, {7 * kChunk, 8 * kChunk - 1},
                                  {16 * kChunk, 17 * kChunk - 1}}},
                      RepairCase{"ThreeChunksInChunkOrderByTheFinalCheck",
                                 {16 * kChunk + 5, 5 * kChunk + 100, 7 * kChunk + 200},
                                 {{5 * kChunk, 6 * kChunk - 1}, {7 * kChunk, 8 * kChunk - 1},
                                  {16 * kChunk, 17 * kChunk - 1}},
                                 false}),
    [](const auto& info) { return std::string(info.param.name); });

// A chunk is checked the moment its last byte is stored: the repair of a bad
// chunk starts while the rest of the package is still arriving, and the mirror
// that corrupted it is not asked for it again.
TEST(ChunkEarlyCheckTest, BadChunkIsFetchedAgainWhileTheDownloadRuns) {
  TimingScope timing(NoSweepTiming());
  LogCapture log;
  MirrorSet set(4 * kChunk);
  ASSERT_TRUE(set.Ok());
  MirrorOptions slow;
  slow.throttle = 1000000;  // its half of the package takes about two seconds
  MirrorFixture* clean = set.Add(slow);
  MirrorOptions flipping;
  flipping.flipOffsets = {2 * kChunk + 17};
  MirrorFixture* bad = set.Add(flipping);
  ASSERT_TRUE(clean && bad);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {clean->Url("/download/pkg.exe"), bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());
  EXPECT_TRUE(log.HasLine("Download_CheckChunk : chunk(2) differs from its digest, fetching it again."));
  const std::map<int, DownloadItem> items = engine.Segments();
  ASSERT_EQ(items.size(), 3u);
  const DownloadItem& repair = items.at(2);
  EXPECT_EQ(repair.rangeStart, 2 * kChunk);
  EXPECT_EQ(repair.end.load(), 3 * kChunk - 1);
  EXPECT_EQ(repair.url, engine.mirrors[0]);
  EXPECT_LT(static_cast<std::int32_t>(repair.startTime - items.at(0).endTime.load()), 0)
      << "the repair began after the clean segment had ended";
  EXPECT_EQ(RequestsFrom(*bad, 2 * kChunk), 1);  // its own segment only
  EXPECT_EQ(RequestsFrom(*clean, 2 * kChunk), 1);
  EXPECT_EQ(engine.GetRepairLink(), engine.mirrors[0]);
}

// ---- repairs that cannot succeed end the download ----

TEST(ChunkRepairFailTest, NoOtherSourceEndsWithRepairFail) {
  TimingScope timing(NoSweepTiming());
  LogCapture log;
  MirrorSet set(3 * kChunk + 5000);
  ASSERT_TRUE(set.Ok());
  MirrorOptions flipping;
  flipping.flipOffsets = {kChunk + 77};
  MirrorFixture* bad = set.Add(flipping);
  ASSERT_NE(bad, nullptr);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 4);
  EXPECT_EQ(engine.GetDownloadState(), 4);
  EXPECT_FALSE(engine.IsDownloading());
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::RepairFailError));
  EXPECT_EQ(log.StartingWith("Download_RepairData"),
            std::vector<std::string>{"Download_RepairData : GetBestURL error, start(1048576), end(2097151)."});
  EXPECT_EQ(engine.GetRepairLink(), "");
  EXPECT_EQ(engine.Segments().size(), 1u);
  EXPECT_EQ(notes.Count(4), 1);
}

TEST(ChunkRepairFailTest, NoOtherMirrorRepairsFromTheCdn) {
  TimingScope timing(NoSweepTiming());
  MirrorSet set(3 * kChunk + 5000);
  ASSERT_TRUE(set.Ok());
  MirrorOptions flipping;
  flipping.flipOffsets = {kChunk + 77};
  MirrorFixture* bad = set.Add(flipping);
  MirrorFixture* cdn = set.Add({});
  ASSERT_TRUE(bad && cdn);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe")};
  engine.cdnUrl = cdn->Url("/download/edgecdn.net/pkg.exe");
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());
  EXPECT_TRUE(engine.IsCdnUsed());
  EXPECT_EQ(engine.GetRepairLink(), engine.cdnUrl);
}

// Every mirror sends the same wrong byte: the chunk is fetched again once as
// soon as it is found bad, then once per final check until the rounds run out.
TEST(ChunkRepairFailTest, RepairsThatKeepFailingAreBounded) {
  TimingScope timing(NoSweepTiming());
  LogCapture log;
  MirrorSet set(2 * kChunk);
  ASSERT_TRUE(set.Ok());
  MirrorOptions flipping;
  flipping.flipOffsets = {kChunk + 9};
  MirrorFixture* first = set.Add(flipping);
  MirrorFixture* second = set.Add(flipping);
  ASSERT_TRUE(first && second);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {first->Url("/download/pkg.exe"), second->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 4);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::RepairFailError));
  const std::vector<std::string> repairs = log.StartingWith("Download_RepairData : GetBestURL Info");
  EXPECT_EQ(repairs.size(), 1u + 4u);
  EXPECT_EQ(notes.Count(4), 1);
  EXPECT_EQ(notes.Count(5), 0);
  EXPECT_EQ(engine.GetDownloadState(), 4);
}

// ---- the whole-file digest has the last word ----

struct WholeFileCase {
  const char* name;
  std::size_t listedChunks;      // chunk digests kept in the descriptor
  bool cleanMirrorFlipsToo;      // the refetch brings the same wrong byte
  bool wrongFileDigest;          // the descriptor's whole-file digest is wrong
  int expectedEnd;
  DownloadResult expectedCode;
  std::size_t expectedRepairs;
};

class ChunkWholeFileTest : public ::testing::TestWithParam<WholeFileCase> {};

// Mirror 1 flips a byte of chunk 4, which is covered by no listed digest.
TEST_P(ChunkWholeFileTest, UnlistedChunksAreFetchedAgainBeforeAVerdict) {
  const WholeFileCase& row = GetParam();
  TimingScope timing(NoSweepTiming());
  LogCapture log;
  MirrorSet set(6 * kChunk + 1000);
  ASSERT_TRUE(set.Ok());
  MirrorOptions cleanOptions;
  if (row.cleanMirrorFlipsToo) cleanOptions.flipOffsets = {4 * kChunk + 3};
  MirrorFixture* clean = set.Add(cleanOptions);
  MirrorOptions flipping;
  if (!row.wrongFileDigest) flipping.flipOffsets = {4 * kChunk + 3};
  MirrorFixture* bad = set.Add(flipping);
  ASSERT_TRUE(clean && bad);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {clean->Url("/download/pkg.exe"), bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());
  DownloadConfig config = set.Config(1);
  config.chunkHashes.resize(row.listedChunks);
  if (row.wrongFileDigest) config.fileHash = "00000000000000000000000000000000";

  ASSERT_EQ(engine.BeginDownload(config), S_OK);
  ASSERT_EQ(notes.WaitEnd(), row.expectedEnd);
  EXPECT_EQ(engine.GetDownloadState(), row.expectedEnd);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(row.expectedCode));
  EXPECT_EQ(log.StartingWith("Download_RepairData : GetBestURL Info").size(), row.expectedRepairs);
  EXPECT_EQ(notes.Count(4) + notes.Count(5), 1);
  if (row.expectedEnd == 5) {
    EXPECT_TRUE(set.TargetMatches());
  }
}

INSTANTIATE_TEST_SUITE_P(Chunk, ChunkWholeFileTest,
    ::testing::Values(
        // Chunks 4 to 6 have no digest: fetched again from mirror 0, then the file matches.
        WholeFileCase{"UnlistedChunksRefetched", 4, false, false, 5, DownloadResult::NoError, 3},
        WholeFileCase{"NoChunkDigestsAtAll", 0, false, false, 5, DownloadResult::NoError, 7},
        WholeFileCase{"RefetchStillWrong", 4, true, false, 4, DownloadResult::CheckHashError, 3},
        WholeFileCase{"EveryChunkListedAndMatching", 7, false, true, 4, DownloadResult::CheckHashError, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- a mirror that ignores byte ranges ----

TEST(ChunkRangeTest, IgnoredRangeIsCutAtTheSegmentEndAndRepaired) {
  TimingScope timing(FastTiming(100));
  LogCapture log;
  MirrorSet set(4 * kChunk + 300000);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* clean = set.Add({});
  MirrorOptions ignoring;
  ignoring.ignoreRange = true;
  MirrorFixture* bad = set.Add(ignoring);
  ASSERT_TRUE(clean && bad);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {clean->Url("/download/pkg.exe"), bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());
  const std::map<int, DownloadItem> items = engine.Segments();
  SCOPED_TRACE(Describe(items));
  SCOPED_TRACE(::testing::PrintToString(log.StartingWith("Download_")));
  // Segment 1 stored exactly its own length, then its transfer was cut.
  const DownloadItem& cut = items.at(1);
  EXPECT_EQ(cut.position.load(), cut.end.load() + 1);
  EXPECT_NE(cut.transferResult.load(), 0);
  EXPECT_TRUE(cut.state.load() == kItemDone || cut.state.load() == kItemFailed);
  // The chunks it filled with misplaced bytes were fetched again from mirror 0.
  ASSERT_GT(items.size(), 2u);
  for (const auto& [id, item] : items) {
    if (id >= 2) {
      EXPECT_EQ(item.url, engine.mirrors[0]) << id;
    }
  }
  EXPECT_LE(bad->PackageBytesSent(), set.Package().size);
}

}  // namespace
}  // namespace orvane::test
