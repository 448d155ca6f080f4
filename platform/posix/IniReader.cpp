#include "platform/IniReader.h"

#include <boost/algorithm/string/predicate.hpp>
#include <boost/property_tree/ini_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <cctype>
#include <cstdlib>

namespace orvane::platform {
namespace {

// Leading optional sign and digits, as GetPrivateProfileInt reads a value.
int LeadingInteger(const std::string& text, int defaultValue) {
  std::size_t pos = 0;
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  const std::size_t start = pos;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) ++pos;
  if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) {
    return start == text.size() ? defaultValue : 0;
  }
  return static_cast<int>(std::strtol(text.c_str() + start, nullptr, 10));
}

}  // namespace

int ReadIniInt(const std::string& path, const std::string& section, const std::string& key, int defaultValue) {
  boost::property_tree::ptree tree;
  try {
    boost::property_tree::ini_parser::read_ini(path, tree);
  } catch (const std::exception&) {
    return defaultValue;
  }
  for (const auto& [sectionName, keys] : tree) {
    if (!boost::iequals(sectionName, section)) continue;
    for (const auto& [keyName, value] : keys) {
      if (boost::iequals(keyName, key)) return LeadingInteger(value.data(), defaultValue);
    }
  }
  return defaultValue;
}

}  // namespace orvane::platform
