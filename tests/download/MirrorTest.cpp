// Mirror probing: ranking by round-trip time, the limit of five, the CDN in
// reserve, the size probe and the load check, against real mirrors on loopback
// with the ping probe replaced; and the ICMP echo itself.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "download/IcmpPinger.h"
#include "download/MillisecondClock.h"
#include "tests/download/DownloaderTestSupport.h"
#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

namespace orvane::test {
namespace {

// Test mirrors are on loopback addresses with ports; a CDN mirror is recognised
// by the marker in its URL's query text.
const char kCdnSuffix[] = "?cdnedge.test";

// A package and the mirrors serving it, each on its own loopback address.
class MirrorNet {
 public:
  explicit MirrorNet(TempHome& home) : packagePath_(home.Path("package.bin")) {
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
    WriteWholeFile(packagePath_, bytes);
    home.UnsetEnv("http_proxy");
    home.UnsetEnv("HTTP_PROXY");
  }
  static constexpr std::int32_t kSize = 200000;

  // A mirror that takes clients: its load check answers "10".
  static MirrorOptions Healthy() {
    MirrorOptions options;
    options.flag = "10";
    return options;
  }

  // Starts a mirror on `host`; returns its package URL ("" when it did not start).
  std::string Add(const std::string& host, MirrorOptions options = Healthy(), const std::string& suffix = "") {
    options.file = packagePath_;
    options.host = host;
    mirrors_.push_back(std::make_unique<MirrorFixture>(options));
    if (!mirrors_.back()->Start()) {
      ADD_FAILURE() << "mirror on " << host << " did not start";
      return "";
    }
    return mirrors_.back()->Url("/download/p.exe" + suffix);
  }
  MirrorFixture& Mirror(std::size_t i) { return *mirrors_.at(i); }

  static DownloadConfig Config(const std::vector<std::string>& urls, std::int32_t size = kSize) {
    DownloadConfig config;
    config.size = size;
    for (std::size_t i = 0; i < urls.size() && i < DownloadConfig::kMaxUrls; ++i) {
      config.urls[i].url = urls[i];
      config.urls[i].ok = true;
    }
    return config;
  }

 private:
  std::string packagePath_;
  std::vector<std::unique_ptr<MirrorFixture>> mirrors_;
};

std::vector<std::string> UrlsOf(const std::vector<UrlCfg>& list) {
  std::vector<std::string> urls;
  for (const UrlCfg& u : list) urls.push_back(u.url);
  return urls;
}

MirrorOptions WithFlag(const std::string& flag) {
  MirrorOptions options;
  options.flag = flag;
  return options;
}

MirrorOptions WithSize(long long size) {
  MirrorOptions options = MirrorNet::Healthy();
  options.reportedSize = size;
  return options;
}

// ---- URL classification ----

TEST(MirrorUrlTest, HostIsTheTextBetweenSchemeAndDownloadFolder) {
  const std::pair<const char*, const char*> rows[] = {
      {"http://dl1.lumtar.com/download/a.exe", "dl1.lumtar.com"},
      {"http://host:8080/download/a.exe", "host:8080"},
      {"http:///download/a.exe", ""},
      {"https://host/download/a.exe", nullptr},  // no "http://"
      {"http://host/files/a.exe", nullptr},
      {"/download/http://host", nullptr},        // wrong order
  };
  for (const auto& [url, expected] : rows) {
    std::string host = "unchanged";
    EXPECT_EQ(DownloaderCurl::HostOfUrl(url, host), expected != nullptr) << url;
    if (expected != nullptr) {
      EXPECT_EQ(host, expected) << url;
    }
  }
}

TEST(MirrorUrlTest, PortIsLeftOutOfThePingedHost) {
  const std::pair<const char*, const char*> rows[] = {
      {"host:8080", "host"},     {"127.0.0.2:41234", "127.0.0.2"}, {"host", "host"},
      {"host:", "host"},         {"host:http", "host:http"},       {"[::1]:80", "::1"},
  };
  for (const auto& [host, expected] : rows) EXPECT_EQ(DownloaderCurl::HostWithoutPort(host), expected) << host;
}

TEST(MirrorUrlTest, CdnUrlsCarryOneOfTheMarkers) {
  EXPECT_TRUE(DownloaderCurl::IsCdnUrl("http://lumtar.edgecdn.net/download/a.exe"));
  EXPECT_TRUE(DownloaderCurl::IsCdnUrl("http://cdnedge.lumtar.com/download/a.exe"));
  EXPECT_TRUE(DownloaderCurl::IsCdnUrl("http://127.0.0.9:80/download/a.exe?cdnedge.test"));
  EXPECT_FALSE(DownloaderCurl::IsCdnUrl("http://dl1.lumtar.com/download/a.exe"));
  EXPECT_FALSE(DownloaderCurl::IsCdnUrl("http://cdnedge/download/a.exe"));
}

// ---- ranking and the CDN ----

TEST(MirrorProbeTest, SixPassingMirrorsGiveTheFiveFastestAndKeepTheCdnInReserve) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  const std::vector<std::pair<std::string, std::uint32_t>> mirrors = {
      {"127.0.0.2", 50}, {"127.0.0.3", 10}, {"127.0.0.4", 40}, {"127.0.0.5", 20}, {"127.0.0.6", 60}, {"127.0.0.7", 30}};
  std::vector<std::string> urls;
  std::map<std::string, std::uint32_t> times;
  for (const auto& [host, rtt] : mirrors) {
    urls.push_back(net.Add(host));
    times[host] = rtt;
  }
  urls.push_back(net.Add("127.0.0.9", MirrorNet::Healthy(), kCdnSuffix));
  auto pinger = std::make_shared<FakePinger>(times);
  RecordingDownloader engine;
  engine.SetPinger(pinger);

  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used, all;
  engine.GetUsedUrlInfo(used);
  engine.GetAllUrlInfo(all);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[1], urls[3], urls[5], urls[2], urls[0]}));
  for (const UrlCfg& u : used) {
    EXPECT_TRUE(u.ok);
    EXPECT_TRUE(u.networkNotFull);
  }
  EXPECT_EQ(used[0].pingTime, 10u);
  EXPECT_EQ(used[0].host, net.Mirror(1).HostPort());
  EXPECT_EQ(UrlsOf(all), urls);
  EXPECT_EQ(all[6].host, "edgecdn.net");
  EXPECT_TRUE(engine.CdnEntry().ok);
  EXPECT_EQ(engine.CdnEntry().url, urls[6]);
  EXPECT_FALSE(engine.IsCdnUsed());
  EXPECT_EQ(engine.GetThreadsPerUrl(), 2);
  // The CDN is never pinged; the others are pinged without their port.
  EXPECT_EQ(pinger->Asked(), (std::vector<std::string>{"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5",
                                                       "127.0.0.6", "127.0.0.7"}));
  EXPECT_TRUE(log.Contains("Download_CheckPing: ID(1), Invalid(true), time(10)."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: ID(5), FileSizeConsistent(true) NetworkNotFull(true)."));
  EXPECT_FALSE(log.Contains("Ama"));
}

TEST(MirrorProbeTest, TwoPassingMirrorsGetTheCdnAppended) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  const std::vector<std::string> urls = {
      net.Add("127.0.0.2", WithSize(MirrorNet::kSize + 1)),  // another size
      net.Add("127.0.0.3"),
      net.Add("127.0.0.4", WithFlag("0")),                   // full
      net.Add("127.0.0.5"),
      net.Add("127.0.0.6"),                                  // does not answer the ping
      net.Add("127.0.0.9", MirrorNet::Healthy(), kCdnSuffix),
  };
  RecordingDownloader engine;
  engine.SetPinger(std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{
      {"127.0.0.2", 1}, {"127.0.0.3", 30}, {"127.0.0.4", 2}, {"127.0.0.5", 20}}));
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[3], urls[1], urls[5]}));
  EXPECT_EQ(used[2].host, "edgecdn.net");
  EXPECT_EQ(engine.GetThreadsPerUrl(), 2);
  EXPECT_FALSE(engine.IsCdnUsed());
  EXPECT_TRUE(log.Contains("Download_CheckDownload: ID(0), FileSizeConsistent(false) NetworkNotFull(false)."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: ID(2), FileSizeConsistent(true) NetworkNotFull(false)."));
  EXPECT_TRUE(log.Contains("Download_CheckPing: ID(4), Invalid(false), time(0)."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 2."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: Add Ama now."));
  // The mirror that did not answer the ping was asked nothing.
  EXPECT_TRUE(net.Mirror(4).Requests().empty());
}

TEST(MirrorProbeTest, NoPassingMirrorLeavesTheCdnAloneWithFiveThreads) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  const std::vector<std::string> urls = {net.Add("127.0.0.2", WithFlag("0")), net.Add("127.0.0.3", MirrorNet::Healthy(), kCdnSuffix)};
  RecordingDownloader engine;
  engine.SetPinger(std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.2", 3}}));
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[1]}));
  EXPECT_EQ(engine.GetThreadsPerUrl(), 5);
  EXPECT_TRUE(log.Contains("Download_CheckDownload: Warring, m_vecUrlCfg.size() <= 0."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: Using Ama now."));
  // The CDN gets no load check.
  for (const MirrorRequest& r : net.Mirror(1).Requests()) EXPECT_NE(r.path, "/flag.php");
}

TEST(MirrorProbeTest, CdnOfTheWrongSizeFailsTheProbeAndTheDownload) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  const std::vector<std::string> urls = {net.Add("127.0.0.2", WithFlag("1")),
                                         net.Add("127.0.0.3", WithSize(5), kCdnSuffix)};
  auto pinger = std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.2", 3}});
  {
    RecordingDownloader engine;
    engine.SetPinger(pinger);
    EXPECT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), E_FAIL);
    std::vector<UrlCfg> used, all;
    engine.GetUsedUrlInfo(used);
    engine.GetAllUrlInfo(all);
    EXPECT_TRUE(used.empty());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_FALSE(all[1].ok);
    EXPECT_FALSE(engine.CdnEntry().ok);
    EXPECT_TRUE(log.Contains("Download_CheckDownload: ERROR : con't find Ama now."));
  }
  // Through the whole start: the load ends failed with the probe's result code.
  DownloaderCurl engine;
  engine.SetPinger(pinger);
  NotifyRecorder notes;
  engine.SetCallback(notes.Callback());
  std::string xml = "<download version=\"1\" size=\"200000\"><url size=\"2\">";
  xml += "<item_0 value=\"" + urls[0] + "\"/><item_1 value=\"" + urls[1] + "\"/></url>";
  xml += "<hash size=\"1\"><item_0 value=\"00000000000000000000000000000000\"/></hash></download>";
  ASSERT_EQ(engine.BeginDownloadFromData(xml.c_str(), xml.size(), home.Path("out/p.exe")), S_OK);
  ASSERT_TRUE(notes.WaitForEnd());
  EXPECT_EQ(notes.All(), (std::vector<Notification>{{4, 0, 0, {}}}));
  EXPECT_EQ(engine.GetResultString(), "DownloadCheckUrlError");
  EXPECT_EQ(engine.GetDownloadState(), 4);
  EXPECT_FALSE(engine.IsDownloading());
}

TEST(MirrorProbeTest, LoadCheckKeepsOnlyAnswersOfTwoOrMoreCharactersBeginningWithOne) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  MirrorOptions silent;
  silent.flagSilent = true;
  struct Row {
    MirrorOptions options;
    bool kept;
  };
  const Row rows[] = {{WithFlag("0"), false}, {WithFlag("1"), false}, {WithFlag("10"), true},
                      {WithFlag("1 busy"), true}, {WithFlag(""), false}, {WithFlag("01"), false}, {silent, false}};
  std::vector<std::string> urls;
  std::vector<std::string> kept;
  std::map<std::string, std::uint32_t> times;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const std::string host = "127.0.0." + std::to_string(2 + i);
    urls.push_back(net.Add(host, rows[i].options));
    times[host] = static_cast<std::uint32_t>(10 + i);
    if (rows[i].kept) kept.push_back(urls.back());
  }
  RecordingDownloader engine;
  engine.SetPinger(std::make_shared<FakePinger>(times));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  // The silent mirror costs its 2-second limit, no more.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), kept);
  EXPECT_TRUE(log.Contains("Download : GetNetworkNotFull IP(" + net.Mirror(0).HostPort() + "), Result(0)."));
  EXPECT_TRUE(log.Contains("Download : GetNetworkNotFull IP(" + net.Mirror(6).HostPort() + "), Result(error)."));
  EXPECT_TRUE(log.Contains("Download_CheckDownload: Add Ama fail."));
}

TEST(MirrorProbeTest, EqualPingTimesKeepDescriptorOrder) {
  TempHome home;
  MirrorNet net(home);
  const std::vector<std::string> urls = {net.Add("127.0.0.4"), net.Add("127.0.0.2"), net.Add("127.0.0.5"),
                                         net.Add("127.0.0.3")};
  RecordingDownloader engine;
  engine.SetPinger(std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{
      {"127.0.0.2", 7}, {"127.0.0.3", 7}, {"127.0.0.4", 7}, {"127.0.0.5", 3}}));
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[2], urls[0], urls[1], urls[3]}));
}

TEST(MirrorProbeTest, MirrorWithAPortIsPingedByAddressAndCheckedWithItsPort) {
  TempHome home;
  MirrorNet net(home);
  const std::vector<std::string> urls = {net.Add("127.0.0.2"), net.Add("127.0.0.3")};
  auto pinger = std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.2", 1}, {"127.0.0.3", 2}});
  RecordingDownloader engine;
  engine.SetPinger(pinger);
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), urls);
  EXPECT_EQ(used[0].host, net.Mirror(0).HostPort());
  EXPECT_EQ(pinger->Asked(), (std::vector<std::string>{"127.0.0.2", "127.0.0.3"}));
  bool sizeAsked = false, loadAsked = false;
  for (const MirrorRequest& r : net.Mirror(0).Requests()) {
    sizeAsked |= r.method == "HEAD" && r.path == "/download/p.exe";
    loadAsked |= r.method == "GET" && r.path == "/flag.php";
  }
  EXPECT_TRUE(sizeAsked);
  EXPECT_TRUE(loadAsked);
}

TEST(MirrorProbeTest, SecondCdnUrlIsProbedLikeAMirrorButNeverUsed) {
  TempHome home;
  MirrorNet net(home);
  const std::vector<std::string> urls = {net.Add("127.0.0.2", WithSize(1), kCdnSuffix),  // wrong size
                                         net.Add("127.0.0.3", MirrorNet::Healthy(), kCdnSuffix),           // the CDN entry
                                         net.Add("127.0.0.4", MirrorNet::Healthy(), kCdnSuffix),           // a later CDN URL
                                         net.Add("127.0.0.5")};
  auto pinger = std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.4", 1}, {"127.0.0.5", 2}});
  RecordingDownloader engine;
  engine.SetPinger(pinger);
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[3], urls[1]}));
  EXPECT_EQ(engine.CdnEntry().url, urls[1]);
  EXPECT_EQ(pinger->Asked(), (std::vector<std::string>{"127.0.0.4", "127.0.0.5"}));
}

// ---- size probe and text requests ----

TEST(MirrorProbeTest, SizeProbeReportsContentLengthOrAnImpossibleValue) {
  TempHome home;
  LogCapture log;
  MirrorNet net(home);
  const std::string url = net.Add("127.0.0.2");
  MirrorOptions notFound;
  notFound.status = 404;
  DownloaderCurl engine;
  EXPECT_EQ(engine.GetDownloadFileLenth(url), 200000u);
  EXPECT_TRUE(log.Contains("Download_GetDownloadFileLenth : result(200000), url_err(0)."));
  EXPECT_EQ(engine.GetDownloadFileLenth("http://127.0.0.1:1/download/p.exe"), 0xFFFFFFFFu);
  EXPECT_EQ(engine.HttpGetText("http://127.0.0.1:1/flag.php"), "error");
  EXPECT_EQ(engine.HttpGetText(net.Mirror(0).Url("/flag.php")), "10");
  // A proxy set on the engine carries every request: here one that does not exist.
  engine.SetProxy("http://127.0.0.1:1");
  EXPECT_EQ(engine.HttpGetText(net.Mirror(0).Url("/flag.php")), "error");
  EXPECT_EQ(engine.GetDownloadFileLenth(url), 0xFFFFFFFFu);
}

// A TCP port on 127.0.0.1 that takes connections (in the kernel's backlog) and never answers.
class SilentPort {
 public:
  SilentPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 16) == 0 &&
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
    }
  }
  ~SilentPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  SilentPort(const SilentPort&) = delete;
  SilentPort& operator=(const SilentPort&) = delete;
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

TEST(MirrorProbeTest, MirrorThatNeverAnswersTheSizeProbeIsDroppedInBoundedTime) {
  TempHome home;
  MirrorNet net(home);
  SilentPort silent;
  ASSERT_NE(silent.Port(), 0);
  const std::vector<std::string> urls = {"http://127.0.0.1:" + std::to_string(silent.Port()) + "/download/p.exe",
                                         net.Add("127.0.0.2")};
  RecordingDownloader engine;
  engine.SetPinger(std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.1", 1}, {"127.0.0.2", 2}}));
  engine.SetSizeProbeTimeout(500);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(engine.CheckDownload(MirrorNet::Config(urls)), S_OK);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  EXPECT_EQ(UrlsOf(used), (std::vector<std::string>{urls[1]}));
}

// ---- ICMP echo ----

TEST(MirrorIcmpTest, EchoRequestHasItsLayoutAndAValidChecksum) {
  unsigned char packet[IcmpPinger::kRequestSize];
  IcmpPinger::BuildEchoRequest(packet, 0x1234, 0xABCD, 0x01020304);
  EXPECT_EQ(packet[0], 8);
  EXPECT_EQ(packet[1], 0);
  EXPECT_EQ(packet[4], 0x34);
  EXPECT_EQ(packet[5], 0x12);
  EXPECT_EQ(packet[6], 0xCD);
  EXPECT_EQ(packet[7], 0xAB);
  EXPECT_EQ(packet[8], 0x04);
  EXPECT_EQ(packet[11], 0x01);
  for (std::size_t i = 12; i < sizeof packet; ++i) EXPECT_EQ(packet[i], 0) << i;
  // A correct Internet checksum makes the sum over the whole packet come out as zero.
  EXPECT_EQ(IcmpPinger::Checksum(packet, sizeof packet), 0);
  EXPECT_NE(packet[2] | packet[3], 0);
  // Known value: RFC 1071's example words 0001 f203 f4f5 f6f7 sum to ddf2, checksum 220d.
  const unsigned char words[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
  EXPECT_EQ(IcmpPinger::Checksum(words, sizeof words), 0x220d);
}

TEST(MirrorIcmpTest, PingsLoopbackOrSaysWhyItCannot) {
  IcmpPinger pinger;
  if (!pinger.IsValid()) {
    EXPECT_NE(pinger.SetupError().find("raw ICMP socket"), std::string::npos);
    PingResult result;
    EXPECT_FALSE(pinger.PingHost("127.0.0.1", &result, 100));
    EXPECT_NE(pinger.LastError().find("no ICMP socket"), std::string::npos);
    GTEST_SKIP() << "no ICMP socket here: " << pinger.SetupError();
  }
  PingResult result;
  ASSERT_TRUE(pinger.PingHost("127.0.0.1", &result, 2000)) << pinger.LastError();
  EXPECT_LT(result.roundTripMs, 1000u);
  EXPECT_EQ(result.dataLength, 32);
  PingResult second;
  ASSERT_TRUE(pinger.PingHost("127.0.0.1", &second, 2000));
  EXPECT_EQ(static_cast<std::uint16_t>(result.sequence + 1), second.sequence);
  EXPECT_FALSE(pinger.PingHost("not-an-address", &result, 100));
  EXPECT_NE(pinger.LastError().find("not a dotted IPv4 address"), std::string::npos);

  IcmpHostPinger byName(2000);
  std::uint32_t rtt = 12345;
  EXPECT_TRUE(byName.Ping("localhost", rtt));
  EXPECT_LT(rtt, 1000u);
}

// 0: every failure explained; 1: not explained; 4: this system lets the user ping.
int PingWithoutPrivilege() {
  IcmpPinger probe;
  if (probe.IsValid()) return 4;
  LogCapture log;
  IcmpHostPinger pinger(100);
  std::uint32_t rtt = 0;
  const bool answered = pinger.Ping("127.0.0.1", rtt);
  const bool explained = log.Contains("Download_CheckPing : no ICMP socket for 127.0.0.1") &&
                         log.Contains("needs root or CAP_NET_RAW") && log.Contains("ping_group_range");
  return !answered && explained ? 0 : 1;
}

TEST(MirrorIcmpTest, WithoutPrivilegeTheLogSaysWhyEveryPingFails) {
  int outcome = 0;
  if (::geteuid() != 0) {
    outcome = PingWithoutPrivilege();
  } else {
    // Run the probe as "nobody" in a child process.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
      ::_exit(PingWithoutPrivilege());
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    outcome = WEXITSTATUS(status);
  }
  if (outcome == 4) GTEST_SKIP() << "this system allows unprivileged ICMP echo";
  EXPECT_EQ(outcome, 0);
}

TEST(MirrorIcmpTest, ResolveHostGivesDottedAddressOrNothing) {
  EXPECT_EQ(ResolveHost("127.0.0.1"), "127.0.0.1");
  EXPECT_EQ(ResolveHost("localhost"), "127.0.0.1");
  EXPECT_EQ(ResolveHost("no-such-host.invalid"), "");
}

TEST(MirrorIcmpTest, MillisecondClockFollowsElapsedTime) {
  const std::uint32_t before = MillisecondClock();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::uint32_t elapsed = MillisecondClock() - before;
  EXPECT_GE(elapsed, 45u);
  EXPECT_LT(elapsed, 2000u);
}

}  // namespace
}  // namespace orvane::test
