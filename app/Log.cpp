#include "app/Log.h"

#include <cstdarg>
#include <cstdio>

#include "app/FolderHelpers.h"
#include "platform/Clock.h"
#include "platform/DesktopUser.h"
#include "platform/PathUtil.h"

namespace orvane {

ILog::~ILog() = default;

std::string ILog::FormatTimePrefix(std::uint32_t elapsedMs) {
  const std::uint32_t seconds = elapsedMs / 1000u;
  char prefix[48];
  std::snprintf(prefix, sizeof prefix, "%02u:%02u:%02u : ", seconds / 3600u, seconds % 3600u / 60u, seconds % 60u);
  return prefix;
}

int ILog::Open(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    path_ = path;
  }
  startTick_.store(platform::GetTickCount32());
  AppendToFile("\n\n----------------------------------------\n00:00:00 : Init Log OK.\n");
  return 1;
}

void ILog::SetSink(LogLineSink sink) { sink_.store(sink); }

std::string ILog::Path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void ILog::AppendToFile(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (path_.empty()) return;
  const bool isNew = !platform::PathFileExists(path_);
  if (isNew) CreateParentFolders(path_);
  std::FILE* file = std::fopen(path_.c_str(), "a");
  if (file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  if (isNew) platform::GiveToDesktopUser(path_);
}

void ILog::WriteLine(const char* message) {
  const std::uint32_t elapsed = platform::GetTickCount32() - startTick_.load();
  AppendToFile(FormatTimePrefix(elapsed) + message + "\n");
  if (const LogLineSink sink = sink_.load()) sink(message);
}

ILog& GetLog() {
  static ILog* log = new ILog();  // lives until the process ends, also for late worker threads
  return *log;
}

void WriteLog(const char* format, ...) {
  char message[ILog::kMessageBufferSize] = {};
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  GetLog().WriteLine(message);
}

}  // namespace orvane
