#pragma once
// The install statistics reporter: collects the facts of one run and posts a
// start report and a final report (and, after a failure, the install log) to
// the statistics service. The setters are called from the install worker and
// the window threads, the reports from the start-report thread and the window
// thread; every field is guarded by one mutex, and no post runs under it.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "report/CJsonObject.h"
#include "report/ReportPoster.h"

namespace orvane {

inline constexpr std::int32_t kReportVersion = 1015;

// One mirror as the final report lists it.
struct UrlInfoEntry {
  std::string url;  // not reported
  bool ok = false;  // the mirror passed its probe
  std::int32_t pingTime = 0;  // milliseconds
  std::string host;
};

// What the reporter is given when it is made.
struct ReporterSettings {
  std::string reportAddress;  // start and final reports
  std::string uuid;           // NewUuidText, made for this reporter
  std::string appId;          // the product's full name
  std::string option;
  std::string source;
  std::string logPath;
  std::string appVersion;
  std::string logAddress;  // log uploads
  bool appIs64Bit = false;
  bool systemIs64Bit = false;
};

// The five choices of the run the final report carries.
struct FinalReportFlags {
  bool autoInstall = false;
  bool runApp = false;
  bool changeInstallPath = false;
  bool addPlan = false;
  bool createDesktop = false;
};

class InstallReporter {
 public:
  explicit InstallReporter(ReporterSettings settings);

  void MarkStarted();
  void OnDownloadBegin();
  void SetUrlInfo(std::vector<UrlInfoEntry> allMirrors, std::vector<UrlInfoEntry> usedMirrors);
  void OnDownloadEnd(bool succeeded, std::int32_t resultCode, const std::string& resultName, std::int32_t curlError,
                     const std::string& lastFailLink, const std::string& repairLink);
  void OnInstallBegin();
  void OnInstallEnd(bool succeeded, std::int32_t resultCode, const std::string& resultName, bool thankYouShown);
  void SetDownloadProgress(std::int32_t progress, std::int32_t speed, std::int32_t averageSpeed, bool cdnUsed);

  // Posts the start report; true when the service confirmed it.
  bool SendStartReport();
  // Posts the final report (uploading the log after a failed download or
  // install); true when the service confirmed the report.
  bool SendFinalReport(const FinalReportFlags& flags);

  // The status the final report would carry now; may set the download or install end.
  std::string ComputeInstallStatus();
  // The report texts, as they would be posted now.
  std::string BuildStartReport();
  std::string BuildFinalReport(const FinalReportFlags& flags, std::string* status = nullptr);

  const std::string& UserId() const { return userId_; }
  const std::string& SystemLanguage() const { return systemLanguage_; }
  // Bounds of each post; tests shorten them.
  void SetPostTimeouts(std::chrono::milliseconds post, std::chrono::milliseconds upload);

 private:
  static std::int32_t Now();
  std::string StatusLocked();
  void AddCommonKeys(CJsonObject& json) const;
  std::string Fallback(const std::string& status) const;

  const ReporterSettings settings_;
  const std::string userId_;
  const std::string systemLanguage_;

  mutable std::mutex mutex_;  // guards everything below
  std::string lastFailLink_;
  std::string repairLink_;
  std::string downloadErrorText_;
  std::string installErrorText_;
  std::int32_t installErrorCode_ = 0;
  std::int32_t downloadErrorCode_ = 0;
  std::int32_t curlError_ = 0;
  bool cdnUsed_ = false;
  bool thankYouShown_ = false;
  bool downloadSucceeded_ = false;
  bool installSucceeded_ = false;
  bool started_ = false;
  bool installing_ = false;
  bool downloadFinished_ = false;
  std::int32_t progress_ = 0;
  std::int32_t speed_ = 0;
  std::int32_t averageSpeed_ = 0;
  std::int32_t runStart_ = 0;
  std::int32_t runEnd_ = 0;
  std::int32_t downloadBegin_ = 0;
  std::int32_t downloadEnd_ = 0;
  std::int32_t installBegin_ = 0;
  std::int32_t installEnd_ = 0;
  std::vector<UrlInfoEntry> allMirrors_;
  std::vector<UrlInfoEntry> usedMirrors_;
  std::chrono::milliseconds postTimeout_ = kReportPostTimeout;
  std::chrono::milliseconds uploadTimeout_ = kLogUploadTimeout;
};

}  // namespace orvane
