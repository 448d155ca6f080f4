#include "install/ProcessCtrl.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/Log.h"
#include "install/ChildProcess.h"
#include "platform/PathUtil.h"
#include "platform/SystemInfo.h"

namespace orvane {
namespace {

// What GetExitCodeProcess gives for a process that has not ended.
constexpr int kStillActive = 259;
constexpr int kWaitStepMs = 100;
constexpr int kWaitCount = 100;
// A started product that ends at once gets this long to do so before the wait
// loop looks for it by name (the start returns as soon as the program runs).
constexpr int kDefaultStartGraceMs = 200;
constexpr int kGracePollMs = 5;

void RealSleep(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::atomic<void (*)(int)> g_sleep{&RealSleep};
std::atomic<int> g_startGraceMs{kDefaultStartGraceMs};

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// The executable file name of a process: /proc/<pid>/exe, else argv[0]; "" for
// a process that has ended (a zombie has neither).
std::string ProcessExeName(const std::string& pid) {
  const std::string base = "/proc/" + pid;
  char target[4096];
  const ssize_t size = ::readlink((base + "/exe").c_str(), target, sizeof target - 1);
  if (size > 0) {
    std::string path(target, static_cast<std::size_t>(size));
    static const std::string kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
      path.resize(path.size() - kDeleted.size());
    }
    return platform::PathFileName(path);
  }
  std::ifstream cmdline(base + "/cmdline", std::ios::binary);
  std::string first;
  std::getline(cmdline, first, '\0');
  return first.empty() ? std::string() : platform::PathFileName(first);
}

std::vector<pid_t> ProcessIds() {
  std::vector<pid_t> ids;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return ids;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long id = std::strtol(entry->d_name, &end, 10);
    if (*end == '\0' && id > 0) ids.push_back(static_cast<pid_t>(id));
  }
  ::closedir(proc);
  std::sort(ids.begin(), ids.end());
  return ids;
}

// The environment of a program started for the desktop user: that user's
// identity and home, the display of the session, the language.
std::vector<std::string> DesktopUserEnvironment(const platform::DesktopUser& user) {
  std::vector<std::string> environment = {"HOME=" + user.home, "USER=" + user.name, "LOGNAME=" + user.name,
                                          "XDG_RUNTIME_DIR=/run/user/" + std::to_string(user.uid)};
  static const char* kKept[] = {"PATH", "DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "LANG", "LANGUAGE",
                                "LC_ALL", "LC_MESSAGES", "DBUS_SESSION_BUS_ADDRESS"};
  for (const char* name : kKept) {
    if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
  }
  return environment;
}

}  // namespace

bool FindProcessByName(const std::string& name, pid_t& pid) {
  if (name.empty()) return false;  // ended processes and kernel threads have no name
  for (const pid_t id : ProcessIds()) {
    if (SameNameNoCase(ProcessExeName(std::to_string(id)), name)) {
      pid = id;
      return true;
    }
  }
  return false;
}

bool KillProcessByName(const std::string& name) {
  pid_t pid = 0;
  if (!FindProcessByName(name, pid)) return false;
  ::kill(pid, SIGKILL);
  return true;
}

bool IsAdministrator() { return ::geteuid() == 0; }

bool IsVistaOrLater() { return platform::RunningKernelVersion().major >= 4; }

ShellUserToken GetShellUserToken() { return platform::DesktopUserOfRoot(); }

bool LaunchAsShellUser(const std::string& path, const std::string& parameters, const std::string& folder,
                       int /*showCommand*/) {
  std::vector<std::string> args = {path};
  for (auto& argument : SplitCommandLine(parameters)) args.push_back(std::move(argument));
  return LaunchArgumentsAsShellUser(args, folder);
}

bool LaunchArgumentsAsShellUser(const std::vector<std::string>& args, const std::string& folder) {
  ChildOptions options;
  options.workingFolder = folder;
  if (IsVistaOrLater() && IsAdministrator()) {
    if (const ShellUserToken user = GetShellUserToken()) {
      options.uid = user->uid;
      options.gid = user->gid;
      options.userName = user->name;
      options.environment = DesktopUserEnvironment(*user);
      if (options.workingFolder.empty()) options.workingFolder = platform::PathIsFolder(user->home) ? user->home : "/";
    }
  }
  options.detached = true;
  ChildProcess child;
  return child.Start(args, options);
}

std::string BuildInstallParameters(const MainExeOptions& options, bool isNewInstall) {
  std::string parameters;
  if (options.silent) {
    parameters = "/install  /add_plan";
  } else {
    parameters = "/install";
    if (options.joinChoice) parameters += " /add_plan";
    if (!options.installId.empty()) parameters += " /ID:" + options.installId;
  }
  if (isNewInstall) parameters += " /new";
  if (!options.option.empty()) parameters += " /option:" + options.option;
  if (!options.source.empty()) parameters += " /source:" + options.source;
  if (options.downloadSeconds > 0) parameters += " /time:" + std::to_string(options.downloadSeconds);
  return parameters;
}

void SetRunMainExeSleep(void (*sleep)(int)) { g_sleep.store(sleep != nullptr ? sleep : &RealSleep); }

void SetRunMainExeStartGrace(int milliseconds) {
  g_startGraceMs.store(milliseconds >= 0 ? milliseconds : kDefaultStartGraceMs);
}

bool RunMainExe(const std::string& folder, const std::string& name, bool isNewInstall,
                const MainExeOptions& options) {
  const std::string path = platform::PathAppend(folder, name);
  WriteLog("Run MainExe.exe /install");
  if (!platform::PathFileExists(path)) {
    WriteLog("Run exe failed. main exe con't found\n.");
    return false;
  }
  const std::string parameters = BuildInstallParameters(options, isNewInstall);
  WriteLog("Run Install Params: %s.\n", parameters.c_str());

  std::vector<std::string> args = {path};
  for (auto& argument : SplitCommandLine(parameters)) args.push_back(std::move(argument));
  ChildProcess child;
  if (!child.Start(args)) return true;  // a failed start skips the wait; the install still counts

  const int grace = g_startGraceMs.load();
  for (int waited = 0; waited < grace && !child.Poll(); waited += kGracePollMs) RealSleep(kGracePollMs);
  int counter = kWaitCount;
  int exitCode = 0;
  bool timedOut = false;
  for (;;) {
    pid_t found = 0;
    if (FindProcessByName(name, found) && found != 0) {
      g_sleep.load()(kWaitStepMs);
      if (counter-- >= 0) continue;
      timedOut = true;
      break;
    }
    exitCode = child.Poll().value_or(kStillActive);
    break;
  }
  WriteLog("Run main exe install : ExitCode(%d), nWaitCount(%d).\n", exitCode, counter);
  if (timedOut) {
    child.Kill();
    child.Wait();
  } else if (!child.Poll()) {
    child.Release();  // still running under another name: leave it, as its handle is closed
  }
  return true;
}

}  // namespace orvane
