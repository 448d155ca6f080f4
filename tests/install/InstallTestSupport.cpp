#include "tests/install/InstallTestSupport.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/Log.h"
#include "install/ChildProcess.h"
#include "platform/PathUtil.h"

namespace orvane::test {
namespace {

std::mutex g_linesMutex;
std::vector<std::string> g_lines;

int Collect(const char* message) {
  std::lock_guard lock(g_linesMutex);
  std::string line = message;
  g_lines.push_back(line);
  return 0;
}

void Walk(const std::string& root, const std::string& relative, std::map<std::string, std::string>& out) {
  const std::string folder = relative.empty() ? root : root + "/" + relative;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    const std::string child = relative.empty() ? entry->d_name : relative + "/" + entry->d_name;
    const std::string path = root + "/" + child;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) continue;
    if (S_ISLNK(info.st_mode)) {
      char target[4096] = {};
      const ssize_t size = ::readlink(path.c_str(), target, sizeof target - 1);
      out[child] = "-> " + std::string(target, size > 0 ? static_cast<std::size_t>(size) : 0);
    } else if (S_ISDIR(info.st_mode)) {
      out[child + "/"] = "";
      Walk(root, child, out);
    } else {
      out[child] = ReadFileBytes(path);
    }
  }
  ::closedir(dir);
}

}  // namespace

LogCapture::LogCapture() {
  {
    std::lock_guard lock(g_linesMutex);
    g_lines.clear();
  }
  GetLog().SetSink(&Collect);
}

LogCapture::~LogCapture() { GetLog().SetSink(nullptr); }

std::vector<std::string> LogCapture::Lines() const {
  std::lock_guard lock(g_linesMutex);
  return g_lines;
}

bool LogCapture::Contains(const std::string& line) const { return IndexOf(line) >= 0; }

int LogCapture::IndexOf(const std::string& line) const {
  const auto lines = Lines();
  const auto found = std::find(lines.begin(), lines.end(), line);
  return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

int RunProgram(const std::vector<std::string>& args, const std::string& folder, std::string* output) {
  ChildProcess child;
  ChildOptions options;
  options.workingFolder = folder;
  options.captureOutput = true;
  if (!child.Start(args, options)) return -1;
  std::string text;
  child.ReadOutput([&](const char* data, std::size_t size) { text.append(data, size); });
  if (output != nullptr) *output = text;
  return child.Wait();
}

void Make7z(const std::string& folder, const std::string& archive, const std::vector<std::string>& items) {
  std::vector<std::string> args = {"7z", "a", "-t7z", "-snl", "-bd", archive};
  args.insert(args.end(), items.begin(), items.end());
  std::string output;
  if (RunProgram(args, folder, &output) != 0) throw std::runtime_error("7z a failed: " + output);
}

PackageHeader WritePackage(const std::string& path, PackageParts parts) {
  constexpr std::int32_t kHeaderAt = 64;
  const auto payloadAt = static_cast<std::int32_t>(kHeaderAt + PackageHeader::kSize);
  parts.header.SetPayload(payloadAt, static_cast<std::int32_t>(parts.payload.size()));
  parts.header.SetUninstaller(payloadAt + static_cast<std::int32_t>(parts.payload.size()),
                              static_cast<std::int32_t>(parts.uninstaller.size()));
  std::string bytes(kHeaderAt, 'P');
  PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(bytes.data()) + 32, kHeaderAt);
  bytes.append(reinterpret_cast<const char*>(parts.header.Bytes()), PackageHeader::kSize);
  bytes += parts.payload;
  bytes += parts.uninstaller;
  std::ofstream(path, std::ios::binary) << bytes;
  return parts.header;
}

std::map<std::string, std::string> TreeContents(const std::string& folder) {
  std::map<std::string, std::string> out;
  Walk(folder, "", out);
  return out;
}

void NotifyRecord::Add(std::int32_t kind, std::int32_t value) {
  std::lock_guard lock(mutex);
  events.emplace_back(kind, value);
}

std::vector<std::pair<std::int32_t, std::int32_t>> NotifyRecord::Events() {
  std::lock_guard lock(mutex);
  return events;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace orvane::test
