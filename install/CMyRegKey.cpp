#include "install/CMyRegKey.h"

#include <algorithm>
#include <cstring>

namespace orvane {
namespace {

// Key and value names end up in lines of the store file: no control characters.
bool ValidName(const std::string& name) {
  return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

bool HasSubKeys(const std::vector<RegKeyRecord>& keys, const std::string& path) {
  return std::any_of(keys.begin(), keys.end(),
                     [&](const RegKeyRecord& key) { return SameRegName(ParentRegPath(key.path), path) &&
                                                           !key.path.empty() && !SameRegName(key.path, path); });
}

std::string ChildName(const std::string& path) {
  const auto slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

CMyRegKey::~CMyRegKey() { Close(); }

long CMyRegKey::Create(RegRoot root, const std::string& subKey) {
  Close();
  subKey_ = subKey;
  const std::string path = NormalRegPath(subKey);
  if (!ValidName(path)) return kRegInvalidParameter;
  const long result = RegStore::ForRoot(root).Update([&](std::vector<RegKeyRecord>& keys, bool& changed) {
    // Parents first, so the file lists every key like an export does.
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size() && !path.empty()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      prefix = path.substr(0, end);
      if (FindRegKey(keys, prefix) < 0) {
        keys.push_back(RegKeyRecord{prefix, {}});
        changed = true;
      }
      start = end + 1;
    }
    return kRegSuccess;
  });
  if (result != kRegSuccess) return result;
  open_ = true;
  root_ = root;
  path_ = path;
  access_ = kKeyAllAccess;
  return kRegSuccess;
}

long CMyRegKey::Open(RegRoot root, const std::string& subKey, std::uint32_t access) {
  Close();
  subKey_ = subKey;
  const std::string path = NormalRegPath(subKey);
  if (!path.empty() && FindRegKey(RegStore::ForRoot(root).Load(), path) < 0) return kRegFileNotFound;
  open_ = true;
  root_ = root;
  path_ = path;
  access_ = access;
  return kRegSuccess;
}

long CMyRegKey::Query(const std::string& name, std::uint32_t& type, std::string& data) {
  if (!open_) return kRegInvalidHandle;
  if ((access_ & 0x1) == 0) return kRegAccessDenied;  // KEY_QUERY_VALUE
  const auto keys = RegStore::ForRoot(root_).Load();
  const int key = FindRegKey(keys, path_);
  if (key < 0) return kRegFileNotFound;
  const int value = FindRegValue(keys[static_cast<std::size_t>(key)], name);
  if (value < 0) return kRegFileNotFound;
  const RegValue& found = keys[static_cast<std::size_t>(key)].values[static_cast<std::size_t>(value)];
  type = found.type;
  data.assign(found.data.begin(), found.data.end());
  return kRegSuccess;
}

long CMyRegKey::Set(const std::string& name, std::uint32_t type, const std::string& data) {
  if (!open_) return kRegInvalidHandle;
  if ((access_ & 0x2) == 0) return kRegAccessDenied;  // KEY_SET_VALUE
  if (!ValidName(name)) return kRegInvalidParameter;
  return RegStore::ForRoot(root_).Update([&](std::vector<RegKeyRecord>& keys, bool& changed) {
    const int key = FindRegKey(keys, path_);
    if (key < 0) return kRegFileNotFound;  // deleted since it was opened
    RegKeyRecord& record = keys[static_cast<std::size_t>(key)];
    RegValue value{name, type, std::vector<unsigned char>(data.begin(), data.end())};
    const int existing = FindRegValue(record, name);
    if (existing >= 0) {
      value.name = record.values[static_cast<std::size_t>(existing)].name;
      record.values[static_cast<std::size_t>(existing)] = value;
    } else {
      record.values.push_back(value);
    }
    changed = true;
    return kRegSuccess;
  });
}

long CMyRegKey::ReadString(const std::string& name, std::string& text) {
  std::uint32_t type = 0;
  std::string data;
  const long result = Query(name, type, data);
  if (result != kRegSuccess) return result;
  if (data.size() > kReadStringBufferSize) return kRegMoreData;
  text = std::string(data.c_str());  // up to the first zero
  return kRegSuccess;
}

long CMyRegKey::ReadText(const std::string& name, char* buffer, std::uint32_t& size) {
  std::uint32_t type = 0;
  std::string data;
  const long result = Query(name, type, data);
  if (result != kRegSuccess) return result;
  if (type != kRegSz && type != kRegExpandSz && type != kRegMultiSz) return -1;
  if (buffer == nullptr || data.size() > size) {
    size = static_cast<std::uint32_t>(data.size());
    return buffer == nullptr ? kRegSuccess : kRegMoreData;
  }
  std::memcpy(buffer, data.data(), data.size());
  size = static_cast<std::uint32_t>(data.size());
  return kRegSuccess;
}

long CMyRegKey::ReadDword(const std::string& name, std::uint32_t& number) {
  std::uint32_t type = 0;
  std::string data;
  const long result = Query(name, type, data);
  if (result != kRegSuccess) return result;
  if (data.size() > sizeof number) return kRegMoreData;
  std::memcpy(&number, data.data(), data.size());  // only the bytes the value has
  return kRegSuccess;
}

long CMyRegKey::ReadDwordStrict(const std::string& name, std::uint32_t& number) {
  std::uint32_t type = 0;
  std::string data;
  const long result = Query(name, type, data);
  if (result != kRegSuccess) return result;
  if (type != kRegDword || data.size() != sizeof number) return -1;
  std::memcpy(&number, data.data(), sizeof number);
  return kRegSuccess;
}

long CMyRegKey::WriteString(const std::string& name, const std::string& text) {
  return Set(name, kRegSz, std::string(text.c_str(), std::strlen(text.c_str()) + 1));
}

long CMyRegKey::WriteDword(const std::string& name, std::uint32_t number) {
  const char bytes[4] = {static_cast<char>(number), static_cast<char>(number >> 8), static_cast<char>(number >> 16),
                         static_cast<char>(number >> 24)};
  return Set(name, kRegDword, std::string(bytes, 4));
}

long CMyRegKey::WriteValue(const std::string& name, std::uint32_t type, const std::string& data) {
  return Set(name, type, data);
}

long CMyRegKey::QueryInfo(RegKeyInfo& info) {
  if (!open_) return kRegInvalidHandle;
  const auto keys = RegStore::ForRoot(root_).Load();
  const int key = FindRegKey(keys, path_);
  if (key < 0 && !path_.empty()) return kRegFileNotFound;
  info = RegKeyInfo{};
  for (const auto& record : keys) {
    if (record.path.empty() || SameRegName(record.path, path_) || !SameRegName(ParentRegPath(record.path), path_)) {
      continue;
    }
    ++info.subKeys;
    info.maxSubKeyLength = std::max<std::uint32_t>(info.maxSubKeyLength, ChildName(record.path).size());
  }
  if (key >= 0) {
    for (const auto& value : keys[static_cast<std::size_t>(key)].values) {
      ++info.values;
      info.maxValueNameLength = std::max<std::uint32_t>(info.maxValueNameLength, value.name.size());
      info.maxValueDataLength = std::max<std::uint32_t>(info.maxValueDataLength, value.data.size());
    }
  }
  return kRegSuccess;
}

long CMyRegKey::EnumKey(std::uint32_t index, std::string& name) {
  if (!open_) return kRegInvalidHandle;
  const auto keys = RegStore::ForRoot(root_).Load();
  std::vector<std::string> children;
  for (const auto& record : keys) {
    if (record.path.empty() || SameRegName(record.path, path_)) continue;
    if (SameRegName(ParentRegPath(record.path), path_)) children.push_back(ChildName(record.path));
  }
  std::sort(children.begin(), children.end(),
            [](const std::string& a, const std::string& b) { return Lowered(a) < Lowered(b); });
  if (index >= children.size()) return kRegNoMoreItems;
  if (children[index].size() >= 256) return kRegMoreData;
  name = children[index];
  return kRegSuccess;
}

long CMyRegKey::DeleteSubKey(const std::string& subKey) {
  if (!open_) return kRegInvalidHandle;
  const std::string relative = NormalRegPath(subKey);
  if (relative.empty()) return kRegInvalidParameter;
  return DeleteKey(root_, path_.empty() ? relative : path_ + "\\" + relative);
}

long CMyRegKey::DeleteKey(RegRoot root, const std::string& path) {
  const std::string normal = NormalRegPath(path);
  if (normal.empty()) return kRegAccessDenied;
  return RegStore::ForRoot(root).Update([&](std::vector<RegKeyRecord>& keys, bool& changed) {
    const int key = FindRegKey(keys, normal);
    if (key < 0) return kRegFileNotFound;
    if (HasSubKeys(keys, normal)) return kRegAccessDenied;
    keys.erase(keys.begin() + key);
    changed = true;
    return kRegSuccess;
  });
}

long CMyRegKey::Close() {
  open_ = false;
  path_.clear();
  return kRegSuccess;
}

}  // namespace orvane
