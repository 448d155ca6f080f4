#include "install/RegFileFormat.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace orvane {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsPlainText(const std::vector<unsigned char>& data) {
  // Plain "..." form: zero-terminated, no other zero, no control characters.
  if (data.empty() || data.back() != 0) return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] < 0x20 || data[i] == 0x7f) return false;
  }
  return true;
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Reads a quoted text at `pos`; `pos` ends after the closing quote.
bool Unquote(const std::string& line, std::size_t& pos, std::string& out) {
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  out.clear();
  while (pos < line.size()) {
    const char c = line[pos++];
    if (c == '"') return true;
    if (c == '\\') {
      if (pos >= line.size()) return false;
      out += line[pos++];
    } else {
      out += c;
    }
  }
  return false;
}

bool ParseHexBytes(const std::string& text, std::vector<unsigned char>& out) {
  out.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (pos + 2 > text.size() || !std::isxdigit(static_cast<unsigned char>(text[pos])) ||
        !std::isxdigit(static_cast<unsigned char>(text[pos + 1]))) {
      return false;
    }
    out.push_back(static_cast<unsigned char>(std::stoul(text.substr(pos, 2), nullptr, 16)));
    pos += 2;
    if (pos < text.size()) {
      if (text[pos] != ',') return false;
      ++pos;
      if (pos == text.size()) return false;
    }
  }
  return true;
}

bool ParseData(const std::string& text, RegValue& value) {
  if (!text.empty() && text[0] == '"') {
    std::size_t pos = 0;
    std::string content;
    if (!Unquote(text, pos, content) || pos != text.size()) return false;
    value.type = kRegSz;
    value.data.assign(content.begin(), content.end());
    value.data.push_back(0);
    return true;
  }
  if (text.rfind("dword:", 0) == 0) {
    const std::string digits = text.substr(6);
    if (digits.size() != 8) return false;
    for (char c : digits) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    const auto number = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
    value.type = kRegDword;
    value.data = {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                  static_cast<unsigned char>(number >> 16), static_cast<unsigned char>(number >> 24)};
    return true;
  }
  if (text.rfind("hex:", 0) == 0) {
    value.type = kRegBinary;
    return ParseHexBytes(text.substr(4), value.data);
  }
  if (text.rfind("hex(", 0) == 0) {
    const auto close = text.find("):");
    if (close == std::string::npos || close <= 4 || close - 4 > 8) return false;
    const std::string type = text.substr(4, close - 4);
    for (char c : type) {
      if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    }
    value.type = static_cast<std::uint32_t>(std::stoul(type, nullptr, 16));
    return ParseHexBytes(text.substr(close + 2), value.data);
  }
  return false;
}

std::string FormatData(const RegValue& value) {
  if (value.type == kRegSz && IsPlainText(value.data)) {
    return Quote(std::string(value.data.begin(), value.data.end() - 1));
  }
  if (value.type == kRegDword && value.data.size() == 4) {
    char text[16];
    const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                 (static_cast<std::uint32_t>(value.data[3]) << 24);
    std::snprintf(text, sizeof text, "dword:%08x", number);
    return text;
  }
  std::string out;
  char prefix[24];
  if (value.type == kRegBinary) {
    out = "hex:";
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    out = prefix;
  }
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
    if (i > 0) out += ',';
    out += byte;
  }
  return out;
}

}  // namespace

bool SameRegName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

int FindRegKey(const std::vector<RegKeyRecord>& keys, const std::string& path) {
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (SameRegName(keys[i].path, path)) return static_cast<int>(i);
  }
  return -1;
}

int FindRegValue(const RegKeyRecord& key, const std::string& name) {
  for (std::size_t i = 0; i < key.values.size(); ++i) {
    if (SameRegName(key.values[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string ParentRegPath(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NormalRegPath(const std::string& path) {
  std::string out;
  std::string part;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (!part.empty()) out += (out.empty() ? "" : "\\") + part;
      part.clear();
    } else {
      part += path[i];
    }
  }
  return out;
}

bool ParseRegFile(const std::string& text, const std::string& rootName, std::vector<RegKeyRecord>& keys,
                  std::string& error) {
  keys.clear();
  if (text.empty()) return true;
  if (text.find('\0') != std::string::npos) {
    error = "zero byte in the text";
    return false;
  }
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  bool headerSeen = false;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!headerSeen) {
      if (line != kRegFileHeader) {
        error = "line 1 is not the file header";
        return false;
      }
      headerSeen = true;
      continue;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::string prefix = "[" + rootName;
      if (line.back() != ']' || line.size() < prefix.size() + 1 || !SameRegName(line.substr(0, prefix.size()), prefix)) {
        error = "line " + std::to_string(number) + ": bad key line";
        return false;
      }
      std::string path = line.substr(prefix.size(), line.size() - prefix.size() - 1);
      if (!path.empty() && path[0] != '\\') {
        error = "line " + std::to_string(number) + ": bad key line";
        return false;
      }
      path = NormalRegPath(path);
      if (FindRegKey(keys, path) < 0) keys.push_back(RegKeyRecord{path, {}});
      continue;
    }
    if (keys.empty()) {
      error = "line " + std::to_string(number) + ": value outside a key";
      return false;
    }
    RegValue value;
    std::size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (!Unquote(line, pos, value.name)) {
      error = "line " + std::to_string(number) + ": bad value name";
      return false;
    }
    if (pos >= line.size() || line[pos] != '=' || !ParseData(line.substr(pos + 1), value)) {
      error = "line " + std::to_string(number) + ": bad value";
      return false;
    }
    RegKeyRecord& key = keys.back();
    const int existing = FindRegValue(key, value.name);
    if (existing >= 0) {
      key.values[static_cast<std::size_t>(existing)] = value;
    } else {
      key.values.push_back(value);
    }
  }
  if (!headerSeen) {
    error = "no file header";
    return false;
  }
  return true;
}

std::string FormatRegFile(const std::string& rootName, const std::vector<RegKeyRecord>& keys) {
  std::string out = std::string(kRegFileHeader) + "\n";
  for (const auto& key : keys) {
    out += "\n[" + rootName + (key.path.empty() ? "" : "\\" + key.path) + "]\n";
    for (const auto& value : key.values) {
      out += (value.name.empty() ? std::string("@") : Quote(value.name)) + "=" + FormatData(value) + "\n";
    }
  }
  return out;
}

}  // namespace orvane
