#pragma once
// Private temporary folders for the extraction, in the shared temp folder.
#include <string>

namespace orvane {

// Creates every folder of a "/"-separated path (an existing folder counts as
// made). Refuses paths of more than 259 characters. Returns whether the last
// folder of the path exists as a folder afterwards.
bool CreateFolderPathA(const std::string& path);
// Deletes a temporary folder tree; links are removed, never followed. False
// when the folder cannot be listed.
bool RemoveTempTree(const std::string& folder);
// Creates a fresh folder "<temp>/<tick in hex>/" with mode 0700 that did not
// exist before (a name that exists is never reused). Returns it with its
// trailing "/", or "" when no folder could be made.
std::string MakePrivateTempFolder();

}  // namespace orvane
