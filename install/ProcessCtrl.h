#pragma once
// Other processes: finding and ending running copies of the product, running
// the installed product once with "/install" and waiting a bounded time, and
// starting it for the desktop user. Runs on the controller's worker threads
// (LaunchAsShellUser on the window thread).
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "install/ChildProcess.h"
#include "platform/DesktopUser.h"

namespace orvane {

// True and the id of the first process (by id) whose executable file name
// (/proc/<pid>/exe, else argv[0]) equals `name` without regard to case.
bool FindProcessByName(const std::string& name, pid_t& pid);
// Ends the first such process (SIGKILL); true when one matched, even if it could not be ended.
bool KillProcessByName(const std::string& name);
// Effective user id 0.
bool IsAdministrator();
// True on every kernel this installer supports (4.0 and later).
bool IsVistaOrLater();
// The desktop user the installer acts for when run as root through sudo or pkexec.
using ShellUserToken = std::optional<platform::DesktopUser>;
ShellUserToken GetShellUserToken();
// Starts `path` with `parameters` (a command-line text) in `folder` (empty: the
// user's home when dropping to a desktop user, else ours). As root for a desktop
// user the program runs as that user with that user's environment; otherwise a
// plain start. True when the program was started. The program is not waited for.
bool LaunchAsShellUser(const std::string& path, const std::string& parameters, const std::string& folder,
                       int showCommand);

// The same with an argument vector (args[0] the program).
bool LaunchArgumentsAsShellUser(const std::vector<std::string>& args, const std::string& folder);

// What the controller knows when it runs the product's first-run step.
struct MainExeOptions {
  bool silent = false;
  bool joinChoice = false;      // user-experience programme option
  std::string installId;
  std::string option;           // option tag of the installer's file name
  std::string source;           // source tag of the installer's file name
  int downloadSeconds = 0;
};

// The parameters of the first-run step, e.g. "/install /add_plan /ID:x /new".
std::string BuildInstallParameters(const MainExeOptions& options, bool isNewInstall);

// Runs "<folder>/<name>" with the install parameters and waits while a process
// of that name runs, 100 ms at a time, at most 102 times; a product still
// running then is ended. False only when the executable does not exist.
bool RunMainExe(const std::string& folder, const std::string& name, bool isNewInstall,
                const MainExeOptions& options);

// Test seam: replaces the 100 ms wait of RunMainExe (nullptr restores the sleep).
void SetRunMainExeSleep(void (*sleep)(int milliseconds));
// How long a just-started product may take to end before the wait loop looks
// for it by name (default 200 ms; a product that ends sooner cuts it short).
// A negative value restores the default.
void SetRunMainExeStartGrace(int milliseconds);

}  // namespace orvane
