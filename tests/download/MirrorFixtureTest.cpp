// Checks the test mirror itself with a bare socket client, so that the faults it
// injects (stall, reset, wrong bytes) are seen exactly as a downloader sees them.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

namespace orvane::test {
namespace {

constexpr long long kMiB = 1024 * 1024;

// How one raw HTTP exchange ended.
struct Exchange {
  int status = 0;
  std::string headers;
  std::string body;     // bytes after the header block
  bool closed = false;  // the server closed (FIN)
  bool reset = false;   // the server reset the connection
  bool timedOut = false;
  std::string Header(const std::string& name) const {
    const auto at = headers.find("\r\n" + name + ": ");
    if (at == std::string::npos) return "";
    const auto start = at + name.size() + 4;
    return headers.substr(start, headers.find("\r\n", start) - start);
  }
};

// Sends one request and reads until `expectBody` body bytes arrived, the server
// ended the connection, or nothing came for `idleMs`.
Exchange Fetch(const MirrorFixture& mirror, const std::string& request, long long expectBody, int idleMs = 1500) {
  Exchange result;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(mirror.Port()));
  ::inet_pton(AF_INET, mirror.Host().c_str(), &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return result;
  }
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string data;
  std::size_t headerEnd = std::string::npos;
  for (;;) {
    if (headerEnd != std::string::npos && static_cast<long long>(data.size() - headerEnd) >= expectBody) break;
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, idleMs) <= 0) {
      result.timedOut = true;
      break;
    }
    char buffer[65536];
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got == 0) {
      result.closed = true;
      break;
    }
    if (got < 0) {
      result.reset = errno == ECONNRESET;
      break;
    }
    data.append(buffer, static_cast<std::size_t>(got));
    if (headerEnd == std::string::npos) {
      const auto at = data.find("\r\n\r\n");
      if (at != std::string::npos) headerEnd = at + 4;
    }
  }
  ::close(fd);
  if (headerEnd == std::string::npos) {
    result.body = data;
    return result;
  }
  result.headers = data.substr(0, headerEnd);
  result.body = data.substr(headerEnd);
  std::sscanf(result.headers.c_str(), "HTTP/1.1 %d", &result.status);
  return result;
}

std::string Get(const std::string& path, const std::string& range = "", const char* method = "GET") {
  std::string request = std::string(method) + " " + path + " HTTP/1.1\r\nHost: mirror\r\n";
  if (!range.empty()) request += "Range: " + range + "\r\n";
  return request + "\r\n";
}

class MirrorFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(MakeTestPackage(home_.Path("pkg.bin"), 3 * kMiB + 1234, 7, &package_));
    content_ = ReadWholeFile(package_.path);
  }
  MirrorOptions Options() const {
    MirrorOptions options;
    options.file = package_.path;
    return options;
  }

  TempHome home_;
  TestPackage package_;
  std::string content_;
};

TEST_F(MirrorFixtureTest, ServesByteRanges) {
  MirrorFixture mirror(Options());
  ASSERT_TRUE(mirror.Start());
  const long long size = package_.size;
  struct Case {
    std::string range;
    int status;
    long long first, last;  // expected slice, inclusive
  } cases[] = {
      {"", 200, 0, size - 1},
      {"bytes=0-99", 206, 0, 99},
      {"bytes=" + std::to_string(kMiB) + "-" + std::to_string(2 * kMiB - 1), 206, kMiB, 2 * kMiB - 1},
      {"bytes=3145000-", 206, 3145000, size - 1},
      {"bytes=-10", 206, size - 10, size - 1},
      {"bytes=100-99999999", 206, 100, size - 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    const long long length = c.last - c.first + 1;
    const Exchange got = Fetch(mirror, Get("/download/any.exe", c.range), length);
    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(got.Header("Content-Length"), std::to_string(length));
    if (c.status == 206) {
      EXPECT_EQ(got.Header("Content-Range"),
                "bytes " + std::to_string(c.first) + "-" + std::to_string(c.last) + "/" + std::to_string(size));
    }
    EXPECT_TRUE(got.body == content_.substr(c.first, length));
  }
  const Exchange unsatisfiable = Fetch(mirror, Get("/download/any.exe", "bytes=99999999-"), 0);
  EXPECT_EQ(unsatisfiable.status, 416);
  const Exchange head = Fetch(mirror, Get("/download/x", "", "HEAD"), 0);
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.Header("Content-Length"), std::to_string(size));
  EXPECT_TRUE(head.body.empty());
  EXPECT_EQ(Fetch(mirror, Get("/elsewhere"), 0).status, 404);
}

TEST_F(MirrorFixtureTest, LogsEveryRequestWithBytesSent) {
  MirrorFixture mirror(Options());
  ASSERT_TRUE(mirror.Start());
  Fetch(mirror, Get("/download/pkg.exe", "", "HEAD"), 0);
  Fetch(mirror, Get("/download/pkg.exe", "bytes=6-105"), 100);
  Fetch(mirror, Get("/flag.php"), 1);
  mirror.Stop();
  const auto requests = mirror.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].method, "HEAD");
  EXPECT_EQ(requests[0].bytesSent, 0);
  EXPECT_EQ(requests[1].method, "GET");
  EXPECT_EQ(requests[1].path, "/download/pkg.exe");
  EXPECT_EQ(requests[1].range, "bytes=6-105");
  EXPECT_EQ(requests[1].status, 206);
  EXPECT_EQ(requests[1].rangeStart, 6);
  EXPECT_EQ(requests[1].rangeEnd, 105);
  EXPECT_EQ(requests[1].bytesSent, 100);
  EXPECT_EQ(requests[1].outcome, "complete");
  EXPECT_EQ(requests[2].path, "/flag.php");
  EXPECT_EQ(requests[2].range, "");
  EXPECT_EQ(mirror.PackageBytesSent(), 100);
}

TEST_F(MirrorFixtureTest, ReportsAnotherSizeAndFlagText) {
  MirrorOptions options = Options();
  options.reportedSize = 12345;
  options.flag = "0 full";
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  EXPECT_EQ(Fetch(mirror, Get("/download/p", "", "HEAD"), 0).Header("Content-Length"), "12345");
  const Exchange flag = Fetch(mirror, Get("/flag.php"), 6);
  EXPECT_EQ(flag.status, 200);
  EXPECT_EQ(flag.body, "0 full");
}

TEST_F(MirrorFixtureTest, SilentFlagHoldsTheConnectionOpen) {
  MirrorOptions options = Options();
  options.flagSilent = true;
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  const Exchange flag = Fetch(mirror, Get("/flag.php"), 1, 500);
  EXPECT_TRUE(flag.timedOut);
  EXPECT_TRUE(flag.headers.empty() && flag.body.empty());
  mirror.Stop();
  const auto requests = mirror.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].outcome, "silent");
}

TEST_F(MirrorFixtureTest, StallsAfterTheServerWideByteCount) {
  MirrorOptions options = Options();
  options.stallAfter = 150000;
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  const Exchange first = Fetch(mirror, Get("/download/p", "bytes=0-99999"), 100000, 500);
  EXPECT_EQ(first.body.size(), 100000u);
  // The second response crosses the count: 50,000 bytes, then silence with the socket open.
  const Exchange second = Fetch(mirror, Get("/download/p", "bytes=0-99999"), 100000, 500);
  EXPECT_EQ(second.status, 206);
  EXPECT_EQ(second.body.size(), 50000u);
  EXPECT_TRUE(second.timedOut);
  EXPECT_TRUE(second.body == content_.substr(0, 50000));
  // Later requests get headers and no body at all.
  const Exchange third = Fetch(mirror, Get("/download/p", "bytes=0-9"), 10, 300);
  EXPECT_TRUE(third.timedOut);
  EXPECT_TRUE(third.body.empty());
  mirror.Stop();
  const auto requests = mirror.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(mirror.PackageBytesSent(), 150000);
  EXPECT_EQ(requests[0].outcome, "complete");
  // The client gave up on the stalled ones, so they end as stalled either way.
  EXPECT_EQ(requests[1].bytesSent, 50000);
}

TEST_F(MirrorFixtureTest, ResetsTheConnectionOnceWhenAsked) {
  MirrorOptions options = Options();
  options.resetAfter = 70000;
  options.faultTimes = 1;
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  const Exchange broken = Fetch(mirror, Get("/download/p", "bytes=0-199999"), 200000);
  EXPECT_TRUE(broken.reset);
  EXPECT_FALSE(broken.closed);
  EXPECT_LE(broken.body.size(), 70000u);
  const Exchange next = Fetch(mirror, Get("/download/p", "bytes=0-199999"), 200000);
  EXPECT_EQ(next.body.size(), 200000u);
  mirror.Stop();
  const auto requests = mirror.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].outcome, "reset");
  EXPECT_EQ(requests[0].bytesSent, 70000);
  EXPECT_EQ(requests[1].outcome, "complete");
}

TEST_F(MirrorFixtureTest, FlipsOnlyTheChosenBytes) {
  MirrorOptions options = Options();
  const long long bad = 2 * kMiB + 17;
  options.flipOffsets = {bad};
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  const Exchange whole = Fetch(mirror, Get("/download/p"), package_.size);
  ASSERT_EQ(static_cast<long long>(whole.body.size()), package_.size);
  for (long long i = 0; i < package_.size; ++i) {
    if (whole.body[i] != content_[i]) {
      EXPECT_EQ(i, bad);
      EXPECT_EQ(static_cast<unsigned char>(whole.body[i]), static_cast<unsigned char>(~content_[i]));
    }
  }
  EXPECT_NE(whole.body[bad], content_[bad]);
  const Exchange inRange = Fetch(mirror, Get("/download/p", "bytes=" + std::to_string(bad) + "-" + std::to_string(bad)), 1);
  EXPECT_NE(inRange.body, content_.substr(bad, 1));
}

TEST_F(MirrorFixtureTest, CanIgnoreRangesOrFail) {
  MirrorOptions ignoring = Options();
  ignoring.ignoreRange = true;
  MirrorFixture whole(ignoring);
  ASSERT_TRUE(whole.Start());
  const Exchange got = Fetch(whole, Get("/download/p", "bytes=10-19"), package_.size);
  EXPECT_EQ(got.status, 200);
  EXPECT_EQ(static_cast<long long>(got.body.size()), package_.size);

  for (int status : {404, 500}) {
    MirrorOptions failing = Options();
    failing.status = status;
    MirrorFixture mirror(failing);
    ASSERT_TRUE(mirror.Start());
    EXPECT_EQ(Fetch(mirror, Get("/download/p", "bytes=0-9"), 0).status, status);
    EXPECT_EQ(Fetch(mirror, Get("/flag.php"), 1).body, "1");
  }
}

TEST_F(MirrorFixtureTest, ThrottlesAcrossConnections) {
  MirrorOptions options = Options();
  options.throttle = 1000000;
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  const auto start = std::chrono::steady_clock::now();
  Exchange first, second;
  std::thread parallel([&] { first = Fetch(mirror, Get("/download/p", "bytes=0-299999"), 300000); });
  second = Fetch(mirror, Get("/download/p", "bytes=0-299999"), 300000);
  parallel.join();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(first.body.size(), 300000u);
  EXPECT_EQ(second.body.size(), 300000u);
  // Two connections at once share the budget: 600,000 bytes at 1,000,000 bytes/s
  // cannot take less than ~0.6 s (a cap per connection would take ~0.3 s).
  EXPECT_GE(elapsed, std::chrono::milliseconds(550));
}

TEST_F(MirrorFixtureTest, BindsTheChosenLoopbackAddress) {
  MirrorOptions options = Options();
  options.host = "127.0.0.3";
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());
  EXPECT_EQ(mirror.Host(), "127.0.0.3");
  EXPECT_GT(mirror.Port(), 0);
  EXPECT_EQ(mirror.Url("/download/a.exe"), "http://127.0.0.3:" + std::to_string(mirror.Port()) + "/download/a.exe");
  EXPECT_EQ(Fetch(mirror, Get("/flag.php"), 1).body, "1");
}

TEST(MirrorPackageTest, DigestsCoverEveryChunk) {
  TempHome home;
  struct Case {
    long long size;
    std::size_t chunks;
  } cases[] = {{1, 1}, {kMiB, 1}, {kMiB + 1, 2}, {3 * kMiB, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    TestPackage package;
    ASSERT_TRUE(MakeTestPackage(home.Path("a"), c.size, 3, &package));
    EXPECT_EQ(static_cast<long long>(ReadWholeFile(package.path).size()), c.size);
    EXPECT_EQ(package.chunkMd5.size(), c.chunks);
    for (const std::string& digest : package.chunkMd5) EXPECT_EQ(digest.size(), 32u);
    EXPECT_EQ(package.wholeMd5.size(), 32u);
    EXPECT_EQ(package.wholeMd5.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  }
}

TEST(MirrorPackageTest, SameSeedGivesTheSameBytes) {
  TempHome home;
  TestPackage first, again, other;
  ASSERT_TRUE(MakeTestPackage(home.Path("a"), kMiB + 1, 3, &first));
  ASSERT_TRUE(MakeTestPackage(home.Path("b"), kMiB + 1, 3, &again));
  ASSERT_TRUE(MakeTestPackage(home.Path("c"), kMiB + 1, 4, &other));
  EXPECT_EQ(ReadWholeFile(first.path), ReadWholeFile(again.path));
  EXPECT_EQ(first.wholeMd5, again.wholeMd5);
  EXPECT_EQ(first.chunkMd5, again.chunkMd5);
  EXPECT_NE(first.wholeMd5, other.wholeMd5);
}

TEST(MirrorPackageTest, DescriptorListsUrlsAndDigestsInOrder) {
  TestPackage package{"p", 2 * kMiB, "W", {"A", "B"}};
  const std::string xml = DescriptorXml(package, {"http://127.0.0.2:80/download/p.exe", "http://h/download/p.exe"});
  EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<download size=\"2097152\"", 0), 0u);
  EXPECT_NE(xml.find("version=\"1\""), std::string::npos);
  EXPECT_NE(xml.find("<url size=\"2\">"), std::string::npos);
  EXPECT_NE(xml.find("<item_1 value=\"http://h/download/p.exe\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<hash size=\"3\">\n    <item_0 value=\"W\"/>\n    <item_1 value=\"A\"/>\n    <item_2 value=\"B\"/>"),
            std::string::npos);
}

TEST(MirrorPackageTest, LogParserReadsFieldsAndSkipsBadLines) {
  const auto requests = ParseMirrorLog(
      "{\"id\":2,\"method\":\"GET\",\"path\":\"/download/a\\\"b\",\"range\":null,\"status\":206,"
      "\"start\":5,\"end\":9,\"bytes\":3,\"outcome\":\"aborted\"}\n"
      "garbage\n"
      "{\"id\":1,\"method\":\"HEAD\",\"path\":\"/flag.php\",\"range\":\"bytes=1-\"}\n");
  ASSERT_EQ(requests.size(), 2u);  // put back in arrival order
  EXPECT_EQ(requests[0].range, "bytes=1-");
  EXPECT_EQ(requests[0].rangeStart, -1);
  EXPECT_EQ(requests[1].path, "/download/a\"b");
  EXPECT_EQ(requests[1].range, "");
  EXPECT_EQ(requests[1].rangeStart, 5);
  EXPECT_EQ(requests[1].rangeEnd, 9);
  EXPECT_EQ(requests[1].bytesSent, 3);
  EXPECT_EQ(requests[1].outcome, "aborted");
}

}  // namespace
}  // namespace orvane::test
