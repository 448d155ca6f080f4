#pragma once
// Path text helpers. Paths use "/" as separator.
#include <string>

namespace orvane::platform {

// Joins two path texts with exactly one "/" between them; an empty tail adds nothing.
std::string PathAppend(const std::string& base, const std::string& tail);
// Removes the last element (and its separator); "/a/b" -> "/a", "/a" -> "/", "a" -> "".
std::string PathRemoveFileSpec(const std::string& path);
// The last element of a path.
std::string PathFileName(const std::string& path);
// True when something (file, folder, link target) exists at the path.
bool PathFileExists(const std::string& path);
// True when the path names a folder.
bool PathIsFolder(const std::string& path);
// Number of characters (not bytes) of a UTF-8 text.
std::size_t CharacterCount(const std::string& text);

}  // namespace orvane::platform
