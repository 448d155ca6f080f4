#include "install/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <algorithm>

#include "platform/PathUtil.h"

extern char** environ;

namespace orvane {
namespace {

std::vector<char*> PointerVector(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  pointers.reserve(texts.size() + 1);
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* program, char* const* argv, char* const* envp, const ChildOptions& options,
                            const std::vector<gid_t>& groups, const char* workingFolder, int outputWrite,
                            int errorWrite) {
  if (options.detached) {
    const pid_t program = ::fork();
    if (program != 0) ::_exit(program < 0 ? 127 : 0);  // the intermediate ends; the program runs on
  }
  const int nullFd = ::open("/dev/null", O_RDONLY);
  if (nullFd >= 0) ::dup2(nullFd, 0);
  if (outputWrite >= 0) {
    ::dup2(outputWrite, 1);
    ::dup2(outputWrite, 2);
  }
  if (options.gid && options.uid) {
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(*options.gid) != 0 ||
        ::setuid(*options.uid) != 0) {
      const int error = errno;
      (void)!::write(errorWrite, &error, sizeof error);
      ::_exit(127);
    }
  }
  if (workingFolder != nullptr && ::chdir(workingFolder) != 0) {
    const int error = errno;
    (void)!::write(errorWrite, &error, sizeof error);
    ::_exit(127);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(program, argv, envp);
  const int error = errno;
  (void)!::write(errorWrite, &error, sizeof error);
  ::_exit(127);
}

}  // namespace

std::string FindProgramOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string list = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    const std::string folder = list.substr(start, end - start);
    if (!folder.empty()) {
      const std::string candidate = platform::PathAppend(folder, name);
      if (::access(candidate.c_str(), X_OK) == 0 && !platform::PathIsFolder(candidate)) return candidate;
    }
    start = end + 1;
  }
  return "";
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inQuotes = false;
  bool any = false;
  for (char c : text) {
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) arguments.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) arguments.push_back(current);
  return arguments;
}

ChildProcess::~ChildProcess() {
  CloseFd(outputFd_);
  if (pid_ > 0 && !exitCode_) Wait();
}

bool ChildProcess::Start(const std::vector<std::string>& args, const ChildOptions& options) {
  if (args.empty() || pid_ > 0) return false;
  const std::string program = FindProgramOnPath(args[0]);
  if (program.empty()) return false;
  std::vector<std::string> argTexts = args;
  std::vector<std::string> envTexts = options.environment;
  std::vector<char*> argv = PointerVector(argTexts);
  std::vector<char*> envp = PointerVector(envTexts);
  char* const* envPointer = options.environment.empty() ? environ : envp.data();

  int output[2] = {-1, -1};
  int status[2] = {-1, -1};
  if (options.captureOutput && ::pipe2(output, O_CLOEXEC) != 0) return false;
  if (::pipe2(status, O_CLOEXEC) != 0) {
    CloseFd(output[0]);
    CloseFd(output[1]);
    return false;
  }
  const char* folder = options.workingFolder.empty() ? nullptr : options.workingFolder.c_str();
  // The group list is looked up before the fork: the child may only make system calls.
  std::vector<gid_t> groups;
  if (options.gid) {
    groups.push_back(*options.gid);
    if (!options.userName.empty()) {
      int count = 64;
      groups.resize(static_cast<std::size_t>(count));
      if (::getgrouplist(options.userName.c_str(), *options.gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        ::getgrouplist(options.userName.c_str(), *options.gid, groups.data(), &count);
      }
      groups.resize(static_cast<std::size_t>(std::max(count, 1)));
    }
  }
  const pid_t pid = ::fork();
  if (pid == 0) ExecChild(program.c_str(), argv.data(), envPointer, options, groups, folder, output[1], status[1]);
  CloseFd(output[1]);
  CloseFd(status[1]);
  if (pid < 0) {
    CloseFd(output[0]);
    CloseFd(status[0]);
    return false;
  }
  int childError = 0;
  ssize_t got;
  do {
    got = ::read(status[0], &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  CloseFd(status[0]);
  pid_ = pid;
  exitCode_.reset();
  outputFd_ = output[0];
  if (got > 0 || options.detached) {
    // exec failed (the child has already ended), or the intermediate of a detached start ends now
    const int code = Wait();
    CloseFd(outputFd_);
    pid_ = -1;
    exitCode_.reset();
    return got <= 0 && code == 0;
  }
  return true;
}

void ChildProcess::ReadOutput(const std::function<void(const char*, std::size_t)>& sink) {
  char buffer[4096];
  while (outputFd_ >= 0) {
    const ssize_t got = ::read(outputFd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    sink(buffer, static_cast<std::size_t>(got));
  }
  CloseFd(outputFd_);
}

int ChildProcess::StatusToCode(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

int ChildProcess::Wait() {
  if (exitCode_) return *exitCode_;
  if (pid_ <= 0) return -1;
  int status = 0;
  pid_t done;
  do {
    done = ::waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  exitCode_ = done == pid_ ? StatusToCode(status) : -1;
  return *exitCode_;
}

std::optional<int> ChildProcess::Poll() {
  if (exitCode_) return exitCode_;
  if (pid_ <= 0) return -1;
  int status = 0;
  const pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0) return std::nullopt;
  exitCode_ = done == pid_ ? StatusToCode(status) : -1;
  return exitCode_;
}

void ChildProcess::Kill() {
  if (pid_ > 0 && !exitCode_) ::kill(pid_, SIGKILL);
}

void ChildProcess::Release() {
  CloseFd(outputFd_);
  pid_ = -1;
  exitCode_.reset();
}

}  // namespace orvane
