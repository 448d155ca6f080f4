#pragma once
// A JSON value builder and reader over cJSON: objects and arrays are built by
// adding keys or items, printed compactly, and read back by key. Not shared
// between threads; each thread uses its own objects.
#include <cstdint>
#include <string>

struct cJSON;

namespace orvane {

class CJsonObject {
 public:
  CJsonObject() = default;
  // Parses `json` (see Parse).
  explicit CJsonObject(const std::string& json);
  CJsonObject(const CJsonObject& other);
  CJsonObject& operator=(const CJsonObject& other);
  CJsonObject(CJsonObject&& other) noexcept;
  CJsonObject& operator=(CJsonObject&& other) noexcept;
  virtual ~CJsonObject();

  // Add a key to an object (an object is made when nothing is held yet).
  // False, with the error text set, when an array is held or no root can be made.
  bool Add(const std::string& key, std::int32_t value);
  bool Add(const std::string& key, const std::string& value);
  bool Add(const std::string& key, const char* value);
  // Attaches a copy of `value` (printed and parsed again).
  bool Add(const std::string& key, const CJsonObject& value);
  // Appends a copy of `item` to an array (an array is made when nothing is held yet).
  bool AddArrayItem(const CJsonObject& item);

  // Compact JSON text, keys in the order added; "" when nothing is held.
  std::string ToString() const;
  // Replaces the content by the parsed text. On failure nothing is held and the
  // error text tells where parsing stopped.
  bool Parse(const std::string& text);
  // A copy of the value of `key`; false when the key is missing.
  bool Get(const std::string& key, CJsonObject& value) const;
  // True when `key` holds a JSON true or false, which is stored in `value`.
  bool Get(const std::string& key, bool& value) const;
  bool IsEmpty() const { return root_ == nullptr; }
  const std::string& GetErrMsg() const { return error_; }

 private:
  bool EnsureRoot(bool asArray);
  bool AddItem(const std::string& key, cJSON* item);
  void Clear();

  cJSON* root_ = nullptr;  // owned; null until the first value is added
  std::string error_;
};

}  // namespace orvane
