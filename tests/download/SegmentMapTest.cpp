// The segment map's bookkeeping: ids, the choice of the best source, the
// largest running segment, and which mirrors wrote into which chunk.
#include <gtest/gtest.h>

#include "download/SegmentMap.h"

namespace orvane {
namespace {

struct Seed {
  const char* url;
  int state;
  std::uint32_t speed;
  std::uint32_t position = 0;
  std::uint32_t end = 0;
};

void Fill(SegmentMap& map, const std::vector<Seed>& seeds) {
  for (const Seed& seed : seeds) {
    auto item = std::make_unique<DownloadItem>();
    item->url = seed.url;
    item->state = seed.state;
    item->speed = seed.speed;
    item->position = seed.position;
    item->end = seed.end;
    map.Insert(std::move(item));
  }
}

TEST(SegmentMapTest, IdsFollowInsertionAndRecordsKeepTheirAddress) {
  SegmentMap map;
  DownloadItem* first = map.Insert(std::make_unique<DownloadItem>());
  DownloadItem* second = map.Insert(std::make_unique<DownloadItem>());
  for (int i = 0; i < 50; ++i) map.Insert(std::make_unique<DownloadItem>());
  EXPECT_EQ(first->id, 0);
  EXPECT_EQ(second->id, 1);
  EXPECT_EQ(map.Find(1), second);
  EXPECT_EQ(map.Size(), 52u);
  EXPECT_EQ(map.Snapshot().at(51).id, 51);
}

struct BestCase {
  const char* name;
  std::vector<Seed> seeds;
  std::set<std::string> excluded;
  std::vector<std::string> penalized;
  std::optional<std::string> best;
  bool allowPenalized = true;
};

TEST(SegmentMapTest, BestUrlIsTheFastestEligibleSegment) {
  const BestCase rows[] = {
      {"fastest wins", {{"a", 0, 10}, {"b", 3, 30}, {"c", 1, 20}}, {}, {}, "b"},
      {"failed and superseded never count", {{"a", 2, 90}, {"b", 4, 80}, {"c", 0, 5}}, {}, {}, "c"},
      {"zero speed never counts", {{"a", 0, 0}, {"b", 3, 0}}, {}, {}, std::nullopt},
      {"lowest id on a tie", {{"a", 0, 7}, {"b", 0, 7}}, {}, {}, "a"},
      {"excluded url", {{"a", 0, 50}, {"b", 0, 7}}, {"a"}, {}, "b"},
      {"only the excluded url", {{"a", 0, 50}, {"a", 3, 70}}, {"a"}, {}, std::nullopt},
      {"penalized passed over", {{"a", 1, 50}, {"b", 0, 7}}, {}, {"a"}, "b"},
      {"penalized when alone", {{"a", 1, 50}, {"b", 0, 7}}, {"b"}, {"a"}, "a"},
      {"penalized refused", {{"a", 1, 50}, {"b", 0, 7}}, {"b"}, {"a"}, std::nullopt, false},
  };
  for (const BestCase& row : rows) {
    SegmentMap map;
    Fill(map, row.seeds);
    for (const std::string& url : row.penalized) map.Penalize(url);
    EXPECT_EQ(map.BestUrl(row.excluded, row.allowPenalized), row.best) << row.name;
  }
}

// A running segment silent for the limit makes its mirror's last speed stale:
// the mirror is passed over like one in bad standing.
TEST(SegmentMapTest, SilentMirrorsArePassedOverAndTheLongestSilentIsFound) {
  SegmentMap map;
  Fill(map, {{"dead", 0, 9000, 0, 100}, {"dead", 3, 9500}, {"alive", 0, 100, 0, 100},
             {"slow", 0, 50, 0, 100}, {"cdn", 0, 10, 0, 100}});
  map.Find(0)->lastDataTime = 1000;   // silent for 3000 ms at tick 4000
  map.Find(2)->lastDataTime = 3900;
  map.Find(3)->lastDataTime = 2500;   // silent for 1500 ms
  map.Find(4)->lastDataTime = 0;      // silent longest, but spared
  const Silence silence{4000, 1000};

  EXPECT_EQ(map.BestUrl({}, true, silence), "alive");
  EXPECT_EQ(map.BestUrl({"alive"}, false, silence), std::nullopt);
  EXPECT_EQ(map.BestUrl({"alive"}, true, silence), "dead");  // a last resort only
  EXPECT_EQ(map.BestUrl({}, true, Silence{4000, 0}), "dead");  // no limit: speed alone

  ASSERT_NE(map.LongestSilent(silence, "cdn"), nullptr);
  EXPECT_EQ(map.LongestSilent(silence, "cdn")->id, 0);
  EXPECT_EQ(map.LongestSilent(Silence{4000, 5000}, "cdn"), nullptr);
  map.Find(0)->position = 101;  // nothing left to fetch
  EXPECT_EQ(map.LongestSilent(silence, "cdn")->id, 3);
  EXPECT_EQ(map.RemainingOn("slow"), 101u);
  EXPECT_EQ(map.RemainingOn("dead"), 0u);   // the completed record does not count
  EXPECT_EQ(map.RemainingOn("gone"), 0u);
}

TEST(SegmentMapTest, LargestRunningSkipsOtherStatesAndEmptyRanges) {
  SegmentMap map;
  Fill(map, {{"a", 3, 1, 0, 900000},
             {"b", 0, 1, 100, 600100},
             {"c", 0, 1, 200, 600200},  // same length: the lower id wins
             {"d", 2, 1, 0, 999999},
             {"e", 0, 1, 500, 500}});
  ASSERT_NE(map.LargestRunning(), nullptr);
  EXPECT_EQ(map.LargestRunning()->id, 1);

  SegmentMap empty;
  Fill(empty, {{"a", 0, 1, 500, 500}, {"b", 0, 1, 9, 3}});
  EXPECT_EQ(empty.LargestRunning(), nullptr);
}

TEST(SegmentMapTest, FirstBusyWaitsForTransfersStartsAndRestarts) {
  SegmentMap map;
  Fill(map, {{"a", 3, 1, 10, 9}, {"b", 1, 1, 5, 9}, {"c", 2, 1, 10, 9}});
  EXPECT_EQ(map.FirstBusy(), -1);  // failed with its range complete: nothing to wait for
  Fill(map, {{"d", 2, 1, 4, 9}});
  EXPECT_EQ(map.FirstBusy(), 3);   // failed mid-range: a restart will follow
  Fill(map, {{"e", 0, 1, 0, 9}});
  map.Find(3)->state = kItemSuperseded;
  EXPECT_EQ(map.FirstBusy(), 4);   // made, not started yet
  map.Find(4)->state = kItemCompleted;
  map.Find(0)->transfer = map.Find(0);
  EXPECT_EQ(map.FirstBusy(), 0);
  map.Find(0)->state = kItemDone;  // handed over: its transfer is aborting
  EXPECT_EQ(map.FirstBusy(), -1);
}

TEST(SegmentMapTest, ChunkWritersRecordEveryMirrorThatStoredBytes) {
  SegmentMap map;
  map.ResetChunks(4);
  map.NoteWrite("a", 0, 100);
  map.NoteWrite("b", SegmentMap::kChunkSize - 10, 20);  // straddles chunks 0 and 1
  map.NoteWrite("c", 3 * SegmentMap::kChunkSize, 0);    // nothing stored
  map.NoteWrite("c", 5 * SegmentMap::kChunkSize, 10);   // past the last chunk
  EXPECT_EQ(map.ChunkWriters(0), (std::set<std::string>{"a", "b"}));
  EXPECT_EQ(map.ChunkWriters(1), (std::set<std::string>{"b"}));
  EXPECT_TRUE(map.ChunkWriters(3).empty());
  EXPECT_TRUE(map.ChunkWriters(9).empty());
}

}  // namespace
}  // namespace orvane
