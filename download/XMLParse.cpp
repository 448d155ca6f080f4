#include "download/XMLParse.h"

#include <boost/property_tree/xml_parser.hpp>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>

namespace orvane {

namespace pt = boost::property_tree;

bool XMLParse::LoadFromText(const char* text, std::size_t length) {
  if (text == nullptr) return false;
  try {
    std::istringstream stream(std::string(text, strnlen(text, length)));
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
