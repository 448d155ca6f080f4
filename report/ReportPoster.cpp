#include "report/ReportPoster.h"

#include <curl/curl.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <memory>
#include <mutex>

#include "platform/PathUtil.h"
#include "report/CJsonObject.h"

namespace orvane {
namespace {

// Replies longer than this are not a statistics reply; the transfer is ended.
constexpr std::size_t kMaxReplyBytes = 1 << 20;

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using MimeHandle = std::unique_ptr<curl_mime, decltype(&curl_mime_free)>;
using HeaderList = std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)>;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl write callback, on the posting thread: appends the reply up to its limit.
std::size_t AppendReply(char* data, std::size_t size, std::size_t count, void* target) {
  auto* reply = static_cast<std::string*>(target);
  const std::size_t bytes = size * count;
  if (reply->size() + bytes > kMaxReplyBytes) return 0;
  reply->append(data, bytes);
  return bytes;
}

bool AddField(curl_mime* mime, const char* name, const std::string& value) {
  curl_mimepart* part = curl_mime_addpart(mime);
  return part != nullptr && curl_mime_name(part, name) == CURLE_OK &&
         curl_mime_data(part, value.data(), value.size()) == CURLE_OK;
}

long Milliseconds(std::chrono::milliseconds duration) { return static_cast<long>(std::max<long long>(1, duration.count())); }

bool ReadLogSnapshot(const std::string& path, std::string& content) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return false;
  content = text.str();
  return true;
}

// Sends the form at once instead of waiting for "100 Continue".
HeaderList NoExpectHeader() { return HeaderList(curl_slist_append(nullptr, "Expect:"), &curl_slist_free_all); }

// Runs the transfer; true when it completed with a success status.
bool Perform(CURL* curl) {
  if (curl_easy_perform(curl) != CURLE_OK) return false;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status >= 200 && status < 300;
}

void SetCommonOptions(CURL* curl, const std::string& address, curl_mime* form, std::string* reply,
                      curl_slist* headers) {
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_MIMEPOST, form);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, reply);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
}

}  // namespace

bool IsConfirmingReply(const std::string& reply) {
  CJsonObject json;
  if (!json.Parse(reply)) return false;
  CJsonObject result;
  bool confirmed = false;
  return json.Get("result", result) && result.Get("res", confirmed) && confirmed;
}

bool PostReport(const std::string& address, const std::string& json, const std::string& appId,
                std::chrono::milliseconds timeout) {
  InitCurlOnce();
  EasyHandle curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return false;
  MimeHandle form(curl_mime_init(curl.get()), &curl_mime_free);
  if (!form || !AddField(form.get(), "json_data", json) || !AddField(form.get(), "app_id", appId)) return false;
  std::string reply;
  const HeaderList headers = NoExpectHeader();
  SetCommonOptions(curl.get(), address, form.get(), &reply, headers.get());
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, Milliseconds(timeout));
  return Perform(curl.get()) && IsConfirmingReply(reply);
}

bool UploadInstallLog(const std::string& address, const std::string& fileName, const std::string& logPath,
                      const std::string& appId, const std::string& logType, std::chrono::milliseconds timeout) {
  if (fileName.empty() || logPath.empty() || !platform::PathFileExists(logPath) || platform::PathIsFolder(logPath)) {
    return false;
  }
  InitCurlOnce();
  EasyHandle curl(curl_easy_init(), &curl_easy_cleanup);
  if (!curl) return false;
  MimeHandle form(curl_mime_init(curl.get()), &curl_mime_free);
  if (!form || !AddField(form.get(), "app_id", appId) || !AddField(form.get(), "log_type", logType)) return false;
  // The log keeps growing while other threads write to it: send one snapshot.
  std::string content;
  if (!ReadLogSnapshot(logPath, content)) return false;
  curl_mimepart* file = curl_mime_addpart(form.get());
  if (file == nullptr || curl_mime_name(file, "install_log") != CURLE_OK ||
      curl_mime_data(file, content.data(), content.size()) != CURLE_OK ||
      curl_mime_filename(file, fileName.c_str()) != CURLE_OK) {
    return false;
  }
  std::string reply;
  const HeaderList headers = NoExpectHeader();
  SetCommonOptions(curl.get(), address, form.get(), &reply, headers.get());
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, Milliseconds(timeout));
  return Perform(curl.get());
}

}  // namespace orvane
