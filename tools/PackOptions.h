#pragma once
// The command line of orvane-pack.
#include <string>
#include <vector>

namespace orvane::pack {

struct PackOptions {
  std::string payloadFolder;
  std::string uninstaller;
  std::string output;
  std::string keyName;
  std::string displayName;
  std::string fullName;
  std::string version;
  std::string date;        // YYYY-MM-DD
  std::string web;
  std::string publisher;
  bool x64 = false;
  std::string descriptor;  // where to write the download descriptor; empty: none
  std::vector<std::string> mirrors;
};

// Fills `options` from the arguments (without the program name); texts not
// given take the product profile's values and today's date. False with
// `error` set for unknown options, missing values or bad combinations.
bool ParsePackOptions(const std::vector<std::string>& args, PackOptions& options, std::string& error);
std::string PackUsage();

}  // namespace orvane::pack
