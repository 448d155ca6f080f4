// Mirror ranking with real ICMP echo: six mirrors on 127.0.0.2-7 inside a private
// network namespace, each with its own round-trip time, probed by the engine's
// own pinger. Needs root (raw socket, namespace, tc); skipped otherwise.
//
// Delays come from `tc netem` on loopback when the kernel has it; on kernels
// without netem the kernel's echo replies are switched off in the namespace and
// each mirror answers echo requests itself after its delay.
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "download/DownloaderCurl.h"
#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

extern char** environ;

namespace orvane {
namespace {

using test::MirrorFixture;
using test::MirrorOptions;

// Mirror i listens on 127.0.0.(i + 2) with this round-trip delay, in ms. Steps of
// 30 ms stay apart even on a loaded machine; the order is not the address order.
constexpr int kDelays[] = {120, 30, 90, 60, 180, 150};
constexpr int kMirrors = 6;

bool RunTool(std::vector<std::string> argv) {
  std::vector<char*> raw;
  for (auto& arg : argv) raw.push_back(arg.data());
  raw.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string MirrorAddress(int i) { return "127.0.0." + std::to_string(i + 2); }

// Gives each mirror address its delay with HTB classes holding netem leaves.
bool SetUpNetem() {
  if (!RunTool({"tc", "qdisc", "add", "dev", "lo", "root", "handle", "1:", "htb", "default", "1"}) ||
      !RunTool({"tc", "class", "add", "dev", "lo", "parent", "1:", "classid", "1:1", "htb", "rate", "10gbit"})) {
    return false;
  }
  for (int i = 0; i < kMirrors; ++i) {
    const std::string minor = std::to_string(10 + i);
    // The echo crosses the delayed class once (the reply goes to 127.0.0.1).
    if (!RunTool({"tc", "class", "add", "dev", "lo", "parent", "1:", "classid", "1:" + minor, "htb", "rate", "10gbit"}) ||
        !RunTool({"tc", "qdisc", "add", "dev", "lo", "parent", "1:" + minor, "handle", minor + ":", "netem", "delay",
              std::to_string(kDelays[i]) + "ms"}) ||
        !RunTool({"tc", "filter", "add", "dev", "lo", "parent", "1:", "protocol", "ip", "prio", "1", "u32", "match", "ip",
              "dst", MirrorAddress(i) + "/32", "flowid", "1:" + minor})) {
      RunTool({"tc", "qdisc", "del", "dev", "lo", "root"});
      return false;
    }
  }
  return true;
}

bool SwitchOffKernelEcho() {
  std::ofstream sysctl("/proc/sys/net/ipv4/icmp_echo_ignore_all");
  sysctl << "1\n";
  sysctl.flush();
  return static_cast<bool>(sysctl);
}

// Runs in the forked child, inside its own network namespace. Returns the line
// sent to the parent: "SKIP <why>", "FAIL <why>" or
// "OK <netem|echo> <used host...> ; <all host:ping...>".
std::string RankInPrivateNetwork(const test::TestPackage& package) {
  if (::unshare(CLONE_NEWNET) != 0) return "SKIP cannot make a network namespace (unshare: " + std::string(strerror(errno)) + ")";
  if (!RunTool({"ip", "link", "set", "lo", "up"})) return "SKIP cannot bring loopback up with ip";
  const bool netem = SetUpNetem();
  if (!netem && !SwitchOffKernelEcho()) return "SKIP neither tc netem nor icmp_echo_ignore_all is available";

  std::vector<std::unique_ptr<MirrorFixture>> mirrors;
  DownloadConfig config;
  config.size = static_cast<std::int32_t>(package.size);
  config.fileHash = package.wholeMd5;
  config.chunkHashes = package.chunkMd5;
  for (int i = 0; i < kMirrors; ++i) {
    MirrorOptions options;
    options.file = package.path;
    options.host = MirrorAddress(i);
    options.flag = "1 ok";  // the load check wants two or more characters beginning with 1
    if (!netem) options.echoDelayMs = kDelays[i];
    mirrors.push_back(std::make_unique<MirrorFixture>(options));
    if (!mirrors.back()->Start()) return "FAIL mirror " + options.host + " did not start";
    config.urls[i].url = mirrors.back()->Url("/download/pkg.exe");
    config.urls[i].ok = true;
  }

  DownloaderCurl engine;
  const HRESULT probed = engine.CheckDownload(config);
  std::vector<UrlCfg> used, all;
  engine.GetUsedUrlInfo(used);
  engine.GetAllUrlInfo(all);
  std::ostringstream line;
  line << (probed == S_OK ? "OK " : "FAIL no usable mirror ") << (netem ? "netem" : "echo");
  for (const auto& url : used) line << " " << DownloaderCurl::HostWithoutPort(url.host);
  line << " ;";
  for (const auto& url : all) line << " " << DownloaderCurl::HostWithoutPort(url.host) << ":" << url.pingTime;
  return line.str();
}

TEST(MirrorNetemTest, RealPingsRankTheMirrorsByDelayAndDropTheSlowest) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root: raw ICMP socket, network namespace and tc";
  if (!RunTool({"tc", "-V"}) || !RunTool({"ip", "-V"})) GTEST_SKIP() << "tc or ip (iproute2) is not installed";
  test::TempHome home;
  for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) home.UnsetEnv(name);
  test::TestPackage package;
  ASSERT_TRUE(test::MakeTestPackage(home.Path("pkg.bin"), 65536, 5, &package));

  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    const std::string line = RankInPrivateNetwork(package) + "\n";
    (void)!::write(pipeFds[1], line.data(), line.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string line;
  char buffer[512];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) line.append(buffer, static_cast<std::size_t>(got));
  ::close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the probing child crashed; it said: " << line;
  if (line.rfind("SKIP ", 0) == 0) GTEST_SKIP() << line.substr(5);
  ASSERT_EQ(line.rfind("OK ", 0), 0u) << line;

  std::istringstream words(line.substr(3));
  std::string mode, word;
  words >> mode;
  std::vector<std::string> used;
  while (words >> word && word != ";") used.push_back(word);
  SCOPED_TRACE("delays by " + mode + ", probed: " + line);
  // Fastest first: .3 (30 ms), .5 (60), .4 (90), .2 (120), .7 (150); .6 (180) is dropped.
  const std::vector<std::string> expected = {"127.0.0.3", "127.0.0.5", "127.0.0.4", "127.0.0.2", "127.0.0.7"};
  EXPECT_EQ(used, expected);
  // Every measured time is at least its delay.
  int probed = 0;
  while (words >> word) {
    const auto colon = word.find(':');
    const int index = std::stoi(word.substr(word.rfind('.', colon) + 1, colon)) - 2;
    ASSERT_TRUE(index >= 0 && index < kMirrors) << word;
    EXPECT_GE(std::stoi(word.substr(colon + 1)), kDelays[index]) << word;
    ++probed;
  }
  EXPECT_EQ(probed, kMirrors);
}

}  // namespace
}  // namespace orvane
