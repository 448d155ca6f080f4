#pragma once
// Moves an extracted tree from a private staging folder into the installation
// folder without ever following a link: existing files are replaced, a link
// whose target leaves the tree is dropped, and a link or file standing where a
// folder must go is replaced by the folder.
#include <string>
#include <vector>

namespace orvane {

struct TreeMoveResult {
  bool ok = true;
  std::string error;                  // the first failure
  std::vector<std::string> dropped;   // links left out, as paths below the tree
};

TreeMoveResult MoveTreeInto(const std::string& stagingFolder, const std::string& destinationFolder);

// True when a link at `linkFolderDepth` folders below the root, pointing at
// `target`, stays inside the tree.
bool LinkTargetStaysInside(const std::string& target, int linkFolderDepth);

}  // namespace orvane
