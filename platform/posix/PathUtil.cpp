#include "platform/PathUtil.h"

#include <sys/stat.h>

namespace orvane::platform {

std::string PathAppend(const std::string& base, const std::string& tail) {
  if (tail.empty()) return base;
  if (base.empty()) return tail;
  std::string joined = base;
  std::size_t start = 0;
  while (start < tail.size() && tail[start] == '/') ++start;
  if (joined.back() != '/') joined += '/';
  joined.append(tail, start, std::string::npos);
  return joined;
}

std::string PathRemoveFileSpec(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const auto slash = trimmed.rfind('/');
  if (slash == std::string::npos) return "";
  if (slash == 0) return "/";
  return trimmed.substr(0, slash);
}

std::string PathFileName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool PathFileExists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool PathIsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::size_t CharacterCount(const std::string& text) {
  std::size_t count = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace orvane::platform
