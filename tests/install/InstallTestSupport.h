#pragma once
// Helpers of the installation engine tests: a capture of log lines, packages
// built byte by byte, archives made with the real 7z, and folder comparison.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "install/PackageHeader.h"

namespace orvane::test {

// Collects every log line while it lives (one capture at a time).
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<std::string> Lines() const;
  bool Contains(const std::string& line) const;
  // Index of the first line equal to `line`, or -1.
  int IndexOf(const std::string& line) const;
};

// Runs a program (no shell) in `folder`; returns its exit status, output in `output`.
int RunProgram(const std::vector<std::string>& args, const std::string& folder = "", std::string* output = nullptr);

// Packs `items` (relative to `folder`) into `archive` with 7z; links are kept as links.
void Make7z(const std::string& folder, const std::string& archive, const std::vector<std::string>& items);

// A package: lead-in with the header offset at 32, then header, payload, uninstaller.
struct PackageParts {
  std::string payload;
  std::string uninstaller;
  PackageHeader header;
};
// Writes the package and returns its header (with the offsets filled in).
PackageHeader WritePackage(const std::string& path, PackageParts parts);

// Every file below `folder` (relative path -> content); links as "-> target".
std::map<std::string, std::string> TreeContents(const std::string& folder);

// The notifications an install sent, recorded from any thread.
struct NotifyRecord {
  std::mutex mutex;
  std::vector<std::pair<std::int32_t, std::int32_t>> events;
  void Add(std::int32_t kind, std::int32_t value);
  std::vector<std::pair<std::int32_t, std::int32_t>> Events();
};

std::string ReadFileBytes(const std::string& path);

}  // namespace orvane::test
