#pragma once
// Runs one of the Python fixture servers of tests/fixtures as a child process.
// The fixture prints "LISTENING <host> <port>" once it accepts connections;
// Start() waits for that line. The destructor stops the process by its id.
#include <sys/types.h>

#include <string>
#include <vector>

namespace orvane::test {

class FixtureServer {
 public:
  // `script` is a file name below tests/fixtures; `args` are passed after it.
  FixtureServer(const std::string& script, std::vector<std::string> args);
  ~FixtureServer();
  FixtureServer(const FixtureServer&) = delete;
  FixtureServer& operator=(const FixtureServer&) = delete;

  // Starts the process and waits up to `timeoutMs` for it to listen. Returns false on failure.
  bool Start(int timeoutMs = 10000);
  // Sends SIGTERM and waits up to `graceMs` for the process to end before SIGKILL.
  void Stop(int graceMs = 1000);
  const std::string& Host() const { return host_; }
  int Port() const { return port_; }
  // "http://host:port"
  std::string BaseUrl() const;
  pid_t Pid() const { return pid_; }

 private:
  std::string script_;
  std::vector<std::string> args_;
  pid_t pid_ = -1;
  std::string host_;
  int port_ = 0;
};

}  // namespace orvane::test
