#pragma once
// Runs tests/fixtures/stats_stub.py with one reply mode and reads back what it
// recorded: every request's path, form fields and uploaded files, in order.
#include <cjson/cJSON.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/StartupSettings.h"
#include "tests/support/FixtureServer.h"
#include "tests/support/TempHome.h"

namespace orvane::test {

struct RecordedFile {
  std::string name;
  std::string fileName;
  std::string content;
};

struct RecordedRequest {
  std::string path;
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<RecordedFile> files;
  std::vector<std::string> order;  // names of all parts, fields and files, as sent

  std::string Field(const std::string& name) const {
    for (const auto& field : fields) {
      if (field.first == name) return field.second;
    }
    return "";
  }
  std::vector<std::string> FieldNames() const {
    std::vector<std::string> names;
    for (const auto& field : fields) names.push_back(field.first);
    return names;
  }
};

class StatsStub {
 public:
  StatsStub(const std::string& folder, const std::string& mode)
      : record_(folder + "/stats-" + mode + ".jsonl"), server_("stats_stub.py", {"--mode", mode, "--record", record_}) {}

  bool Start() { return server_.Start(); }
  std::string Url(const std::string& path) const { return server_.BaseUrl() + path; }
  std::string HostPort() const { return server_.Host() + ":" + std::to_string(server_.Port()); }

  std::vector<RecordedRequest> Requests() const {
    std::vector<RecordedRequest> requests;
    std::istringstream lines(ReadWholeFile(record_));
    for (std::string line; std::getline(lines, line);) {
      std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(line.c_str()), &cJSON_Delete);
      if (!json) continue;
      RecordedRequest request;
      request.path = cJSON_GetStringValue(cJSON_GetObjectItem(json.get(), "path"));
      const cJSON* item = nullptr;
      cJSON_ArrayForEach(item, cJSON_GetObjectItem(json.get(), "fields")) {
        request.fields.emplace_back(cJSON_GetStringValue(cJSON_GetArrayItem(item, 0)),
                                    cJSON_GetStringValue(cJSON_GetArrayItem(item, 1)));
      }
      cJSON_ArrayForEach(item, cJSON_GetObjectItem(json.get(), "files")) {
        request.files.push_back({cJSON_GetStringValue(cJSON_GetArrayItem(item, 0)),
                                 cJSON_GetStringValue(cJSON_GetArrayItem(item, 1)),
                                 cJSON_GetStringValue(cJSON_GetArrayItem(item, 2))});
      }
      cJSON_ArrayForEach(item, cJSON_GetObjectItem(json.get(), "order")) {
        request.order.emplace_back(cJSON_GetStringValue(item));
      }
      requests.push_back(std::move(request));
    }
    return requests;
  }

 private:
  std::string record_;
  FixtureServer server_;
};

// Keys of a JSON object text, in order.
inline std::vector<std::string> JsonKeys(const std::string& text) {
  std::vector<std::string> keys;
  std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(text.c_str()), &cJSON_Delete);
  const cJSON* item = nullptr;
  if (json) {
    cJSON_ArrayForEach(item, json.get()) keys.emplace_back(item->string);
  }
  return keys;
}

// The value of `key` in a JSON object text: strings as they are, other values
// printed ("1015", "[...]"); "<missing>" when absent.
inline std::string JsonValue(const std::string& text, const std::string& key) {
  std::unique_ptr<cJSON, decltype(&cJSON_Delete)> json(cJSON_Parse(text.c_str()), &cJSON_Delete);
  const cJSON* item = json ? cJSON_GetObjectItemCaseSensitive(json.get(), key.c_str()) : nullptr;
  if (item == nullptr) return "<missing>";
  if (cJSON_IsString(item)) return item->valuestring;
  char* printed = cJSON_PrintUnformatted(item);
  std::string value = printed != nullptr ? printed : "";
  cJSON_free(printed);
  return value;
}

// Points the statistics host at a stub for the life of the object.
class StatsHostOverride {
 public:
  explicit StatsHostOverride(const std::string& hostPort) : saved_(MutableStartupSettings().statsHost) {
    MutableStartupSettings().statsHost = hostPort;
  }
  ~StatsHostOverride() { MutableStartupSettings().statsHost = saved_; }
  StatsHostOverride(const StatsHostOverride&) = delete;
  StatsHostOverride& operator=(const StatsHostOverride&) = delete;

 private:
  std::string saved_;
};

}  // namespace orvane::test
