#pragma once
// The install log: one plain-text file that every part of the installer
// appends lines to, each with the time elapsed since the log was opened.
// Callable from any thread; whole lines never interleave.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace orvane {

// Receives every logged message (without time prefix and line break), on the logging thread.
using LogLineSink = int (*)(const char* message);

class ILog {
 public:
  // Longest message kept, in bytes; longer messages are cut to this length.
  static constexpr std::size_t kMessageBufferSize = 13000;

  virtual ~ILog();

  // Starts the log at `path`: remembers it, starts the clock and appends the header block.
  int Open(const std::string& path);
  void SetSink(LogLineSink sink);
  // Appends one line: time prefix, message, "\n"; then hands the message to the sink.
  void WriteLine(const char* message);
  std::string Path() const;

  // "HH:MM:SS : " for whole seconds elapsed; hours grow past two digits.
  static std::string FormatTimePrefix(std::uint32_t elapsedMs);

 private:
  void AppendToFile(const std::string& text);

  mutable std::mutex mutex_;  // guards path_ and the file writes of one line
  std::string path_;
  std::atomic<std::uint32_t> startTick_{0};
  std::atomic<LogLineSink> sink_{nullptr};
};

ILog& GetLog();

// printf-style: formats the message and writes it as one log line.
void WriteLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace orvane
