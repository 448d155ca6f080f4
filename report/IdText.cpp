#include "report/IdText.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "platform/PathUtil.h"
#include "platform/SystemInfo.h"

namespace orvane {
namespace {

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i != 0) joined += separator;
    joined += parts[i];
  }
  return joined;
}

std::string FileStem(const std::string& path) {
  std::string name = platform::PathFileName(path);
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && dot != 0) name.erase(dot);
  return name;
}

}  // namespace

std::vector<std::string> SplitText(const std::string& text, const std::string& delimiter) {
  std::vector<std::string> pieces;
  if (text.empty() || delimiter.empty()) return pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t hit = text.find(delimiter, start);
    const std::size_t end = hit == std::string::npos ? text.size() : hit;
    if (end > start) pieces.push_back(text.substr(start, end - start));
    if (hit == std::string::npos) break;
    start = hit + delimiter.size();
  }
  return pieces;
}

std::string SortIdList(const std::string& text) {
  std::vector<std::string> parts = SplitText(text, ":");
  if (parts.size() < 2) return text;
  std::sort(parts.begin(), parts.end());
  return Join(parts, ":");
}

std::string Base64Encode(const std::string& bytes) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string encoded;
  encoded.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t at = 0; at < bytes.size(); at += 3) {
    const std::size_t left = bytes.size() - at;
    std::uint32_t group = static_cast<unsigned char>(bytes[at]) << 16;
    if (left > 1) group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
    if (left > 2) group |= static_cast<unsigned char>(bytes[at + 2]);
    encoded += kAlphabet[(group >> 18) & 63];
    encoded += kAlphabet[(group >> 12) & 63];
    encoded += left > 1 ? kAlphabet[(group >> 6) & 63] : '=';
    encoded += left > 2 ? kAlphabet[group & 63] : '=';
  }
  return encoded;
}

bool IsIntegerText(const std::string& text) {
  std::istringstream stream(text);
  int value = 0;
  if (!(stream >> value)) return false;
  stream >> std::ws;
  return stream.peek() == std::char_traits<char>::eof();
}

void ParseInstallerNameTagsOf(const std::string& installerPath, std::string& option, std::string& source) {
  std::string name = FileStem(installerPath);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::vector<std::string> parts = SplitText(name, "_");
  if (parts.size() < 2) return;
  bool separated = false;
  std::vector<std::string> optionParts;
  std::vector<std::string> sourceParts;
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    if (IsIntegerText(parts[i])) {
      separated = true;
      continue;
    }
    (separated ? sourceParts : optionParts).push_back(parts[i]);
  }
  if (!separated) return;
  option = Join(optionParts, "_");
  source = Join(sourceParts, "_");
}

void ParseInstallerNameTags(std::string& option, std::string& source) {
  ParseInstallerNameTagsOf(platform::OwnExecutablePath(), option, source);
}

}  // namespace orvane
