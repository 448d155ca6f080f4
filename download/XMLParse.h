#pragma once
// XML access for the download descriptor: a document held in a Boost property
// tree, read through dotted paths whose last part names an attribute
// ("download.url.item_3.value"). Nothing here throws.
#include <boost/property_tree/ptree.hpp>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/Status.h"

namespace orvane {

class IXMLParse {
 public:
  virtual ~IXMLParse() = default;

  // Parses `text` (up to `length` bytes or its first NUL); false on any parse error.
  virtual bool LoadFromText(const char* text, std::size_t length) = 0;
  // Reads a whole file and parses it; false when it cannot be read or parsed.
  virtual bool LoadFromFile(const std::string& path) = 0;
  // The integer attribute at `path`; false when absent, not an integer or the sentinel.
  virtual bool GetInt(const std::string& path, int& value) const = 0;
  // The text attribute at `path`; false when absent or equal to the sentinel.
  virtual bool GetString(const std::string& path, std::string& value) const = 0;
};

class XMLParse : public IXMLParse {
 public:
  // Read default that marks an integer as missing.
  static constexpr int kMissingInt = -9999999;
  // Read default that marks a text as missing.
  static constexpr const char* kMissingString = "{__see_it_is_read_string_failed_}";

  bool LoadFromText(const char* text, std::size_t length) override;
  bool LoadFromFile(const std::string& path) override;
  bool GetInt(const std::string& path, int& value) const override;
  bool GetString(const std::string& path, std::string& value) const override;

  bool IsLoaded() const { return loaded_; }
  const std::string& FilePath() const { return filePath_; }

  // "a.b.c" -> "a.b.<xmlattr>.c"; empty when the path has no dot.
  static std::string AttributePath(const std::string& path);

 private:
  boost::property_tree::ptree tree_;
  std::string filePath_;
  bool loaded_ = false;
};

// Makes an empty parser; S_OK, or E_FAIL when none could be made.
HRESULT CreateXMLParse(std::shared_ptr<IXMLParse>* parser);

}  // namespace orvane
