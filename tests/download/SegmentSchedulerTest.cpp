// The segmented download against real test mirrors: planning, splits,
// hand-over of stalled segments, restarts, fatal failures and stopping.
#include <thread>

#include "tests/download/SegmentHarness.h"

namespace orvane::test {
namespace {

using namespace std::chrono_literals;

// Waits until `done` holds or `timeoutMs` passes; returns `done()`.
template <typename Predicate>
bool WaitFor(Predicate done, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(20ms);
  return done();
}

const DownloadItem* FindStartingAt(const std::map<int, DownloadItem>& items, std::uint32_t start, int minId) {
  for (const auto& [id, item] : items) {
    if (id >= minId && item.rangeStart == start) return &item;
  }
  return nullptr;
}

// ---- starting ----

// Probing that reports success but leaves no mirror in use.
class NoMirrorEngine : public ListedMirrorEngine {
 public:
  HRESULT CheckDownload(const DownloadConfig&) override { return S_OK; }
};

TEST(SegmentStartTest, NoMirrorFailsBeforeAnyTransfer) {
  MirrorSet set(1000);
  ASSERT_TRUE(set.Ok());
  ListedMirrorEngine unprobed;  // probing finds nothing
  EXPECT_EQ(unprobed.BeginDownload(set.Config(2)), E_FAIL);
  EXPECT_EQ(unprobed.GetResultString(), "DownloadCheckUrlError");
  EXPECT_FALSE(unprobed.IsDownloading());

  NoMirrorEngine empty;  // nothing to plan with
  EXPECT_EQ(empty.BeginDownload(set.Config(2)), E_INVALIDARG);
  EXPECT_EQ(empty.GetResultString(), "DownloadUrlCountError");
  EXPECT_FALSE(empty.IsDownloading());
  EXPECT_TRUE(empty.Segments().empty());
}

TEST(SegmentStartTest, EmptyPackageIsRefusedAndTinyOneGetsOneByteSegments) {
  TimingScope timing(FastTiming(100));
  MirrorSet set(3);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* mirror = set.Add({});
  ASSERT_NE(mirror, nullptr);

  ListedMirrorEngine empty;
  empty.mirrors = {mirror->Url("/download/a.exe")};
  DownloadConfig nothing = set.Config(2);
  nothing.size = 0;
  EXPECT_EQ(empty.BeginDownload(nothing), E_INVALIDARG);
  EXPECT_EQ(empty.GetResultString(), "DownloadMallocError");
  EXPECT_FALSE(empty.IsDownloading());

  Notifications notes;
  ListedMirrorEngine tiny;
  tiny.mirrors = {mirror->Url("/download/a.exe"), mirror->Url("/download/b.exe")};
  tiny.SetCallback(notes.Function());
  ASSERT_EQ(tiny.BeginDownload(set.Config(2)), S_OK);
  EXPECT_EQ(notes.WaitEnd(), 5);
  const std::map<int, DownloadItem> items = tiny.Segments();
  ASSERT_EQ(items.size(), 3u);
  for (const auto& [id, item] : items) {
    EXPECT_EQ(item.rangeStart, static_cast<std::uint32_t>(id));
    EXPECT_EQ(item.end.load(), static_cast<std::uint32_t>(id));
  }
  EXPECT_TRUE(set.TargetMatches());
}

// A target that cannot be opened leaves the download to the image alone.
TEST(SegmentStartTest, UnopenableTargetStillDownloadsIntoTheImage) {
  TimingScope timing(FastTiming(100));
  MirrorSet set(2 * 1048576 + 17);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* mirror = set.Add({});
  ASSERT_NE(mirror, nullptr);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {mirror->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());
  DownloadConfig config = set.Config(2);
  config.targetPath = set.Home().Path("missing/folder/package.exe");

  ASSERT_EQ(engine.BeginDownload(config), S_OK);
  EXPECT_EQ(notes.WaitEnd(), 5);
  EXPECT_EQ(engine.GetDownloadState(), 5);
  // The planned two segments (a split may follow when one ends first).
  const std::map<int, DownloadItem> items = engine.Segments();
  ASSERT_GE(items.size(), 2u);
  EXPECT_EQ(items.at(0).rangeStart, 0u);
  EXPECT_EQ(items.at(1).rangeStart, 1048584u);
  EXPECT_EQ(ReadWholeFile(config.targetPath), "");
}

// ---- planning ----

struct PlanCase {
  const char* name;
  int mirrors;
  bool cdnAlone;
  int threadsPerUrl;
  int segments;
  std::uint32_t size;       // of every segment but the last
  std::uint32_t lastSize;
};

class SegmentPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(SegmentPlanTest, CutsThePackageAmongTheMirrorsInTurn) {
  const PlanCase& row = GetParam();
  TimingScope timing(FastTiming(60000));
  MirrorSet set(kEmbeddedSize);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* server = set.Add({});
  ASSERT_NE(server, nullptr);
  Notifications notes;
  ListedMirrorEngine engine;
  for (int i = 0; i < row.mirrors; ++i) {
    engine.mirrors.push_back(server->Url("/download/" + std::string(row.cdnAlone ? "edgecdn.net-" : "m") +
                                         std::to_string(i) + ".exe"));
  }
  if (row.cdnAlone) engine.cdnUrl = engine.mirrors[0];
  ASSERT_EQ(engine.SetCallback(notes.Function()), S_OK);

  ASSERT_EQ(engine.BeginDownload(set.Config(row.threadsPerUrl)), S_OK);
  const std::map<int, DownloadItem> plan = engine.Segments();
  ASSERT_EQ(static_cast<int>(plan.size()), row.segments);
  for (int i = 0; i < row.segments; ++i) {
    const DownloadItem& item = plan.at(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(item.id, i);
    EXPECT_EQ(item.rangeStart, static_cast<std::uint32_t>(i) * row.size);
    const std::uint32_t length = i == row.segments - 1 ? row.lastSize : row.size;
    EXPECT_EQ(item.end.load() - item.rangeStart + 1, length);
    EXPECT_EQ(item.url, engine.mirrors[i % row.mirrors]);
  }

  EXPECT_EQ(notes.WaitEnd(), 5);
  EXPECT_EQ(engine.GetDownloadState(), 5);
  EXPECT_FALSE(engine.IsDownloading());
  EXPECT_TRUE(set.TargetMatches());
  EXPECT_EQ(notes.Count(7), static_cast<int>(engine.Segments().size()));
}

INSTANTIATE_TEST_SUITE_P(Segment, SegmentPlanTest,
    ::testing::Values(PlanCase{"FiveMirrorsTwoEach", 5, false, 2, 10, 2037768, 2037776},
                      PlanCase{"CdnAloneFiveThreads", 1, true, 5, 5, 4075537, 4075540},
                      PlanCase{"ThreadCountOutOfRangeMeansTwo", 2, false, 11, 4, 5094422, 5094422}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
  std::uint32_t position;
  std::uint32_t end;
  std::optional<std::uint32_t> at;
};

TEST(SegmentSplitTest, SplitsAtPositionPlusHalfFromMinimumLength) {
  const SplitCase rows[] = {
      {1000, 1000 + 600000, 1000 + 300000},
      {0, 512000, 256000},
      {5000, 5000 + 511999, std::nullopt},
      {5000, 5000 + 512001, 5000 + 256000},
      {7, 7, std::nullopt},     // nothing left
      {9, 3, std::nullopt},     // position already past a lowered end
  };
  for (const SplitCase& row : rows) {
    EXPECT_EQ(SegmentMap::SplitPoint(row.position, row.end, 512000), row.at) << row.position << "-" << row.end;
  }
}

TEST(SegmentSplitTest, CompletedSegmentSplitsTheSlowMirrorsRange) {
  TimingScope timing(FastTiming(100, 60000));
  MirrorSet set(3 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorFixture* fast = set.Add({});
  MirrorOptions slowOptions;
  slowOptions.throttle = 400000;
  MirrorFixture* slow = set.Add(slowOptions);
  ASSERT_TRUE(fast && slow);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {fast->Url("/download/pkg.exe"), slow->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());

  // The first split cut segment 1 (slow) at its position + half and gave the
  // upper half to the fast mirror; the slow transfer ends at the byte before.
  const std::map<int, DownloadItem> items = engine.Segments();
  ASSERT_GE(items.size(), 3u);
  const DownloadItem& split = items.at(2);
  EXPECT_EQ(split.url, engine.mirrors[0]);
  EXPECT_GT(split.rangeStart, items.at(1).rangeStart);
  EXPECT_EQ(split.end.load(), set.Package().size - 1);
  const long long sent = fast->PackageBytesSent() + slow->PackageBytesSent();
  EXPECT_LE(sent, set.Package().size * 11 / 10);
}

struct SplitThresholdCase {
  const char* name;
  long long stallAfter;  // bytes the slow mirror sends before it falls silent
  std::uint32_t left;    // end - position of its segment then
  bool splits;
};

class SegmentSplitThresholdTest : public ::testing::TestWithParam<SplitThresholdCase> {};

// Segment 1 [1048576, 2097151] stops at a known position; when segment 0
// completes, the next sweep splits it only if end - position >= 512,000.
TEST_P(SegmentSplitThresholdTest, SplitNeedsHalfAMegabyteLeft) {
  const SplitThresholdCase& row = GetParam();
  TimingScope timing(FastTiming(100, 60000));
  MirrorSet set(2 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions steady;
  steady.throttle = 4000000;  // ends segment 0 only after segment 1 has stopped
  MirrorFixture* fast = set.Add(steady);
  MirrorOptions stalling;
  stalling.stallAfter = row.stallAfter;
  MirrorFixture* slow = set.Add(stalling);
  ASSERT_TRUE(fast && slow);
  ListedMirrorEngine engine;
  engine.mirrors = {fast->Url("/download/pkg.exe"), slow->Url("/download/pkg.exe")};

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  const std::uint32_t position = 1048576 + static_cast<std::uint32_t>(row.stallAfter);
  ASSERT_EQ(2097151 - position, row.left);
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto items = engine.Segments();
        return items.at(0).state.load() == kItemCompleted && items.at(1).position.load() == position;
      },
      5000));
  std::this_thread::sleep_for(600ms);  // several sweeps
  const std::map<int, DownloadItem> items = engine.Segments();
  SCOPED_TRACE(Describe(items));
  if (row.splits) {
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items.at(2).rangeStart, position + row.left / 2);
    EXPECT_EQ(items.at(2).end.load(), 2097151u);
    EXPECT_EQ(items.at(2).url, engine.mirrors[0]);
    EXPECT_EQ(items.at(1).end.load(), position + row.left / 2 - 1);
  } else {
    EXPECT_EQ(items.size(), 2u);
    EXPECT_EQ(items.at(1).end.load(), 2097151u);
  }
  engine.StopDownload();
}

INSTANTIATE_TEST_SUITE_P(Segment, SegmentSplitThresholdTest,
                         ::testing::Values(SplitThresholdCase{"AtThreshold", 536575, 512000, true},
                                           SplitThresholdCase{"OneByteShort", 536576, 511999, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- stalls ----

TEST(SegmentStallTest, StalledSegmentIsHandedOverAtTheSamePosition) {
  TimingScope timing(FastTiming(100, 500));
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions stalling;
  stalling.stallAfter = 300000;
  MirrorFixture* bad = set.Add(stalling);
  MirrorOptions steady;
  steady.throttle = 1500000;  // still busy with its own segment when the stall is seen
  MirrorFixture* good = set.Add(steady);
  ASSERT_TRUE(bad && good);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe"), good->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());

  const std::map<int, DownloadItem> items = engine.Segments();
  SCOPED_TRACE(Describe(items));
  EXPECT_EQ(items.at(0).state.load(), kItemDone);
  EXPECT_EQ(items.at(0).end.load(), 300000u);
  const DownloadItem* taker = FindStartingAt(items, 300000, 2);
  ASSERT_NE(taker, nullptr);
  EXPECT_EQ(taker->url, engine.mirrors[1]);
  EXPECT_FALSE(engine.IsCdnUsed());
}

struct NoHandOverCase {
  const char* name;
  long long stallAfter;
  bool stallingIsCdn;
  long long steadyThrottle;
  std::uint32_t silenceMs;  // 0: no end game, the stall rule alone
};

class SegmentNoHandOverTest : public ::testing::TestWithParam<NoHandOverCase> {};

// Segment 0 falls silent for well over the stall limit, yet stays with its
// mirror: no segment takes over at its position. The steady mirror ends its
// own segment only after segment 0 has stopped, so no split comes first.
TEST_P(SegmentNoHandOverTest, SilentSegmentKeepsItsMirror) {
  const NoHandOverCase& row = GetParam();
  DispatchTiming fast = FastTiming(100, 800);
  fast.silenceMs = row.silenceMs;
  TimingScope timing(fast);
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions stalling;
  stalling.stallAfter = row.stallAfter;
  MirrorFixture* bad = set.Add(stalling);
  MirrorOptions steady;
  steady.throttle = row.steadyThrottle;
  MirrorFixture* good = set.Add(steady);
  ASSERT_TRUE(bad && good);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url(row.stallingIsCdn ? "/download/edgecdn.net/pkg.exe" : "/download/pkg.exe"),
                    good->Url("/download/pkg.exe")};
  if (row.stallingIsCdn) engine.cdnUrl = engine.mirrors[0];
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  const auto stalled = static_cast<std::uint32_t>(row.stallAfter);
  ASSERT_TRUE(WaitFor([&] { return engine.Segments().at(0).position.load() == stalled; }, 5000));
  std::this_thread::sleep_for(2000ms);  // well past the stall limit
  const std::map<int, DownloadItem> items = engine.Segments();
  SCOPED_TRACE(Describe(items));
  EXPECT_EQ(items.at(0).state.load(), kItemRunning);
  EXPECT_EQ(FindStartingAt(items, stalled, 1), nullptr);
  EXPECT_TRUE(engine.IsDownloading());
  engine.StopDownload();
}

INSTANTIATE_TEST_SUITE_P(Segment, SegmentNoHandOverTest,
                         ::testing::Values(NoHandOverCase{"AfterNinetyPercent", 1900000, false, 6000000, 0},
                                           NoHandOverCase{"CdnSegment", 300000, true, 600000, 800}),
                         [](const auto& info) { return std::string(info.param.name); });

// After 90 % the stall rule leaves a silent segment alone, but a mirror that
// has gone idle takes over its rest at the same position long before the
// stall limit, and the silent mirror is not asked again.
TEST(SegmentEndGameTest, IdleMirrorTakesOverASilentSegmentAfterNinetyPercent) {
  DispatchTiming fast = FastTiming(100, 60000);
  fast.silenceMs = 300;
  TimingScope timing(fast);
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions stalling;
  stalling.stallAfter = 1900000;
  MirrorFixture* bad = set.Add(stalling);
  MirrorOptions steady;
  steady.throttle = 4000000;  // ends its segment well after the other has fallen silent
  MirrorFixture* good = set.Add(steady);
  ASSERT_TRUE(bad && good);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe"), good->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(engine.BeginDownload(set.Config(1)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_TRUE(set.TargetMatches());
  const std::map<int, DownloadItem> items = engine.Segments();
  SCOPED_TRACE(Describe(items));
  EXPECT_EQ(items.at(0).state.load(), kItemDone);
  EXPECT_EQ(items.at(0).end.load(), 1900000u);
  const DownloadItem* taker = FindStartingAt(items, 1900000, 2);
  ASSERT_NE(taker, nullptr);
  EXPECT_EQ(taker->url, engine.mirrors[1]);
  for (const auto& [id, item] : items) {
    if (id > 0) {
      EXPECT_NE(item.url, engine.mirrors[0]) << "segment " << id << " went back to the silent mirror";
    }
  }
}

// ---- failures ----

TEST(SegmentFailTest, FailedSegmentWithoutOtherSourceEndsTheDownload) {
  TimingScope timing(FastTiming(100));
  LogCapture log;
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions resetting;
  resetting.resetAfter = 100000;
  MirrorFixture* bad = set.Add(resetting);
  ASSERT_NE(bad, nullptr);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe")};
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(2)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 4);
  EXPECT_EQ(engine.GetDownloadState(), 4);
  EXPECT_FALSE(engine.IsDownloading());
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::DispatchFailError));
  EXPECT_EQ(engine.GetResultString(), "DispatchFailError");
  EXPECT_EQ(engine.GetLastFailLink(), engine.mirrors[0]);
  const std::map<int, DownloadItem> items = engine.Segments();
  const auto failed = std::find_if(items.begin(), items.end(),
                                   [](const auto& entry) { return entry.second.state.load() == kItemFailed; });
  ASSERT_NE(failed, items.end());
  EXPECT_NE(engine.GetCurlError(), 0);
  EXPECT_EQ(engine.GetCurlError(), failed->second.transferResult.load());
  EXPECT_EQ(log.StartingWith("Download_Dispatch link :(" + bad->HostPort() + ").").size(), 1u);
  EXPECT_EQ(notes.Count(5), 0);
  EXPECT_EQ(notes.Count(4), 1);
}

TEST(SegmentFailTest, FailedSegmentRestartsFromTheCdnInReserve) {
  TimingScope timing(FastTiming(100));
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions resetting;
  resetting.resetAfter = 100000;
  MirrorFixture* bad = set.Add(resetting);
  MirrorFixture* cdn = set.Add({});
  ASSERT_TRUE(bad && cdn);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {bad->Url("/download/pkg.exe")};
  engine.cdnUrl = cdn->Url("/download/edgecdn.net/pkg.exe");
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(2)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  EXPECT_TRUE(set.TargetMatches());
  EXPECT_TRUE(engine.IsCdnUsed());
  EXPECT_EQ(engine.GetLastFailLink(), "");
}

// Segment 0 is widened to the whole package; segment 1 starts late and is
// reset with no other mirror to take it. The dispatcher gives up on it, but
// the image is complete, so the download finishes.
TEST(SegmentFailTest, StoppedDispatcherFinishesWhenTheImageVerifies) {
  MirrorSet set(2 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions resetting;
  resetting.resetAfter = set.Package().size + 1000;
  resetting.faultTimes = 1;
  MirrorFixture* mirror = set.Add(resetting);
  ASSERT_NE(mirror, nullptr);
  Notifications notes;
  ListedMirrorEngine engine;
  engine.mirrors = {mirror->Url("/download/pkg.exe")};
  const auto lastByte = static_cast<std::uint32_t>(set.Package().size - 1);
  engine.beforeStart = [&](DownloadItem* item) {
    if (item->id == 0) item->end = lastByte;
    if (item->id == 1) std::this_thread::sleep_for(1000ms);  // segment 0 has all its bytes by then
  };
  engine.SetCallback(notes.Function());

  ASSERT_EQ(engine.BeginDownload(set.Config(2)), S_OK);
  ASSERT_EQ(notes.WaitEnd(), 5);
  SCOPED_TRACE(Describe(engine.Segments()));
  EXPECT_EQ(engine.GetDownloadState(), 5);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::DispatchFailError));
  EXPECT_EQ(notes.Count(4), 0);
  EXPECT_EQ(notes.Count(5), 1);
  EXPECT_TRUE(set.TargetMatches());
}

// ---- stopping ----

TEST(SegmentStopTest, StopMidwayEndsEveryTransferWithoutNotification) {
  TimingScope timing(FastTiming(100));
  MirrorSet set(4 * 1048576);
  ASSERT_TRUE(set.Ok());
  MirrorOptions slow;
  slow.throttle = 500000;
  MirrorFixture* mirror = set.Add(slow);
  ASSERT_NE(mirror, nullptr);
  Notifications notes;
  auto engine = std::make_unique<ListedMirrorEngine>();
  engine->mirrors = {mirror->Url("/download/a.exe"), mirror->Url("/download/b.exe")};
  engine->SetCallback(notes.Function());

  ASSERT_EQ(engine->BeginDownload(set.Config(2)), S_OK);
  ASSERT_TRUE(WaitFor([&] { return notes.Count(3) > 2; }, 5000));
  ASSERT_EQ(engine->StopDownload(), S_OK);
  EXPECT_FALSE(engine->IsDownloading());
  ASSERT_TRUE(WaitFor(
      [&] {
        for (const auto& [id, item] : engine->Segments()) {
          if (item.transfer.load() != nullptr) return false;
        }
        return true;
      },
      3000));
  for (const auto& [id, item] : engine->Segments()) EXPECT_EQ(item.state.load(), kItemDone) << id;
  EXPECT_EQ(notes.WaitEnd(300), 0);
  DownloadStatus status;
  engine->GetDownloadStatus(status);
  EXPECT_EQ(status.totalBytes, 0u);
  EXPECT_EQ(status.downloadedBytes, 0u);

  const auto before = std::chrono::steady_clock::now();
  engine.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - before, 3s);
  EXPECT_EQ(notes.Count(4) + notes.Count(5), 0);
  EXPECT_EQ(notes.Count(7), 4);
}

}  // namespace
}  // namespace orvane::test
