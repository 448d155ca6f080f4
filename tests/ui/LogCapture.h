#pragma once
// Collects the messages written to the install log while it exists (one at a time).
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
  static bool Contains(const std::string& line) {
    const auto lines = Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
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
