#include "app/ProductConstants.h"

#include <sstream>

#include "app/StartupSettings.h"

namespace orvane {

std::string ProductFolderPath() {
  std::string path = kMakerFolderName;
  if (!path.empty()) path += "/";
  return path + kProductFolderName;
}

std::vector<std::string> ProductProcessNames() {
  std::vector<std::string> names;
  std::stringstream list(kProductProcessList);
  for (std::string name; std::getline(list, name, ',');) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string StatsHost() {
  const std::string& configured = GetStartupSettings().statsHost;
  return configured.empty() ? kDefaultStatsHost : configured;
}

std::string StartReportUrl() { return "http://" + StatsHost() + "/api/install/online.php"; }

std::string LogReportUrl() { return "http://" + StatsHost() + "/api/install/index_log.php"; }

}  // namespace orvane
