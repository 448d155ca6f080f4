// The downloader interface: factory, result code names, the fresh engine,
// the notification callback.
#include <gtest/gtest.h>

#include "download/Md5.h"
#include "tests/download/DownloaderTestSupport.h"
#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

namespace orvane::test {
namespace {

TEST(DownloaderResultTest, NamesFollowTheTableAndOtherValuesAreDecimal) {
  const std::pair<int, const char*> rows[] = {
      {0, "NoError"},
      {1, "NoNeedDownload"},
      {2, "NeedUpdateDownload"},
      {3, "ConfigDownloadError"},
      {4, "ConfigLoadError"},
      {5, "ConfigLoadVersionError"},
      {6, "ConfigLoadFileSizeError"},
      {7, "ConfigLoadUrlSizeError"},
      {8, "ConfigLoadUrlError"},
      {9, "ConfigLoadHashSizeError"},
      {10, "ConfigLoadHashError"},
      {11, "DownloadCheckUrlError"},
      {12, "DownloadMallocError"},
      {13, "DownloadUrlCountError"},
      {14, "DownloadExeError"},
      {15, "DispatchSuccessError"},
      {16, "DispatchFailError"},
      {17, "DispatchTimeoutError"},
      {18, "RepairSuccessError"},
      {19, "RepairFailError"},
      {20, "RepairTimeoutError"},
      {21, "CheckHashError"},
      {22, "22"},
      {-1, "-1"},
      {1000, "1000"},
  };
  for (const auto& [code, name] : rows) EXPECT_EQ(GetResultString(code), name) << code;
  EXPECT_EQ(static_cast<int>(DownloadResult::CheckHashError), 21);
}

TEST(DownloaderEngineTest, FactoryMakesAFreshEngine) {
  EXPECT_FALSE(CreateDownloader(nullptr));
  std::unique_ptr<IDownloader> engine;
  ASSERT_TRUE(CreateDownloader(&engine));
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->GetDownloadState(), 0);
  EXPECT_EQ(engine->GetResultCode(), 0);
  EXPECT_EQ(engine->GetResultString(), "NoError");
  EXPECT_FALSE(engine->IsDownloading());
  EXPECT_FALSE(engine->IsCdnUsed());
  EXPECT_EQ(engine->GetCurlError(), 0);
  EXPECT_EQ(engine->GetLastFailLink(), "");
  EXPECT_EQ(engine->GetRepairLink(), "");
  std::vector<UrlCfg> urls(3);
  engine->GetAllUrlInfo(urls);
  EXPECT_TRUE(urls.empty());
  urls.resize(2);
  engine->GetUsedUrlInfo(urls);
  EXPECT_TRUE(urls.empty());
  DownloadStatus status;
  EXPECT_EQ(engine->GetDownloadStatus(status), S_OK);
  EXPECT_EQ(status.totalBytes, 0u);
  EXPECT_EQ(status.downloadedBytes, 0u);
  EXPECT_TRUE(status.items.empty());
  EXPECT_EQ(engine->StopDownload(), S_OK);
}

TEST(DownloaderEngineTest, EmptyCallbackIsRefusedAndNotificationsAreDropped) {
  TempHome home;
  RecordingDownloader engine;
  EXPECT_EQ(engine.SetCallback(NotifyFunction()), E_POINTER);
  const char bad[] = "not xml";
  EXPECT_EQ(engine.BeginDownloadFromData(bad, sizeof bad - 1, home.Path("p.exe")), S_OK);
  engine.Finish();  // the failure notification has nowhere to go, and nothing breaks
  EXPECT_EQ(engine.GetDownloadState(), 4);
  EXPECT_EQ(engine.GetResultString(), "ConfigLoadError");
}

TEST(DownloaderEngineTest, NewerCallbackReplacesTheOlder) {
  TempHome home;
  RecordingDownloader engine;
  NotifyRecorder first, second;
  ASSERT_EQ(engine.SetCallback(first.Callback()), S_OK);
  ASSERT_EQ(engine.SetCallback(second.Callback()), S_OK);
  const char bad[] = "<download";
  engine.BeginDownloadFromData(bad, sizeof bad - 1, home.Path("p.exe"));
  ASSERT_TRUE(second.WaitForEnd());
  engine.Finish();
  EXPECT_TRUE(first.All().empty());
  EXPECT_EQ(second.All(), (std::vector<Notification>{{4, 0, 0, {}}}));
}

TEST(DownloaderEngineTest, DestroyingAnEngineWhileItsDescriptorThreadRunsIsSafe) {
  TempHome home;
  // The thread is still reading or probing when the engine goes; the destructor waits for it.
  for (int i = 0; i < 5; ++i) {
    auto engine = std::make_unique<DownloaderCurl>();
    engine->SetPinger(std::make_shared<FakePinger>());
    const std::string xml =
        "<download version=\"1\" size=\"10\"><url size=\"1\"><item_0 value=\"http://127.0.0.1:1/download/p\"/></url>"
        "<hash size=\"1\"><item_0 value=\"0\"/></hash></download>";
    engine->BeginDownloadFromData(xml.c_str(), xml.size(), home.Path("p.exe"));
    engine.reset();
  }
}


TEST(DownloaderEndToEndTest, EmbeddedStyleStartDownloadsAndVerifiesThePackage) {
  TempHome home;
  home.UnsetEnv("http_proxy");
  TestPackage package;
  ASSERT_TRUE(MakeTestPackage(home.Path("served.bin"), 3500000, 7, &package));
  std::vector<std::unique_ptr<MirrorFixture>> mirrors;
  std::vector<std::string> urls;
  std::map<std::string, std::uint32_t> times;
  for (int i = 0; i < 3; ++i) {
    MirrorOptions options;
    options.file = package.path;
    options.host = "127.0.0." + std::to_string(2 + i);
    options.flag = "10";
    mirrors.push_back(std::make_unique<MirrorFixture>(options));
    ASSERT_TRUE(mirrors.back()->Start());
    urls.push_back(mirrors.back()->Url("/download/pkg.exe"));
    times[options.host] = static_cast<std::uint32_t>(30 - 10 * i);
  }
  const std::string xml = DescriptorXml(package, urls);

  DownloaderCurl engine;
  engine.SetPinger(std::make_shared<FakePinger>(times));
  NotifyRecorder notes;
  engine.SetCallback(notes.Callback());
  const std::string target = home.Path("Downloads/pkg.exe");
  WriteWholeFile(target, "an older, wrong file");
  ASSERT_EQ(engine.BeginDownloadFromData(xml.c_str(), xml.size(), target), S_OK);
  ASSERT_TRUE(notes.WaitForEnd(30000));
  EXPECT_EQ(engine.GetDownloadState(), 5);
  EXPECT_FALSE(engine.IsDownloading());
  const std::vector<Notification> seen = notes.All();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), (Notification{5, 3500000u, 3500000L, {}}));
  std::string digest;
  ASSERT_TRUE(Md5::OfFile(target, digest));
  EXPECT_EQ(digest, package.wholeMd5);
  std::vector<UrlCfg> used;
  engine.GetUsedUrlInfo(used);
  ASSERT_EQ(used.size(), 3u);
  EXPECT_EQ(used[0].url, urls[2]);  // the fastest echo first
  EXPECT_EQ(engine.GetResultString(), "NoError");
}

}  // namespace
}  // namespace orvane::test
