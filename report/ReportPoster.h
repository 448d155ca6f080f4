#pragma once
// The two HTTP multipart form POSTs of the statistics service. Each call runs
// one transfer on the calling thread and is bounded in time; callers retry.
#include <chrono>
#include <string>

namespace orvane {

// Longest time one report post may take (connect, send, reply).
inline constexpr std::chrono::milliseconds kReportPostTimeout{5000};
// Longest time one log upload may take (the log is a small text file).
inline constexpr std::chrono::milliseconds kLogUploadTimeout{8000};

// Posts "json_data" = `json` and "app_id" = `appId` to `address`. True only
// when the service answers with a success status and a JSON reply whose
// "result" object holds "res": true.
bool PostReport(const std::string& address, const std::string& json, const std::string& appId,
                std::chrono::milliseconds timeout = kReportPostTimeout);
// Uploads the file at `logPath` as "install_log" under the name `fileName`,
// after "app_id" and "log_type". False when the name or path is empty, the file
// is missing, the transfer fails or the service answers with an error status;
// the reply text is not examined.
bool UploadInstallLog(const std::string& address, const std::string& fileName, const std::string& logPath,
                      const std::string& appId, const std::string& logType,
                      std::chrono::milliseconds timeout = kLogUploadTimeout);
// Whether a reply text confirms a report.
bool IsConfirmingReply(const std::string& reply);

}  // namespace orvane
