#pragma once
// Reading the entry list of a 7z archive (`7z l -slt`) and deciding whether it
// is safe to extract: no entry may name a place outside the output folder,
// directly ("../x", "/etc/x") or through a link entry it would be written through.
#include <string>
#include <vector>

namespace orvane {

struct ArchiveEntry {
  std::string path;
  bool isFolder = false;
  bool isLink = false;
  bool encrypted = false;
};

// Parses the technical listing of `7z l -slt` (entries follow the "----------" line).
std::vector<ArchiveEntry> ParseArchiveListing(const std::string& listing);

// Empty when every entry is safe, else a text naming the first unsafe entry.
std::string FindUnsafeEntry(const std::vector<ArchiveEntry>& entries);

}  // namespace orvane
