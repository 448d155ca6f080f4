#include "report/ReportFormat.h"

#include <cstdio>
#include <ctime>

namespace orvane {

std::string FormatLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d_%02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return text;
}

std::string FormatDuration(std::int32_t seconds) {
  if (seconds < 0) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds % 3600 / 60, seconds % 60);
  return text;
}

std::string FormatByteSize(std::int64_t bytes) {
  char text[128];
  if (bytes > 1048576) {
    std::snprintf(text, sizeof text, "%.2fMB", static_cast<double>(bytes) / 1048576.0);
  } else if (bytes <= 1024) {
    std::snprintf(text, sizeof text, "%lldByte", static_cast<long long>(bytes));
  } else {
    std::snprintf(text, sizeof text, "%.2fKB", static_cast<double>(bytes) / 1024.0);
  }
  return text;
}

}  // namespace orvane
