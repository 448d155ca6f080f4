#include "app/Log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

std::atomic<std::uint32_t> g_fakeTick{0};
std::uint32_t FakeTick() { return g_fakeTick.load(); }

std::mutex g_sinkMutex;
std::vector<std::string> g_sunk;
int RecordingSink(const char* message) {
  std::lock_guard lock(g_sinkMutex);
  g_sunk.emplace_back(message);
  return 0;
}

const std::string kHeader = "\n\n----------------------------------------\n00:00:00 : Init Log OK.\n";

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetTickSource(&FakeTick);
    g_fakeTick = 5000;
    std::lock_guard lock(g_sinkMutex);
    g_sunk.clear();
  }
  void TearDown() override {
    platform::SetTickSource(nullptr);
    log_.SetSink(nullptr);
  }

  test::TempHome home_;
  ILog log_;
  std::string path_ = home_.Path("Documents/Lumtar/Orvane/Log/install.log");
};

TEST_F(LogTest, OpenCreatesFoldersAndWritesHeader) {
  EXPECT_EQ(log_.Open(path_), 1);
  EXPECT_EQ(test::ReadWholeFile(path_), kHeader);
}

TEST_F(LogTest, TwoRunsAppendTwoHeaderBlocks) {
  log_.Open(path_);
  log_.WriteLine("first run");
  ILog second;
  second.Open(path_);
  second.WriteLine("second run");
  EXPECT_EQ(test::ReadWholeFile(path_),
            kHeader + "00:00:00 : first run\n" + kHeader + "00:00:00 : second run\n");
}

TEST_F(LogTest, LineIsPrefixMessageAndOneBreak) {
  log_.Open(path_);
  log_.WriteLine("abc");
  log_.WriteLine("abc\n");
  EXPECT_EQ(test::ReadWholeFile(path_), kHeader + "00:00:00 : abc\n00:00:00 : abc\n\n");
}

TEST_F(LogTest, PrefixCountsWholeSecondsSinceOpen) {
  struct Case {
    std::uint32_t elapsedMs;
    const char* prefix;
  };
  const Case cases[] = {
      {0, "00:00:00 : "},           {999, "00:00:00 : "},         {3725000, "01:02:05 : "},
      {359999000, "99:59:59 : "},   {360000000, "100:00:00 : "},  {4294967295u, "1193:02:47 : "},
  };
  for (const auto& c : cases) EXPECT_EQ(ILog::FormatTimePrefix(c.elapsedMs), c.prefix) << c.elapsedMs;

  log_.Open(path_);
  g_fakeTick = 5000 + 360000000u;  // 100 hours later
  log_.WriteLine("late");
  EXPECT_NE(test::ReadWholeFile(path_).find("\n100:00:00 : late\n"), std::string::npos);
}

TEST_F(LogTest, ElapsedTimeSurvivesTickWrap) {
  g_fakeTick = 0xFFFFF000u;
  log_.Open(path_);
  g_fakeTick = 0x00001000u + 61000u;  // wrapped: 0x2000 ms + 61 s after open
  log_.WriteLine("wrapped");
  EXPECT_NE(test::ReadWholeFile(path_).find("00:01:09 : wrapped\n"), std::string::npos);
}

TEST_F(LogTest, UnwritableLogLosesLineButSinkGetsIt) {
  // A regular file where the log folder should be: the log cannot be created,
  // even for root (a read-only mode bit would not stop root).
  test::WriteWholeFile(home_.Path("blocker"), "x");
  log_.SetSink(&RecordingSink);
  log_.Open(home_.Path("blocker/Log/install.log"));
  log_.WriteLine("kept in the sink");
  std::lock_guard lock(g_sinkMutex);
  ASSERT_EQ(g_sunk.size(), 1u);
  EXPECT_EQ(g_sunk[0], "kept in the sink");
}

TEST_F(LogTest, LinesBeforeOpenReachOnlyTheSink) {
  log_.SetSink(&RecordingSink);
  log_.WriteLine("early");
  std::lock_guard lock(g_sinkMutex);
  EXPECT_EQ(g_sunk, std::vector<std::string>{"early"});
  EXPECT_FALSE(test::ReadWholeFile(path_).size());
}

TEST_F(LogTest, LongMessageIsCutToTheBuffer) {
  GetLog().Open(path_);
  const std::string huge(20000, 'x');
  WriteLog("%s", huge.c_str());
  const std::string content = test::ReadWholeFile(path_);
  const std::string expected = "00:00:00 : " + std::string(ILog::kMessageBufferSize - 1, 'x') + "\n";
  EXPECT_EQ(content, kHeader + expected);
}

TEST_F(LogTest, ConcurrentLinesNeverInterleave) {
  log_.Open(path_);
  constexpr int kThreads = 6;
  constexpr int kLines = 150;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kLines; ++i) {
        log_.WriteLine(("thread " + std::to_string(t) + " line " + std::to_string(i) + " " + std::string(200, 'a' + t)).c_str());
      }
    });
  }
  for (auto& thread : threads) thread.join();

  std::istringstream content(test::ReadWholeFile(path_).substr(kHeader.size()));
  std::set<std::string> seen;
  for (std::string line; std::getline(content, line);) {
    ASSERT_EQ(line.rfind("00:00:00 : thread ", 0), 0u) << line;
    const char fill = line.back();
    ASSERT_EQ(line.substr(line.size() - 200), std::string(200, fill)) << line;
    seen.insert(line);
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kLines));
}

}  // namespace
}  // namespace orvane
