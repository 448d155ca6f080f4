#include "report/InstallReporter.h"

#include <boost/format.hpp>

#include <utility>

#include "platform/Clock.h"
#include "platform/SystemInfo.h"
#include "report/MachineIdentity.h"
#include "report/ReportFormat.h"
#include "ui/LanguageService.h"

namespace orvane {
namespace {

constexpr const char* kFallbackFormat =
    "{\"version\":%1%,\"user_id\":\"%2%\",\"uuid\":\"%3%\",\"app_id\":\"%4%\",\"install_status\":\"%5%\"}";

std::string UserIdFor(const std::string& uuid) {
  const std::vector<std::string> addresses = ListAdapterAddresses();
  return addresses.empty() ? uuid : addresses.front();
}

const char* Bits(bool is64) { return is64 ? "win64" : "win32"; }
const char* Flag(bool value) { return value ? "true" : "false"; }

// The url array and its text form of one mirror list.
void AddMirrors(CJsonObject& json, const char* arrayKey, const char* textKey, const std::vector<UrlInfoEntry>& list) {
  if (list.empty()) return;
  CJsonObject array;
  std::string text;
  for (const UrlInfoEntry& entry : list) {
    CJsonObject item;
    item.Add("invalid", entry.ok ? 1 : 0);
    item.Add("domain", entry.host);
    item.Add("ping_time", entry.pingTime);
    array.AddArrayItem(item);
    text += (boost::format("(domain-%1%,invalid-%2%,ping_time-%3%)") % entry.host % (entry.ok ? 1 : 0) %
             entry.pingTime)
                .str();
  }
  json.Add(arrayKey, array);
  json.Add(textKey, text);
}

}  // namespace

InstallReporter::InstallReporter(ReporterSettings settings)
    : settings_(std::move(settings)),
      userId_(UserIdFor(settings_.uuid)),
      systemLanguage_(platform::UserLanguageEnglishName()) {}

std::int32_t InstallReporter::Now() { return static_cast<std::int32_t>(platform::GetTickCount32() / 1000u); }

void InstallReporter::MarkStarted() {
  std::lock_guard lock(mutex_);
  started_ = true;
}

void InstallReporter::OnDownloadBegin() {
  std::lock_guard lock(mutex_);
  downloadBegin_ = Now();
  downloadFinished_ = false;
}

void InstallReporter::SetUrlInfo(std::vector<UrlInfoEntry> allMirrors, std::vector<UrlInfoEntry> usedMirrors) {
  std::lock_guard lock(mutex_);
  allMirrors_ = std::move(allMirrors);
  usedMirrors_ = std::move(usedMirrors);
}

void InstallReporter::OnDownloadEnd(bool succeeded, std::int32_t resultCode, const std::string& resultName,
                                    std::int32_t curlError, const std::string& lastFailLink,
                                    const std::string& repairLink) {
  std::lock_guard lock(mutex_);
  downloadEnd_ = Now();
  downloadErrorCode_ = resultCode;
  downloadErrorText_ = resultName;
  curlError_ = curlError;
  lastFailLink_ = lastFailLink;
  repairLink_ = repairLink;
  downloadSucceeded_ = succeeded;
  downloadFinished_ = true;
}

void InstallReporter::OnInstallBegin() {
  std::lock_guard lock(mutex_);
  installBegin_ = Now();
  installing_ = true;
}

void InstallReporter::OnInstallEnd(bool succeeded, std::int32_t resultCode, const std::string& resultName,
                                   bool thankYouShown) {
  std::lock_guard lock(mutex_);
  installEnd_ = Now();
  installSucceeded_ = succeeded;
  installErrorCode_ = resultCode;
  installErrorText_ = resultName;
  thankYouShown_ = thankYouShown;
  installing_ = false;
}

void InstallReporter::SetDownloadProgress(std::int32_t progress, std::int32_t speed, std::int32_t averageSpeed,
                                          bool cdnUsed) {
  std::lock_guard lock(mutex_);
  progress_ = progress;
  speed_ = speed;
  averageSpeed_ = averageSpeed;
  cdnUsed_ = cdnUsed;
}

void InstallReporter::SetPostTimeouts(std::chrono::milliseconds post, std::chrono::milliseconds upload) {
  std::lock_guard lock(mutex_);
  postTimeout_ = post;
  uploadTimeout_ = upload;
}

std::string InstallReporter::ComputeInstallStatus() {
  std::lock_guard lock(mutex_);
  return StatusLocked();
}

std::string InstallReporter::StatusLocked() {
  if (!started_) return "cancel";
  if (!downloadFinished_) {
    downloadEnd_ = Now();
    return "donwload_cancel";
  }
  if (installSucceeded_) return "success";
  if (installing_) {
    installEnd_ = Now();
    return "install_cancel";
  }
  if (downloadSucceeded_) return "install_fail";
  return "downLoad_fail";
}

void InstallReporter::AddCommonKeys(CJsonObject& json) const {
  json.Add("version", kReportVersion);
  json.Add("user_id", userId_);
  json.Add("system_language", systemLanguage_);
  json.Add("language", GetLanguageName());
  json.Add("uuid", settings_.uuid);
  json.Add("app_id", settings_.appId);
  json.Add("option", settings_.option);
  json.Add("source", settings_.source);
  json.Add("app_type", Bits(settings_.appIs64Bit));
  json.Add("system_type", Bits(settings_.systemIs64Bit));
}

std::string InstallReporter::Fallback(const std::string& status) const {
  return (boost::format(kFallbackFormat) % kReportVersion % userId_ % settings_.uuid % settings_.appId % status)
      .str();
}

std::string InstallReporter::BuildStartReport() {
  std::lock_guard lock(mutex_);
  runStart_ = Now();
  CJsonObject json;
  AddCommonKeys(json);
  json.Add("localtime", FormatLocalTime());
  json.Add("app_version", settings_.appVersion);
  json.Add("install_status", "start");
  const std::string text = json.ToString();
  return text.empty() ? Fallback("start") : text;
}

std::string InstallReporter::BuildFinalReport(const FinalReportFlags& flags, std::string* statusOut) {
  std::lock_guard lock(mutex_);
  const std::string status = StatusLocked();
  if (statusOut != nullptr) *statusOut = status;
  if (downloadEnd_ == 0) downloadEnd_ = Now();
  runEnd_ = Now();
  const std::int32_t installSeconds = installEnd_ - installBegin_;
  // A run closed before its download began has no download time (not the
  // seconds since the system started).
  const std::int32_t downloadSeconds = downloadBegin_ == 0 ? 0 : downloadEnd_ - downloadBegin_;
  const std::int32_t runSeconds = runEnd_ - runStart_;

  CJsonObject json;
  AddCommonKeys(json);
  json.Add("install_status", status);
  json.Add("localtime", FormatLocalTime());
  json.Add("amazon_download", Flag(cdnUsed_));
  json.Add("show_thankyou", Flag(thankYouShown_));
  json.Add("download_last_error", downloadErrorText_);
  json.Add("install_last_error", installErrorText_);
  json.Add("download_second", downloadSeconds);
  json.Add("download_time_string", FormatDuration(downloadSeconds));
  json.Add("install_second", installSeconds);
  json.Add("install_time_string", FormatDuration(installSeconds));
  json.Add("app_run_second", runSeconds);
  json.Add("app_run_time_string", FormatDuration(runSeconds));
  json.Add("progress_rate", progress_);
  json.Add("speed_string", FormatByteSize(speed_));
  json.Add("average_speed_string", FormatByteSize(averageSpeed_));
  json.Add("speed", speed_);
  json.Add("average_speed", averageSpeed_);
  json.Add("auto_install", Flag(flags.autoInstall));
  json.Add("run_app", Flag(flags.runApp));
  json.Add("change_install_path", Flag(flags.changeInstallPath));
  json.Add("add_plan", Flag(flags.addPlan));
  json.Add("create_desktop", Flag(flags.createDesktop));
  json.Add("app_version", settings_.appVersion);
  if (status == "downLoad_fail") {
    json.Add("curl_error", curlError_);
    json.Add("last_fail_link", lastFailLink_);
    json.Add("repair_link", repairLink_);
  }
  AddMirrors(json, "all_url_info", "all_url_info_str", allMirrors_);
  AddMirrors(json, "used_url_info", "used_url_info_str", usedMirrors_);
  const std::string text = json.ToString();
  return text.empty() ? Fallback(status) : text;
}

bool InstallReporter::SendStartReport() {
  const std::string text = BuildStartReport();
  std::chrono::milliseconds timeout;
  {
    std::lock_guard lock(mutex_);
    timeout = postTimeout_;
  }
  return PostReport(settings_.reportAddress, text, settings_.appId, timeout);
}

bool InstallReporter::SendFinalReport(const FinalReportFlags& flags) {
  std::string status;
  const std::string text = BuildFinalReport(flags, &status);
  std::chrono::milliseconds timeout;
  std::chrono::milliseconds uploadTimeout;
  {
    std::lock_guard lock(mutex_);
    timeout = postTimeout_;
    uploadTimeout = uploadTimeout_;
  }
  const bool confirmed = PostReport(settings_.reportAddress, text, settings_.appId, timeout);
  if (status == "install_fail" || status == "downLoad_fail") {
    UploadInstallLog(settings_.logAddress, settings_.uuid, settings_.logPath, settings_.appId, status, uploadTimeout);
  }
  return confirmed;
}

}  // namespace orvane
