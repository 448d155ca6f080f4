#include "platform/NetworkAdapters.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <utility>

#include "platform/PathUtil.h"

namespace orvane::platform {
namespace {

constexpr const char* kClassNetFolder = "/sys/class/net";

std::string FirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

// "aa:bb:cc:dd:ee:ff" (any length); bytes past the sixth are dropped.
std::array<std::uint8_t, 6> ParseHardwareAddress(const std::string& text) {
  std::array<std::uint8_t, 6> bytes{};
  std::size_t index = 0;
  std::size_t at = 0;
  while (index < bytes.size() && at < text.size()) {
    unsigned value = 0;
    int used = 0;
    if (std::sscanf(text.c_str() + at, "%2x%n", &value, &used) != 1) break;
    bytes[index++] = static_cast<std::uint8_t>(value);
    at += static_cast<std::size_t>(used);
    if (at < text.size() && text[at] == ':') ++at;
  }
  return bytes;
}

}  // namespace

bool ReadNetworkAdaptersFrom(const std::string& classNetFolder, std::vector<NetworkAdapter>& adapters) {
  adapters.clear();
  std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(classNetFolder.c_str()), &::closedir);
  if (!folder) return false;
  std::vector<std::pair<long, NetworkAdapter>> indexed;
  while (const dirent* entry = ::readdir(folder.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == ".." || name == "lo") continue;
    const std::string base = PathAppend(classNetFolder, name);
    if (!PathIsFolder(base)) continue;  // e.g. the bonding driver's "bonding_masters" file
    NetworkAdapter adapter;
    adapter.name = name;
    adapter.address = ParseHardwareAddress(FirstLine(PathAppend(base, "address")));
    adapter.physical = PathFileExists(PathAppend(base, "device"));
    long index = 0;
    try {
      index = std::stol(FirstLine(PathAppend(base, "ifindex")));
    } catch (...) {
      index = 0x7fffffff;  // unknown order: after every numbered adapter
    }
    indexed.emplace_back(index, std::move(adapter));
  }
  std::stable_sort(indexed.begin(), indexed.end(), [](const auto& left, const auto& right) {
    return left.first != right.first ? left.first < right.first : left.second.name < right.second.name;
  });
  for (auto& item : indexed) adapters.push_back(std::move(item.second));
  return true;
}

bool ReadNetworkAdapters(std::vector<NetworkAdapter>& adapters) {
  return ReadNetworkAdaptersFrom(kClassNetFolder, adapters);
}

bool IsPhysicalNetworkAdapter(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return false;
  return PathFileExists(PathAppend(PathAppend(kClassNetFolder, name), "device"));
}

}  // namespace orvane::platform
