#include "platform/DebugOutput.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orvane::platform {

void OutputDebugText(std::string_view text) {
  const char* flag = std::getenv("ORVANE_DEBUG");
  if (flag == nullptr || std::strcmp(flag, "1") != 0) return;
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace orvane::platform
