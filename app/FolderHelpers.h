#pragma once
// Creating folder paths and removing folder trees.
#include <string>

namespace orvane {

// Longest path, in characters, that CreateFolderPath works on.
inline constexpr std::size_t kMaxFolderPathChars = 260;

// Creates every missing folder of `path` (each prefix before a "/", then the
// whole path unless it ends with "/"). Returns 0 for a path longer than 260
// characters (nothing is created), otherwise 1.
int CreateFolderPath(const std::string& path);
// CreateFolderPath of the part of `filePath` up to and including its last "/".
int CreateParentFolders(const std::string& filePath);
// Deletes everything below `folder` and the folder itself. A symbolic link is
// removed as a link and never followed. Returns false only when the folder
// cannot be listed (it is then left alone).
bool RemoveFolderTree(const std::string& folder);

}  // namespace orvane
