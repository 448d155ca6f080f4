#include "tests/support/FixtureServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/support/TempHome.h"

extern char** environ;

namespace orvane::test {

FixtureServer::FixtureServer(const std::string& script, std::vector<std::string> args)
    : script_(script), args_(std::move(args)) {}

FixtureServer::~FixtureServer() { Stop(); }

bool FixtureServer::Start(int timeoutMs) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  std::vector<std::string> argv = {"/usr/bin/python3", "-u", FixturePath(script_)};
  argv.insert(argv.end(), args_.begin(), args_.end());
  std::vector<char*> raw;
  for (auto& arg : argv) raw.push_back(arg.data());
  raw.push_back(nullptr);
  const int spawned = ::posix_spawn(&pid_, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    pid_ = -1;
    ::close(pipeFds[0]);
    return false;
  }
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd waiting{pipeFds[0], POLLIN, 0};
    if (::poll(&waiting, 1, 100) <= 0) continue;
    char chunk[256];
    const ssize_t got = ::read(pipeFds[0], chunk, sizeof chunk);
    if (got <= 0) break;
    line.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(pipeFds[0]);
  char host[128] = {};
  if (std::sscanf(line.c_str(), "LISTENING %127s %d", host, &port_) != 2) {
    Stop();
    return false;
  }
  host_ = host;
  return true;
}

void FixtureServer::Stop(int graceMs) {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  for (int i = 0; i < graceMs / 20; ++i) {
    if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string FixtureServer::BaseUrl() const { return "http://" + host_ + ":" + std::to_string(port_); }

}  // namespace orvane::test
