#include "report/CJsonObject.h"

#include <cjson/cJSON.h>

#include <cstdlib>
#include <mutex>
#include <utility>

namespace orvane {
namespace {

constexpr const char* kNotAnObject = "not a json object! json array?";
constexpr const char* kNotAnArray = "not a json array! json object?";
constexpr const char* kNoData = "json data is null!";
constexpr const char* kParseError = "prase json string error at ";

// cJSON keeps the position of the last parse error in a process-wide variable;
// parses are serialised so that threads never race on it.
std::mutex& ParseMutex() {
  static std::mutex mutex;
  return mutex;
}

cJSON* ParseCopy(const std::string& text, std::string* errorAt) {
  std::lock_guard lock(ParseMutex());
  const char* end = nullptr;
  cJSON* parsed = cJSON_ParseWithLengthOpts(text.c_str(), text.size(), &end, 0);
  if (parsed == nullptr && errorAt != nullptr) *errorAt = end != nullptr ? end : "";
  return parsed;
}

std::string Print(const cJSON* item) {
  if (item == nullptr) return "";
  char* printed = cJSON_PrintUnformatted(item);
  if (printed == nullptr) return "";
  std::string text = printed;
  cJSON_free(printed);
  return text;
}

cJSON* Duplicate(const cJSON* item) { return item == nullptr ? nullptr : ParseCopy(Print(item), nullptr); }

}  // namespace

CJsonObject::CJsonObject(const std::string& json) { Parse(json); }

CJsonObject::CJsonObject(const CJsonObject& other) : root_(Duplicate(other.root_)), error_(other.error_) {}

CJsonObject& CJsonObject::operator=(const CJsonObject& other) {
  if (this != &other) {
    cJSON* copy = Duplicate(other.root_);
    Clear();
    root_ = copy;
    error_ = other.error_;
  }
  return *this;
}

CJsonObject::CJsonObject(CJsonObject&& other) noexcept
    : root_(std::exchange(other.root_, nullptr)), error_(std::move(other.error_)) {}

CJsonObject& CJsonObject::operator=(CJsonObject&& other) noexcept {
  if (this != &other) {
    Clear();
    root_ = std::exchange(other.root_, nullptr);
    error_ = std::move(other.error_);
  }
  return *this;
}

CJsonObject::~CJsonObject() { Clear(); }

void CJsonObject::Clear() {
  if (root_ != nullptr) cJSON_Delete(root_);
  root_ = nullptr;
}

bool CJsonObject::EnsureRoot(bool asArray) {
  if (root_ == nullptr) root_ = asArray ? cJSON_CreateArray() : cJSON_CreateObject();
  if (root_ == nullptr) {
    error_ = kNoData;
    return false;
  }
  if (asArray ? !cJSON_IsArray(root_) : !cJSON_IsObject(root_)) {
    error_ = asArray ? kNotAnArray : kNotAnObject;
    return false;
  }
  return true;
}

bool CJsonObject::AddItem(const std::string& key, cJSON* item) {
  if (!EnsureRoot(false)) {
    if (item != nullptr) cJSON_Delete(item);
    return false;
  }
  if (item == nullptr) {
    error_ = kNoData;
    return false;
  }
  if (!cJSON_AddItemToObject(root_, key.c_str(), item)) {
    cJSON_Delete(item);
    error_ = kNoData;
    return false;
  }
  return true;
}

bool CJsonObject::Add(const std::string& key, std::int32_t value) { return AddItem(key, cJSON_CreateNumber(value)); }

bool CJsonObject::Add(const std::string& key, const std::string& value) {
  return AddItem(key, cJSON_CreateString(value.c_str()));
}

bool CJsonObject::Add(const std::string& key, const char* value) {
  return Add(key, std::string(value != nullptr ? value : ""));
}

bool CJsonObject::Add(const std::string& key, const CJsonObject& value) {
  if (value.root_ == nullptr) {
    error_ = kNoData;
    return false;
  }
  return AddItem(key, Duplicate(value.root_));
}

bool CJsonObject::AddArrayItem(const CJsonObject& item) {
  if (!EnsureRoot(true)) return false;
  cJSON* copy = Duplicate(item.root_);
  if (copy == nullptr) {
    error_ = kNoData;
    return false;
  }
  if (!cJSON_AddItemToArray(root_, copy)) {
    cJSON_Delete(copy);
    error_ = kNoData;
    return false;
  }
  return true;
}

std::string CJsonObject::ToString() const { return Print(root_); }

bool CJsonObject::Parse(const std::string& text) {
  Clear();
  std::string errorAt;
  root_ = ParseCopy(text, &errorAt);
  if (root_ == nullptr) {
    error_ = kParseError + errorAt;
    return false;
  }
  error_.clear();
  return true;
}

bool CJsonObject::Get(const std::string& key, CJsonObject& value) const {
  if (!cJSON_IsObject(root_)) return false;
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root_, key.c_str());
  if (item == nullptr) return false;
  value.Clear();
  value.root_ = Duplicate(item);
  return value.root_ != nullptr;
}

bool CJsonObject::Get(const std::string& key, bool& value) const {
  if (!cJSON_IsObject(root_)) return false;
  const cJSON* item = cJSON_GetObjectItemCaseSensitive(root_, key.c_str());
  if (!cJSON_IsBool(item)) return false;
  value = cJSON_IsTrue(item) != 0;
  return true;
}

}  // namespace orvane
