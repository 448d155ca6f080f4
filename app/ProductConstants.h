#pragma once
// Constants of the product: names, folders, processes and web addresses.
#include <string>
#include <vector>

namespace orvane {

inline constexpr const char* kProductFullName = "Lumtar Orvane";
inline constexpr const char* kMakerFolderName = "Lumtar";
inline constexpr const char* kProductFolderName = "Orvane";
inline constexpr const char* kMainExeNameX64 = "Lumtar Orvane.exe";
inline constexpr const char* kMainExeNameX86 = "Lumtar Orvane.exe";
inline constexpr const char* kCompanionKeyName = "";
inline constexpr const char* kCompanionFinishPageX64 = "";
inline constexpr const char* kCompanionFinishPageX86 = "";
inline constexpr const char* kProductProcessList = "liveUpdate.exe,Lumtar Orvane.exe";
inline constexpr const char* kWebSiteHost = ORVANE_WEB_HOST;
inline constexpr const char* kDefaultStatsHost = ORVANE_STATS_HOST;

// Web pages; each ends in "v=" and the caller appends the product version.
inline constexpr const char* kFinishPageUrlX64 =
    "https://" ORVANE_WEB_HOST "/thankyou.htm?ad=orvane_client_thankyou&s=orvane_client&downloadmode=1&v=";
inline constexpr const char* kFinishPageUrlX86 = kFinishPageUrlX64;
inline constexpr const char* kHomePageUrl = "https://" ORVANE_WEB_HOST "/?s=orvane_client&ad=orvane_client&v=";
inline constexpr const char* kLicenceUrl =
    "http://" ORVANE_WEB_HOST "/lumtar-user-license-agreement.htm?ad=orvane_client&s=orvane_client&v=";
inline constexpr const char* kExperienceUrl =
    "http://" ORVANE_WEB_HOST "/u-experience.htm?ad=orvane_client&s=orvane_client&v=";

// "Lumtar/Orvane": the maker folder and the product folder (the product folder
// alone when the maker folder name is empty).
std::string ProductFolderPath();
// The product's process names, split at ",".
std::vector<std::string> ProductProcessNames();
// The statistics host: the one given at start-up, else the compiled-in one.
std::string StatsHost();
// "http://<stats host>/api/install/online.php"
std::string StartReportUrl();
// "http://<stats host>/api/install/index_log.php"
std::string LogReportUrl();

}  // namespace orvane
