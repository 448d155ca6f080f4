#include "download/XMLParse.h"

#include <boost/property_tree/xml_parser.hpp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string_view>

namespace orvane {

namespace pt = boost::property_tree;

namespace {

// Deepest element nesting accepted. The XML reader recurses once per level, so
// a document nested without bound would exhaust the stack; descriptors use 3.
constexpr int kMaxNesting = 256;

// Skips past `end` from `at`; npos when it never comes.
std::size_t SkipPast(std::string_view text, std::size_t at, std::string_view end) {
  const std::size_t found = text.find(end, at);
  return found == std::string_view::npos ? found : found + end.size();
}

// False when elements nest deeper than `limit`. Markup that does not end is
// left for the reader to reject.
bool NestingWithin(std::string_view text, int limit) {
  int depth = 0;
  std::size_t at = 0;
  while ((at = text.find('<', at)) != std::string_view::npos) {
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("<!--")) {
      at = SkipPast(text, at + 4, "-->");
    } else if (rest.starts_with("<![CDATA[")) {
      at = SkipPast(text, at + 9, "]]>");
    } else if (rest.starts_with("<?")) {
      at = SkipPast(text, at + 2, "?>");
    } else if (rest.starts_with("<!")) {
      at = SkipPast(text, at + 2, ">");
    } else {
      std::size_t end = at + 1;
      char quote = 0;
      for (; end < text.size(); ++end) {
        const char c = text[end];
        if (quote != 0) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == '>') {
          break;
        }
      }
      if (end >= text.size()) return true;
      if (rest.starts_with("</")) {
        --depth;
      } else if (text[end - 1] != '/' && ++depth > limit) {
        return false;
      }
      at = end + 1;
    }
    if (at == std::string_view::npos) return true;
  }
  return true;
}

}  // namespace

bool XMLParse::LoadFromText(const char* text, std::size_t length) {
  if (text == nullptr) return false;
  const std::string_view view(text, strnlen(text, length));
  if (!NestingWithin(view, kMaxNesting)) return false;
  try {
    std::istringstream stream{std::string(view)};
    pt::ptree tree;
    pt::read_xml(stream, tree, pt::xml_parser::trim_whitespace);
    tree_.swap(tree);
    return true;
  } catch (...) {
    return false;
  }
}

bool XMLParse::LoadFromFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return false;
  if (!LoadFromText(text.c_str(), text.size())) return false;
  filePath_ = path;
  loaded_ = true;
  return true;
}

std::string XMLParse::AttributePath(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return {};
  return path.substr(0, dot) + ".<xmlattr>" + path.substr(dot);
}

bool XMLParse::GetInt(const std::string& path, int& value) const {
  try {
    const std::string attribute = AttributePath(path);
    if (attribute.empty()) return false;
    const int read = tree_.get<int>(attribute, kMissingInt);
    if (read == kMissingInt) return false;
    value = read;
    return true;
  } catch (...) {
    return false;
  }
}

bool XMLParse::GetString(const std::string& path, std::string& value) const {
  try {
    const std::string attribute = AttributePath(path);
    if (attribute.empty()) return false;
    std::string read = tree_.get<std::string>(attribute, kMissingString);
    if (read == kMissingString) return false;
    value = std::move(read);
    return true;
  } catch (...) {
    return false;
  }
}

HRESULT CreateXMLParse(std::shared_ptr<IXMLParse>* parser) {
  if (parser == nullptr) return E_POINTER;
  try {
    *parser = std::make_shared<XMLParse>();
    return S_OK;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace orvane
