#include "report/InstallReporter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/ProductConstants.h"
#include "platform/Clock.h"
#include "report/MachineIdentity.h"
#include "tests/report/StatsStub.h"
#include "tests/support/TempHome.h"
#include "ui/LanguageService.h"

namespace orvane {
namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::uint32_t> g_tick{0};
std::uint32_t FakeTick() { return g_tick.load(); }
void SetSeconds(std::uint32_t seconds) { g_tick = seconds * 1000u; }

const std::vector<std::string> kStartKeys = {"version",     "user_id",    "system_language", "language", "uuid",
                                             "app_id",      "option",     "source",          "app_type", "system_type",
                                             "localtime",   "app_version", "install_status"};

std::vector<std::string> FinalKeys(bool downloadFailed, bool allMirrors, bool usedMirrors) {
  std::vector<std::string> keys = {
      "version",          "user_id",          "system_language",   "language",
      "uuid",             "app_id",           "option",            "source",
      "app_type",         "system_type",      "install_status",    "localtime",
      "amazon_download",  "show_thankyou",    "download_last_error", "install_last_error",
      "download_second",  "download_time_string", "install_second", "install_time_string",
      "app_run_second",   "app_run_time_string", "progress_rate",   "speed_string",
      "average_speed_string", "speed",        "average_speed",     "auto_install",
      "run_app",          "change_install_path", "add_plan",        "create_desktop",
      "app_version"};
  if (downloadFailed) keys.insert(keys.end(), {"curl_error", "last_fail_link", "repair_link"});
  if (allMirrors) keys.insert(keys.end(), {"all_url_info", "all_url_info_str"});
  if (usedMirrors) keys.insert(keys.end(), {"used_url_info", "used_url_info_str"});
  return keys;
}

class ReportServiceTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadLanguage(kProductFullName, 0x0407); }

  void SetUp() override {
    platform::SetTickSource(&FakeTick);
    SetSeconds(1000);
    logPath = home.Path("Documents/Lumtar/Orvane/Log/install.log");
    test::WriteWholeFile(logPath, "00:00:00 : Init Log OK.\n00:00:01 : zweite Zeile ü\n");
  }
  void TearDown() override { platform::SetTickSource(nullptr); }

  // Starts a stub in `mode` and a reporter whose addresses point at it.
  void Start(const std::string& mode) {
    stub = std::make_unique<test::StatsStub>(home.Root(), mode);
    ASSERT_TRUE(stub->Start());
    host = std::make_unique<test::StatsHostOverride>(stub->HostPort());
    ReporterSettings settings;
    settings.reportAddress = StartReportUrl();
    settings.uuid = NewUuidText();
    settings.appId = kProductFullName;
    settings.option = "orvane_x64";
    settings.source = "ab_cd";
    settings.logPath = logPath;
    settings.appVersion = "1.0.6.0";
    settings.logAddress = LogReportUrl();
    settings.appIs64Bit = true;
    settings.systemIs64Bit = false;
    uuid = settings.uuid;
    reporter = std::make_unique<InstallReporter>(settings);
  }

  std::vector<test::RecordedRequest> Requests() const { return stub->Requests(); }

  test::TempHome home;
  std::string logPath;
  std::string uuid;
  std::unique_ptr<test::StatsStub> stub;
  std::unique_ptr<test::StatsHostOverride> host;
  std::unique_ptr<InstallReporter> reporter;
};

TEST_F(ReportServiceTest, StartReportCarriesItsKeysInOrder) {
  Start("true");
  EXPECT_TRUE(reporter->SendStartReport());
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 1u);
  const auto& request = requests[0];
  EXPECT_EQ(request.path, "/api/install/online.php");
  EXPECT_EQ(request.order, (std::vector<std::string>{"json_data", "app_id"}));
  EXPECT_EQ(request.Field("app_id"), "Lumtar Orvane");
  const std::string json = request.Field("json_data");
  EXPECT_EQ(test::JsonKeys(json), kStartKeys);
  EXPECT_EQ(test::JsonValue(json, "version"), "1015");
  EXPECT_EQ(test::JsonValue(json, "uuid"), uuid);
  EXPECT_EQ(test::JsonValue(json, "user_id"), reporter->UserId());
  EXPECT_EQ(test::JsonValue(json, "language"), "German");
  EXPECT_EQ(test::JsonValue(json, "system_language"), reporter->SystemLanguage());
  EXPECT_EQ(test::JsonValue(json, "option"), "orvane_x64");
  EXPECT_EQ(test::JsonValue(json, "source"), "ab_cd");
  EXPECT_EQ(test::JsonValue(json, "app_type"), "win64");
  EXPECT_EQ(test::JsonValue(json, "system_type"), "win32");
  EXPECT_EQ(test::JsonValue(json, "app_version"), "1.0.6.0");
  EXPECT_EQ(test::JsonValue(json, "install_status"), "start");
}

TEST_F(ReportServiceTest, UserIdIsTheLowestAddressOrTheUuid) {
  Start("true");
  const auto addresses = ListAdapterAddresses();
  EXPECT_EQ(reporter->UserId(), addresses.empty() ? uuid : addresses.front());
  EXPECT_FALSE(reporter->SystemLanguage().empty());
}

struct FinalCase {
  const char* status;
  std::function<void(InstallReporter&)> run;  // the run up to the moment the window closes
  bool uploadsLog;
  bool downloadKeys;
};

void CancelledDuringDownload(InstallReporter& r) {
  r.MarkStarted();
  SetSeconds(1010);
  r.OnDownloadBegin();
  SetSeconds(1050);
}

void CancelledDuringUnpacking(InstallReporter& r) {
  r.MarkStarted();
  r.OnDownloadBegin();
  r.OnDownloadEnd(true, 0, "NoError", 0, "", "");
  SetSeconds(1100);
  r.OnInstallBegin();
  SetSeconds(1125);
}

void InstallFailed(InstallReporter& r) {
  r.MarkStarted();
  r.OnDownloadBegin();
  r.OnDownloadEnd(true, 0, "NoError", 0, "", "");
  r.OnInstallBegin();
  r.OnInstallEnd(false, 7, "UnzipFileError", false);
}

void DownloadFailed(InstallReporter& r) {
  r.MarkStarted();
  r.OnDownloadBegin();
  SetSeconds(1200);
  r.OnDownloadEnd(false, 12, "CheckHashError", 28, "http://m1.example/p.exe", "http://m2.example/p.exe");
}

void Succeeded(InstallReporter& r) {
  r.MarkStarted();
  r.OnDownloadBegin();
  r.OnDownloadEnd(true, 0, "NoError", 0, "", "");
  r.OnInstallBegin();
  r.OnInstallEnd(true, 0, "NoError", true);
}

void PrintTo(const FinalCase& row, std::ostream* out) { *out << row.status; }

class ReportFinalStatusTest : public ReportServiceTest, public ::testing::WithParamInterface<FinalCase> {};

TEST_P(ReportFinalStatusTest, StatusKeysAndLogUpload) {
  const FinalCase& row = GetParam();
  Start("true");
  row.run(*reporter);
  EXPECT_TRUE(reporter->SendFinalReport({}));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), row.uploadsLog ? 2u : 1u);
  const std::string json = requests[0].Field("json_data");
  EXPECT_EQ(requests[0].path, "/api/install/online.php");
  EXPECT_EQ(test::JsonValue(json, "install_status"), row.status);
  EXPECT_EQ(test::JsonKeys(json), FinalKeys(row.downloadKeys, false, false));
  if (row.uploadsLog) {
    const auto& upload = requests[1];
    EXPECT_EQ(upload.path, "/api/install/index_log.php");
    EXPECT_EQ(upload.order, (std::vector<std::string>{"app_id", "log_type", "install_log"}));
    EXPECT_EQ(upload.Field("app_id"), "Lumtar Orvane");
    EXPECT_EQ(upload.Field("log_type"), row.status);
    ASSERT_EQ(upload.files.size(), 1u);
    EXPECT_EQ(upload.files[0].name, "install_log");
    EXPECT_EQ(upload.files[0].fileName, uuid);
    EXPECT_EQ(upload.files[0].content, test::ReadWholeFile(logPath));
  }
}

INSTANTIATE_TEST_SUITE_P(
    ReportStatuses, ReportFinalStatusTest,
    ::testing::Values(FinalCase{"cancel", [](InstallReporter&) {}, false, false},
                      FinalCase{"donwload_cancel", &CancelledDuringDownload, false, false},
                      FinalCase{"install_cancel", &CancelledDuringUnpacking, false, false},
                      FinalCase{"install_fail", &InstallFailed, true, false},
                      FinalCase{"downLoad_fail", &DownloadFailed, true, true},
                      FinalCase{"success", &Succeeded, false, false}));

TEST_F(ReportServiceTest, CancelledRunsCloseTheirOpenPhaseAtReportTime) {
  Start("true");
  CancelledDuringDownload(*reporter);  // download began at 1010, window closes at 1050
  std::string json = reporter->BuildFinalReport({});
  EXPECT_EQ(test::JsonValue(json, "download_second"), "40");
  EXPECT_EQ(test::JsonValue(json, "download_time_string"), "00:00:40");

  Start("true");
  SetSeconds(1000);
  CancelledDuringUnpacking(*reporter);  // install began at 1100, window closes at 1125
  json = reporter->BuildFinalReport({});
  EXPECT_EQ(test::JsonValue(json, "install_second"), "25");
}

TEST_F(ReportServiceTest, RunClosedBeforeTheDownloadHasNoDownloadTime) {
  Start("true");
  SetSeconds(86400);  // a day after the system started
  const std::string json = reporter->BuildFinalReport({});
  EXPECT_EQ(test::JsonValue(json, "install_status"), "cancel");
  EXPECT_EQ(test::JsonValue(json, "download_second"), "0");
  EXPECT_EQ(test::JsonValue(json, "download_time_string"), "00:00:00");
  EXPECT_EQ(test::JsonValue(json, "install_second"), "0");
}

TEST_F(ReportServiceTest, FinalReportValues) {
  Start("true");
  SetSeconds(100);
  ASSERT_TRUE(reporter->SendStartReport());
  SetSeconds(110);
  reporter->MarkStarted();
  reporter->OnDownloadBegin();
  reporter->SetDownloadProgress(100, 1048577, 2048, true);
  SetSeconds(110 + 3725);
  reporter->OnDownloadEnd(false, 12, "CheckHashError", 28, "http://m1.example/p.exe", "http://m2.example/p.exe");
  SetSeconds(4000);
  ASSERT_TRUE(reporter->SendFinalReport({true, false, true, false, true}));
  const std::string json = Requests()[1].Field("json_data");
  const std::pair<const char*, const char*> expected[] = {
      {"install_status", "downLoad_fail"}, {"amazon_download", "true"},   {"show_thankyou", "false"},
      {"download_last_error", "CheckHashError"}, {"install_last_error", ""}, {"download_second", "3725"},
      {"download_time_string", "01:02:05"}, {"install_second", "0"},    {"install_time_string", "00:00:00"},
      {"app_run_second", "3900"},          {"app_run_time_string", "01:05:00"}, {"progress_rate", "100"},
      {"speed_string", "1.00MB"},          {"average_speed_string", "2.00KB"}, {"speed", "1048577"},
      {"average_speed", "2048"},           {"auto_install", "true"},    {"run_app", "false"},
      {"change_install_path", "true"},     {"add_plan", "false"},       {"create_desktop", "true"},
      {"curl_error", "28"},                {"last_fail_link", "http://m1.example/p.exe"},
      {"repair_link", "http://m2.example/p.exe"},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(test::JsonValue(json, key), value) << key;
}

TEST_F(ReportServiceTest, MirrorListsAppearOnlyWhenNotEmpty) {
  Start("true");
  InstallFailed(*reporter);
  reporter->SetUrlInfo({{"http://a.example/x", true, 12, "a.example"}, {"http://b.example/x", false, 300, "b.example"}},
                       {});
  std::string json = reporter->BuildFinalReport({});
  EXPECT_EQ(test::JsonKeys(json), FinalKeys(false, true, false));
  EXPECT_EQ(test::JsonValue(json, "all_url_info"),
            R"([{"invalid":1,"domain":"a.example","ping_time":12},{"invalid":0,"domain":"b.example","ping_time":300}])");
  EXPECT_EQ(test::JsonValue(json, "all_url_info_str"),
            "(domain-a.example,invalid-1,ping_time-12)(domain-b.example,invalid-0,ping_time-300)");

  reporter->SetUrlInfo({}, {{"http://c.example/x", true, 7, "c.example"}});
  json = reporter->BuildFinalReport({});
  EXPECT_EQ(test::JsonKeys(json), FinalKeys(false, false, true));
  EXPECT_EQ(test::JsonValue(json, "used_url_info_str"), "(domain-c.example,invalid-1,ping_time-7)");

  reporter->SetUrlInfo({{"http://a.example/x", true, 12, "a.example"}}, {{"http://c.example/x", true, 7, "c.example"}});
  EXPECT_EQ(test::JsonKeys(reporter->BuildFinalReport({})), FinalKeys(false, true, true));
}

struct ReplyCase {
  const char* mode;
  bool confirmed;
};

void PrintTo(const ReplyCase& row, std::ostream* out) { *out << "mode_" << row.mode; }

class ReportReplyModeTest : public ReportServiceTest, public ::testing::WithParamInterface<ReplyCase> {};

TEST_P(ReportReplyModeTest, OnlyATrueResultConfirms) {
  Start(GetParam().mode);
  EXPECT_EQ(reporter->SendStartReport(), GetParam().confirmed);
  EXPECT_EQ(reporter->SendFinalReport({}), GetParam().confirmed);
  EXPECT_EQ(Requests().size(), 2u);  // both reports reached the service
}

INSTANTIATE_TEST_SUITE_P(ReportReplies, ReportReplyModeTest,
                         ::testing::Values(ReplyCase{"true", true}, ReplyCase{"one", false},
                                           ReplyCase{"notjson", false}, ReplyCase{"500", false}));

TEST_F(ReportServiceTest, SilentServiceDoesNotHoldAPostPastItsBound) {
  Start("silent");
  reporter->SetPostTimeouts(std::chrono::milliseconds(1000), std::chrono::milliseconds(1000));
  DownloadFailed(*reporter);  // a post and a log upload, both unanswered
  const auto begin = Clock::now();
  EXPECT_FALSE(reporter->SendFinalReport({}));
  const auto elapsed = Clock::now() - begin;
  EXPECT_GE(elapsed, std::chrono::milliseconds(900));
  EXPECT_LT(elapsed, std::chrono::milliseconds(4500));
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(ReportServiceTest, SilentServiceWithTheDefaultBound) {
  Start("silent");
  const auto begin = Clock::now();
  EXPECT_FALSE(reporter->SendStartReport());
  const auto elapsed = Clock::now() - begin;
  EXPECT_GE(elapsed, kReportPostTimeout - std::chrono::milliseconds(100));
  EXPECT_LT(elapsed, kReportPostTimeout + std::chrono::milliseconds(2500));
}

TEST_F(ReportServiceTest, UnreachableServiceFailsQuickly) {
  Start("true");
  const std::string address = StartReportUrl();
  stub.reset();  // nothing listens on the port any more
  const auto begin = Clock::now();
  EXPECT_FALSE(PostReport(address, "{}", "Lumtar Orvane"));
  EXPECT_LT(Clock::now() - begin, std::chrono::seconds(3));
}

TEST_F(ReportServiceTest, MissingLogSkipsTheUpload) {
  Start("true");
  std::remove(logPath.c_str());
  DownloadFailed(*reporter);
  EXPECT_TRUE(reporter->SendFinalReport({}));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/api/install/online.php");
  EXPECT_FALSE(UploadInstallLog(LogReportUrl(), "", home.Path("other.log"), "Lumtar Orvane", "x"));
  EXPECT_FALSE(UploadInstallLog(LogReportUrl(), uuid, "", "Lumtar Orvane", "x"));
  EXPECT_FALSE(UploadInstallLog(LogReportUrl(), uuid, home.Root(), "Lumtar Orvane", "x"));  // a folder
  EXPECT_EQ(Requests().size(), 1u);
}

TEST_F(ReportServiceTest, RetriedFinalReportUploadsTheLogAgain) {
  Start("one");
  InstallFailed(*reporter);
  EXPECT_FALSE(reporter->SendFinalReport({}));
  EXPECT_FALSE(reporter->SendFinalReport({}));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[1].path, "/api/install/index_log.php");
  EXPECT_EQ(requests[3].path, "/api/install/index_log.php");
}

TEST_F(ReportServiceTest, SettersAndReportsFromSeveralThreads) {
  Start("true");
  std::atomic<bool> stop{false};
  std::thread window([&] {
    for (std::int32_t i = 0; !stop.load(); ++i) reporter->SetDownloadProgress(i % 101, i, i / 2, (i & 1) != 0);
  });
  std::thread worker([&] {
    reporter->MarkStarted();
    for (int i = 0; i < 200; ++i) {
      reporter->OnDownloadBegin();
      reporter->SetUrlInfo({{"http://a.example/x", true, i, "a.example"}}, {});
      reporter->OnDownloadEnd(i % 2 == 0, i, "Name" + std::to_string(i), i, "l", "r");
    }
  });
  std::size_t built = 0;
  for (int i = 0; i < 200; ++i) built += reporter->BuildFinalReport({}).empty() ? 0 : 1;
  worker.join();
  stop = true;
  window.join();
  EXPECT_EQ(built, 200u);
}

}  // namespace
}  // namespace orvane
