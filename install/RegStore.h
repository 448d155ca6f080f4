#pragma once
// One registry root kept as a .reg-format text file (see RegFileFormat.h).
// Every change rewrites the whole file (temporary file, fsync, rename) under an
// exclusive advisory lock on "<file>.lock"; reads take the lock shared. A
// damaged file reads as empty, with a log line, and is moved aside (never
// overwritten) before the next write. Callable from any thread.
#include <functional>
#include <string>
#include <vector>

#include "install/RegFileFormat.h"

namespace orvane {

enum class RegRoot { LocalMachine, CurrentUser };

class RegStore {
 public:
  RegStore(std::string file, std::string rootName);
  // The store of a root: MachineStoreFile() or UserStoreFile().
  static RegStore ForRoot(RegRoot root);

  // Reads all keys. A missing file is an empty store; a damaged one too (logged).
  std::vector<RegKeyRecord> Load() const;
  // Read-modify-write under the exclusive lock. `change` returns a Windows error
  // code; the file is rewritten only when it returns 0 and says it changed something.
  long Update(const std::function<long(std::vector<RegKeyRecord>& keys, bool& changed)>& change) const;

  const std::string& File() const { return file_; }

  // Test seam: called with the temporary file descriptor after half of the new text was written.
  using WriteHook = void (*)(int fd);
  static void SetWriteHook(WriteHook hook);

 private:
  bool ReadText(std::string& text) const;
  bool WriteText(const std::string& text) const;
  void KeepDamagedFile() const;

  std::string file_;
  std::string rootName_;
};

// Windows error codes the registry operations return.
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegAccessDenied = 5;
inline constexpr long kRegInvalidHandle = 6;
inline constexpr long kRegWriteFault = 29;
inline constexpr long kRegInvalidParameter = 87;
inline constexpr long kRegMoreData = 234;
inline constexpr long kRegNoMoreItems = 259;

}  // namespace orvane
