#pragma once
// Collects every message written to the install log while it lives (one
// capture at a time: it is the log's sink).
#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "app/Log.h"

namespace orvane::test {

class LogCapture {
 public:
  LogCapture() {
    Clear();
    GetLog().SetSink(&Record);
  }
  ~LogCapture() { GetLog().SetSink(nullptr); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  static std::vector<std::string> Lines() {
    std::lock_guard lock(Mutex());
    return Store();
  }
  // A message equal to `line`.
  static bool HasLine(const std::string& line) {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  // A message containing `text`.
  static bool Contains(const std::string& text) { return Count(text) > 0; }
  // Messages containing `text`.
  static int Count(const std::string& text) {
    int count = 0;
    for (const std::string& line : Lines()) count += line.find(text) != std::string::npos;
    return count;
  }
  // Messages starting with `prefix`, in order.
  static std::vector<std::string> StartingWith(const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : Lines()) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }
  static void Clear() {
    std::lock_guard lock(Mutex());
    Store().clear();
  }

 private:
  static int Record(const char* message) {
    std::lock_guard lock(Mutex());
    Store().emplace_back(message);
    return 0;
  }
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::vector<std::string>& Store() {
    static std::vector<std::string> lines;
    return lines;
  }
};

}  // namespace orvane::test
