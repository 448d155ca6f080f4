#pragma once
// Small text services of the identity and report code: splitting and sorting
// id lists, base64, integer tests and the tags of the installer's file name.
#include <string>
#include <vector>

namespace orvane {

// The pieces of `text` between `delimiter`s, in order, without empty pieces;
// nothing for an empty text or an empty delimiter.
std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter);
// `text` split at ":", sorted ascending (byte order) and joined again with
// ":" when it has two or more parts; otherwise `text` unchanged.
std::string SortIdList(const std::string& text);
// Standard base64 (RFC 4648) with "=" fill.
std::string Base64Encode(const std::string& bytes);
// True when `text` holds one integer (leading blanks and a sign allowed) and
// nothing but blanks after it.
bool IsIntegerText(const std::string& text);
// Option and source tags of the running installer's file name (see below).
void ParseInstallerNameTags(std::string& option, std::string& source);
// The tags of one installer path: the lower-cased file name without folder and
// extension is split at "_"; between the first and the last part, the first
// integer part separates the option (parts before it) from the source (parts
// after it, further integer parts left out). Without such a part both texts
// keep their values.
void ParseInstallerNameTagsOf(const std::string& installerPath, std::string& option, std::string& source);

}  // namespace orvane
