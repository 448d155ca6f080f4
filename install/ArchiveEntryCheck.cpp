#include "install/ArchiveEntryCheck.h"

#include <set>
#include <sstream>

namespace orvane {
namespace {

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '/' || c == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(part);
  return parts;
}

// The entry's path with empty and "." elements dropped and "/" as separator.
std::string NormalPath(const std::string& path) {
  std::string out;
  for (const auto& part : SplitPath(path)) {
    if (part.empty() || part == ".") continue;
    if (!out.empty()) out += '/';
    out += part;
  }
  return out;
}

bool LeavesTree(const std::string& path) {
  if (path.empty()) return true;
  if (path[0] == '/' || path[0] == '\\') return true;
  if (path.size() >= 2 && path[1] == ':') return true;  // drive letter
  for (const auto& part : SplitPath(path)) {
    if (part == "..") return true;
  }
  return false;
}

// The unix part of 7z's attribute text ("A lrwxrwxrwx") names links with "l".
bool AttributesNameLink(const std::string& attributes) {
  const auto space = attributes.rfind(' ');
  const std::string mode = space == std::string::npos ? attributes : attributes.substr(space + 1);
  return mode.size() == 10 && mode[0] == 'l';
}

bool AttributesNameFolder(const std::string& attributes) {
  const auto space = attributes.find(' ');
  const std::string windows = attributes.substr(0, space);
  return windows.find('D') != std::string::npos;
}

}  // namespace

std::vector<ArchiveEntry> ParseArchiveListing(const std::string& listing) {
  std::vector<ArchiveEntry> entries;
  std::istringstream lines(listing);
  std::string line;
  bool inEntries = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inEntries) {
      inEntries = line == "----------";
      continue;
    }
    const auto equals = line.find(" = ");
    const std::string name = equals == std::string::npos ? line : line.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : line.substr(equals + 3);
    if (name == "Path") {
      entries.push_back(ArchiveEntry{value});
    } else if (entries.empty()) {
      continue;
    } else if (name == "Folder") {
      entries.back().isFolder = entries.back().isFolder || value == "+";
    } else if (name == "Attributes") {
      entries.back().isLink = AttributesNameLink(value);
      entries.back().isFolder = entries.back().isFolder || AttributesNameFolder(value);
    } else if (name == "Encrypted") {
      entries.back().encrypted = value == "+";
    }
  }
  return entries;
}

std::string FindUnsafeEntry(const std::vector<ArchiveEntry>& entries) {
  std::set<std::string> links;
  for (const auto& entry : entries) {
    if (LeavesTree(entry.path)) return "entry leaves the output folder: " + entry.path;
    if (entry.isLink) links.insert(NormalPath(entry.path));
  }
  if (links.empty()) return "";
  // Nothing may be written at or below a link entry: the write would go through the link.
  std::multiset<std::string> seen;
  for (const auto& entry : entries) {
    const std::string path = NormalPath(entry.path);
    if (entry.isLink) {
      if (seen.count(path) > 0) return "entry written through a link: " + entry.path;
      seen.insert(path);
      continue;
    }
    seen.insert(path);
    std::string prefix;
    for (const auto& part : SplitPath(path)) {
      if (part.empty() || part == ".") continue;
      prefix = prefix.empty() ? part : prefix + "/" + part;
      if (links.count(prefix) > 0) return "entry written through a link: " + entry.path;
    }
  }
  return "";
}

}  // namespace orvane
