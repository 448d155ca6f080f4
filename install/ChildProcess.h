#pragma once
// A child program started without a shell (fork + exec), owned by this object:
// the destructor waits for it unless it was released, so no zombie is left.
// Used by one thread at a time.
#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct ChildOptions {
  // Working folder of the child; empty keeps ours.
  std::string workingFolder;
  // Standard output and error go to a pipe read with ReadOutput; else they are inherited.
  bool captureOutput = false;
  // Run as this user (root only): groups, gid and uid are dropped before exec.
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
  std::string userName;  // for the supplementary groups
  // Complete environment of the child; empty keeps ours.
  std::vector<std::string> environment;
  // The program is not our child (started through an intermediate process that
  // ends at once), so it never lingers as a zombie; it cannot be waited for.
  bool detached = false;
};

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts `args[0]` (a path, or a name looked up on PATH) with `args`; standard
  // input is /dev/null. False when the program could not be executed.
  bool Start(const std::vector<std::string>& args, const ChildOptions& options = {});
  // Hands every piece of output to `sink` until the child closes its output.
  void ReadOutput(const std::function<void(const char* data, std::size_t size)>& sink);
  // Waits for the end; the exit status, 128 + signal for a killed child, -1 when none runs.
  int Wait();
  // Non-blocking: the exit status once the child has ended, nothing while it runs.
  std::optional<int> Poll();
  // Sends SIGKILL to the child (it is still reaped by Wait or the destructor).
  void Kill();
  // Forgets the child without waiting (a started program the user keeps).
  void Release();
  pid_t Pid() const { return pid_; }

 private:
  static int StatusToCode(int status);

  pid_t pid_ = -1;
  int outputFd_ = -1;
  std::optional<int> exitCode_;
};

// Splits a command-line text at blanks; double quotes keep blanks inside an argument.
std::vector<std::string> SplitCommandLine(const std::string& text);

// The full path of `name` found on PATH (a name with "/" is returned as is); empty when absent.
std::string FindProgramOnPath(const std::string& name);

}  // namespace orvane
