// Reading the download descriptor: XML access, validation order and result
// codes, the "already downloaded" check, and the three ways in.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "download/Md5.h"
#include "download/XMLParse.h"
#include "platform/Resources.h"
#include "tests/download/DownloaderTestSupport.h"
#include "tests/support/MirrorFixture.h"
#include "tests/support/TempHome.h"

namespace orvane::test {
namespace {

const std::string kDigestA = "0123456789ABCDEF0123456789ABCDEF";
const std::string kDigestB = "FEDCBA9876543210FEDCBA9876543210";

// Parts of a descriptor; std::nullopt leaves an attribute out.
struct DescriptorText {
  std::optional<std::string> version = "1";
  std::optional<std::string> size = "3000000";
  std::optional<std::string> urlCount;    // defaults to urls.size()
  std::vector<std::string> urls = {"http://dl1.example/download/p.exe", "http://dl2.example/download/p.exe"};
  std::optional<std::string> hashCount;   // defaults to hashes.size()
  std::vector<std::string> hashes = {kDigestA, kDigestB, kDigestA, kDigestB};

  std::string Xml() const {
    std::ostringstream xml;
    xml << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<download name=\"p.exe\"";
    if (size) xml << " size=\"" << *size << "\"";
    if (version) xml << " version=\"" << *version << "\"";
    xml << ">\n  <url size=\"" << urlCount.value_or(std::to_string(urls.size())) << "\">\n";
    for (std::size_t i = 0; i < urls.size(); ++i) xml << "    <item_" << i << " value=\"" << urls[i] << "\"/>\n";
    xml << "  </url>\n  <hash";
    if (hashCount != std::optional<std::string>("-")) {
      xml << " size=\"" << hashCount.value_or(std::to_string(hashes.size())) << "\"";
    }
    xml << ">\n";
    for (std::size_t i = 0; i < hashes.size(); ++i) xml << "    <item_" << i << " value=\"" << hashes[i] << "\"/>\n";
    xml << "  </hash>\n</download>\n";
    return xml.str();
  }
};

std::vector<std::string> ManyUrls(int count) {
  std::vector<std::string> urls;
  for (int i = 0; i < count; ++i) urls.push_back("http://dl" + std::to_string(i) + ".example/download/p.exe");
  return urls;
}

// ---- XML access ----

TEST(DescriptorXmlTest, AttributePathPutsXmlattrBeforeTheLastPart) {
  EXPECT_EQ(XMLParse::AttributePath("download.size"), "download.<xmlattr>.size");
  EXPECT_EQ(XMLParse::AttributePath("download.url.item_3.value"), "download.url.item_3.<xmlattr>.value");
  EXPECT_EQ(XMLParse::AttributePath("download"), "");
}

TEST(DescriptorXmlTest, GettersReadAttributesAndReportMissingValues) {
  XMLParse xml;
  const std::string text =
      "<root a=\"12\" neg=\"-5\" big=\"99999999999\" word=\"x7\" sentinel=\"-9999999\" padded=\" 8 \">"
      "<child v=\"text\" s=\"{__see_it_is_read_string_failed_}\" e=\"\"/></root>";
  ASSERT_TRUE(xml.LoadFromText(text.c_str(), text.size()));

  struct IntCase {
    const char* path;
    std::optional<int> expected;
  };
  const IntCase ints[] = {
      {"root.a", 12},        {"root.neg", -5},         {"root.big", std::nullopt}, {"root.word", std::nullopt},
      {"root.sentinel", std::nullopt}, {"root.none", std::nullopt}, {"root", std::nullopt},
      {"root.child.v", std::nullopt}, {"nothing.a", std::nullopt},
  };
  for (const IntCase& c : ints) {
    int value = 4242;
    EXPECT_EQ(xml.GetInt(c.path, value), c.expected.has_value()) << c.path;
    EXPECT_EQ(value, c.expected.value_or(4242)) << c.path;
  }

  struct StringCase {
    const char* path;
    std::optional<std::string> expected;
  };
  const StringCase strings[] = {
      {"root.child.v", "text"}, {"root.child.e", ""}, {"root.a", "12"},
      {"root.child.s", std::nullopt}, {"root.child.none", std::nullopt}, {"root", std::nullopt},
  };
  for (const StringCase& c : strings) {
    std::string value = "unchanged";
    EXPECT_EQ(xml.GetString(c.path, value), c.expected.has_value()) << c.path;
    EXPECT_EQ(value, c.expected.value_or("unchanged")) << c.path;
  }
}

TEST(DescriptorXmlTest, LoadFromTextRejectsBadXmlAndStopsAtNul) {
  XMLParse xml;
  const char bad[] = "<download size=\"1\"><url></download>";
  EXPECT_FALSE(xml.LoadFromText(bad, sizeof bad - 1));
  EXPECT_FALSE(xml.LoadFromText(nullptr, 10));

  // The text ends at its first NUL: the garbage after it is never parsed.
  const char withNul[] = "<d v=\"7\"/>\0<<<not xml";
  ASSERT_TRUE(xml.LoadFromText(withNul, sizeof withNul - 1));
  int value = 0;
  EXPECT_TRUE(xml.GetInt("d.v", value));
  EXPECT_EQ(value, 7);
  // The length bounds the text too.
  const char longer[] = "<d v=\"7\"/>trailing";
  EXPECT_TRUE(xml.LoadFromText(longer, 10));
}

TEST(DescriptorXmlTest, DeeplyNestedTextIsRefusedWithoutExhaustingTheStack) {
  auto nested = [](int depth, const std::string& inner) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a x=\"/>\">";
    text += inner;
    for (int i = 0; i < depth; ++i) text += "</a>";
    return text;
  };
  XMLParse xml;
  const std::string deep = nested(200000, "");
  EXPECT_FALSE(xml.LoadFromText(deep.c_str(), deep.size()));
  // Self-closed elements, comments and sections do not count as nesting.
  const std::string fine = nested(200, "<b/><!-- <c><c><c> --><![CDATA[<d><d>]]><?pi <e>?>");
  EXPECT_TRUE(xml.LoadFromText(fine.c_str(), fine.size()));
}

TEST(DescriptorXmlTest, LoadFromFileRemembersThePath) {
  TempHome home;
  XMLParse xml;
  EXPECT_FALSE(xml.LoadFromFile(home.Path("missing.xml")));
  EXPECT_FALSE(xml.IsLoaded());
  WriteWholeFile(home.Path("d.xml"), "<download version=\"1\"/>");
  ASSERT_TRUE(xml.LoadFromFile(home.Path("d.xml")));
  EXPECT_TRUE(xml.IsLoaded());
  EXPECT_EQ(xml.FilePath(), home.Path("d.xml"));
  std::shared_ptr<IXMLParse> made;
  EXPECT_EQ(CreateXMLParse(&made), S_OK);
  EXPECT_NE(made, nullptr);
}

// ---- MD5 ----

TEST(DescriptorMd5Test, DigestsAreUpperCaseHexOverBufferAndFile) {
  EXPECT_EQ(Md5::OfBuffer("", 0), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Md5::OfBuffer("abc", 3), "900150983CD24FB0D6963F7D28E17F72");
  TempHome home;
  std::string big(3 * 1048576 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 + (i >> 9));
  WriteWholeFile(home.Path("big.bin"), big);
  std::string digest;
  ASSERT_TRUE(Md5::OfFile(home.Path("big.bin"), digest));
  EXPECT_EQ(digest, Md5::OfBuffer(big.data(), big.size()));
  digest = "kept";
  EXPECT_FALSE(Md5::OfFile(home.Path("none.bin"), digest));
  EXPECT_FALSE(Md5::OfFile(home.Root(), digest));  // a folder is not a readable file
  EXPECT_EQ(digest, "kept");
}

// ---- reading a descriptor ----

struct LoadCase {
  const char* name;
  DescriptorText descriptor;
  HRESULT result;
  DownloadResult code;
  int state;          // engine state afterwards
  bool started;       // the download was started with the descriptor
};

std::vector<LoadCase> LoadCases() {
  std::vector<LoadCase> cases;
  auto add = [&cases](const char* name, auto change, HRESULT result, DownloadResult code, int state, bool started) {
    DescriptorText d;
    change(d);
    cases.push_back({name, d, result, code, state, started});
  };
  add("valid", [](DescriptorText&) {}, S_OK, DownloadResult::NoError, 0, true);
  add("version 0 accepted", [](DescriptorText& d) { d.version = "0"; }, S_OK, DownloadResult::NoError, 0, true);
  add("version 2", [](DescriptorText& d) { d.version = "2"; }, E_ABORT, DownloadResult::NeedUpdateDownload, 3, false);
  add("no version", [](DescriptorText& d) { d.version.reset(); }, E_ABORT, DownloadResult::ConfigLoadVersionError, 3,
      false);
  add("version not a number", [](DescriptorText& d) { d.version = "one"; }, E_ABORT,
      DownloadResult::ConfigLoadVersionError, 3, false);
  add("no size", [](DescriptorText& d) { d.size.reset(); }, E_ABORT, DownloadResult::ConfigLoadFileSizeError, 4, false);
  add("size not a number", [](DescriptorText& d) { d.size = "20MB"; }, E_ABORT,
      DownloadResult::ConfigLoadFileSizeError, 4, false);
  add("size is the sentinel", [](DescriptorText& d) { d.size = "-9999999"; }, E_ABORT,
      DownloadResult::ConfigLoadFileSizeError, 4, false);
  add("size zero passes", [](DescriptorText& d) { d.size = "0"; }, S_OK, DownloadResult::NoError, 0, true);
  add("no url count", [](DescriptorText& d) { d.urlCount = "x"; }, E_ABORT, DownloadResult::ConfigLoadUrlSizeError, 4,
      false);
  add("url count 3, two items", [](DescriptorText& d) { d.urlCount = "3"; }, E_ABORT,
      DownloadResult::ConfigLoadUrlError, 4, false);
  add("12 urls", [](DescriptorText& d) { d.urls = ManyUrls(12); }, S_OK, DownloadResult::NoError, 0, true);
  add("url count 0", [](DescriptorText& d) { d.urlCount = "0"; }, S_OK, DownloadResult::NoError, 0, true);
  add("url of 1040 bytes", [](DescriptorText& d) { d.urls[1] = "http://h/download/" + std::string(1022, 'a'); },
      E_ABORT, DownloadResult::ConfigLoadUrlError, 4, false);
  add("url of 1039 bytes", [](DescriptorText& d) { d.urls[1] = "http://h/download/" + std::string(1021, 'a'); }, S_OK,
      DownloadResult::NoError, 0, true);
  add("no hash count", [](DescriptorText& d) { d.hashCount = "-"; }, E_ABORT, DownloadResult::ConfigLoadHashSizeError,
      4, false);
  add("hash count 5, four items", [](DescriptorText& d) { d.hashCount = "5"; }, E_ABORT,
      DownloadResult::ConfigLoadHashError, 4, false);
  add("lower-case digests are read as they are", [](DescriptorText& d) { d.hashes[0] = "d41d8cd98f00b204e9800998ecf8427e"; },
      S_OK, DownloadResult::NoError, 0, true);
  return cases;
}

TEST(DescriptorLoadTest, EachDescriptorEndsWithItsResult) {
  TempHome home;
  for (const LoadCase& c : LoadCases()) {
    SCOPED_TRACE(c.name);
    RecordingDownloader engine;
    NotifyRecorder notes;
    ASSERT_EQ(engine.SetCallback(notes.Callback()), S_OK);
    const std::string xml = c.descriptor.Xml();
    EXPECT_EQ(engine.LoadCfgData(xml.c_str(), xml.size()), c.result);
    EXPECT_EQ(engine.GetResultCode(), static_cast<int>(c.code));
    EXPECT_EQ(engine.GetDownloadState(), c.state);
    EXPECT_EQ(engine.Started().size(), c.started ? 1u : 0u);
    if (c.started) {
      EXPECT_TRUE(notes.All().empty());
    } else {
      EXPECT_EQ(notes.All(), (std::vector<Notification>{{4, 0, 0, {}}}));
      EXPECT_FALSE(engine.IsDownloading());
    }
  }
}

TEST(DescriptorLoadTest, ReadsEveryFieldIntoTheRecord) {
  TempHome home;
  RecordingDownloader engine;
  DescriptorText d;
  d.urls = ManyUrls(12);
  const std::string xml = d.Xml();
  ASSERT_EQ(engine.LoadCfg(nullptr, "x"), E_INVALIDARG);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::ConfigLoadError));

  std::shared_ptr<IXMLParse> parser;
  ASSERT_EQ(CreateXMLParse(&parser), S_OK);
  ASSERT_TRUE(parser->LoadFromText(xml.c_str(), xml.size()));
  ASSERT_EQ(engine.LoadCfg(parser, home.Path("Downloads/p.exe")), S_OK);
  ASSERT_EQ(engine.Started().size(), 1u);
  const DownloadConfig config = engine.Started()[0];
  EXPECT_EQ(config.targetPath, home.Path("Downloads/p.exe"));
  EXPECT_EQ(config.size, 3000000);
  EXPECT_EQ(config.threadsPerUrl, 2);
  for (int i = 0; i < DownloadConfig::kMaxUrls; ++i) {
    EXPECT_EQ(config.urls[i].url, ManyUrls(10)[i]);
    EXPECT_TRUE(config.urls[i].ok);
  }
  EXPECT_EQ(config.fileHash, kDigestA);
  EXPECT_EQ(config.chunkHashes, (std::vector<std::string>{kDigestB, kDigestA, kDigestB}));
}

TEST(DescriptorLoadTest, TargetPathLongerThanTheBufferIsRefusedNotCut) {
  TempHome home;
  LogCapture log;
  const std::string xml = DescriptorText().Xml();
  // 259 characters fit; multi-byte characters count once.
  const std::string fits = "/" + std::string(254, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
  RecordingDownloader ok;
  ok.BeginDownloadFromData(xml.c_str(), xml.size(), fits);
  ok.Finish();
  ASSERT_EQ(ok.Started().size(), 1u);
  EXPECT_EQ(ok.Started()[0].targetPath, fits);

  RecordingDownloader refused;
  NotifyRecorder notes;
  refused.SetCallback(notes.Callback());
  refused.BeginDownloadFromData(xml.c_str(), xml.size(), fits + "b");
  ASSERT_TRUE(notes.WaitForEnd());
  refused.Finish();
  EXPECT_TRUE(refused.Started().empty());
  EXPECT_EQ(refused.GetResultCode(), static_cast<int>(DownloadResult::ConfigLoadError));
  EXPECT_EQ(refused.GetDownloadState(), 4);
  EXPECT_TRUE(log.Contains("target path of 260 characters is longer than 259"));
}

TEST(DescriptorLoadTest, UrlLongerThanTheBufferIsLogged) {
  TempHome home;
  LogCapture log;
  RecordingDownloader engine;
  DescriptorText d;
  d.urls[0] = "http://h/download/" + std::string(2000, 'a');
  const std::string xml = d.Xml();
  EXPECT_EQ(engine.LoadCfgData(xml.c_str(), xml.size()), E_ABORT);
  EXPECT_TRUE(log.Contains("url item_0 of 2018 bytes is longer than 1039"));
}

// ---- the three ways in ----

TEST(DescriptorLoadTest, FromDataRunsOnItsOwnThreadAndLogsTheOutcome) {
  TempHome home;
  LogCapture log;
  NotifyRecorder notes;
  {
    RecordingDownloader engine;
    engine.SetCallback(notes.Callback());
    const char bad[] = "<download version=\"1\"";
    EXPECT_EQ(engine.BeginDownloadFromData(bad, sizeof bad - 1, home.Path("p.exe")), S_OK);
    ASSERT_TRUE(notes.WaitForEnd());
    engine.Finish();
    EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::ConfigLoadError));
    EXPECT_EQ(engine.GetDownloadState(), 4);
    EXPECT_FALSE(engine.IsDownloading());
    ASSERT_EQ(notes.All().size(), 1u);
    EXPECT_NE(notes.All()[0].thread, std::this_thread::get_id());
  }
  EXPECT_TRUE(log.Contains("Download_Thread_Download_Cfg : failed."));
  EXPECT_TRUE(log.Contains("Download_Thread_Download_Cfg : error."));

  RecordingDownloader good;
  const std::string xml = DescriptorText().Xml();
  std::string copy = xml;
  EXPECT_EQ(good.BeginDownloadFromData(copy.c_str(), copy.size(), home.Path("p.exe")), S_OK);
  copy.assign(copy.size(), 'x');  // the engine works on its own copy of the text
  EXPECT_TRUE(good.IsDownloading());
  good.Finish();
  ASSERT_EQ(good.Started().size(), 1u);
  EXPECT_EQ(good.Started()[0].size, 3000000);
  EXPECT_TRUE(log.Contains("Download_Thread_Download_Cfg : succeed."));
}

TEST(DescriptorLoadTest, TwoEnginesStartedTogetherKeepTheirOwnDescriptors) {
  TempHome home;
  DescriptorText a, b;
  a.size = "111";
  b.size = "222";
  const std::string xa = a.Xml(), xb = b.Xml();
  RecordingDownloader first, second;
  first.BeginDownloadFromData(xa.c_str(), xa.size(), home.Path("a.exe"));
  second.BeginDownloadFromData(xb.c_str(), xb.size(), home.Path("b.exe"));
  first.Finish();
  second.Finish();
  ASSERT_EQ(first.Started().size(), 1u);
  ASSERT_EQ(second.Started().size(), 1u);
  EXPECT_EQ(first.Started()[0].size, 111);
  EXPECT_EQ(first.Started()[0].targetPath, home.Path("a.exe"));
  EXPECT_EQ(second.Started()[0].size, 222);
  EXPECT_EQ(second.Started()[0].targetPath, home.Path("b.exe"));
}

TEST(DescriptorLoadTest, FromFileLoadsOrRefuses) {
  TempHome home;
  RecordingDownloader engine;
  EXPECT_EQ(engine.BeginDownloadFromFile(home.Path("none.cfg"), home.Path("p.exe")), E_INVALIDARG);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::ConfigLoadError));
  WriteWholeFile(home.Path("d.cfg"), DescriptorText().Xml());
  EXPECT_EQ(engine.BeginDownloadFromFile(home.Path("d.cfg"), home.Path("p.exe")), S_OK);
  ASSERT_EQ(engine.Started().size(), 1u);
  EXPECT_EQ(engine.Started()[0].targetPath, home.Path("p.exe"));
}

TEST(DescriptorLoadTest, FromUrlFetchesTheDescriptorAndLoadsIt) {
  TempHome home;
  home.UnsetEnv("http_proxy");
  LogCapture log;
  WriteWholeFile(home.Path("served.xml"), DescriptorText().Xml());
  MirrorOptions options;
  options.file = home.Path("served.xml");
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());

  RecordingDownloader engine;
  ASSERT_EQ(engine.BeginDownloadFromUrl(mirror.Url("/download/d.xml"), home.Path("p.exe")), S_OK);
  EXPECT_TRUE(engine.IsDownloading());
  ASSERT_TRUE(engine.WaitStarted());
  engine.Finish();
  ASSERT_EQ(engine.Started().size(), 1u);
  EXPECT_EQ(engine.Started()[0].size, 3000000);
  EXPECT_EQ(ReadWholeFile(home.Path("p.exe.cfg")), DescriptorText().Xml());
  EXPECT_TRUE(log.Contains("Download_BeginDownload : Download link id(0) thread("));
  EXPECT_TRUE(log.Contains("Download_Thread_Download_Cfg : succeed."));
}

TEST(DescriptorLoadTest, FromUrlGivesUpAfterThreeFailedFetches) {
  TempHome home;
  home.UnsetEnv("http_proxy");
  struct Case {
    const char* name;
    int status;
    std::size_t bytes;
  };
  // A server error, and an answer far larger than any descriptor.
  for (const Case& c : {Case{"status 500", 500, 0}, Case{"2 MiB answer", 0, 2u << 20}}) {
    SCOPED_TRACE(c.name);
    LogCapture log;
    const std::string served = c.bytes == 0 ? DescriptorText().Xml() : std::string(c.bytes, ' ');
    WriteWholeFile(home.Path("served.xml"), served);
    MirrorOptions options;
    options.file = home.Path("served.xml");
    options.status = c.status;
    MirrorFixture mirror(options);
    ASSERT_TRUE(mirror.Start());

    RecordingDownloader engine;
    NotifyRecorder notes;
    engine.SetCallback(notes.Callback());
    ASSERT_EQ(engine.BeginDownloadFromUrl(mirror.Url("/download/d.xml"), home.Path("p.exe")), S_OK);
    ASSERT_TRUE(notes.WaitForEnd());
    engine.Finish();
    EXPECT_TRUE(engine.Started().empty());
    EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::ConfigDownloadError));
    EXPECT_EQ(engine.GetDownloadState(), 4);
    EXPECT_FALSE(engine.IsDownloading());
    EXPECT_EQ(notes.All(), (std::vector<Notification>{{4, 0, 0, {}}}));
    EXPECT_EQ(log.Count("Download_Thread_Download_Cfg : failed."), 3);
    EXPECT_EQ(log.Count("Download_Thread_Download_Cfg : error."), 1);
    mirror.Stop();
    int gets = 0;
    for (const MirrorRequest& r : mirror.Requests()) gets += r.method == "GET";
    EXPECT_EQ(gets, 3);
  }
}

TEST(DescriptorLoadTest, FromUrlRefusesOverlongValues) {
  TempHome home;
  RecordingDownloader engine;
  EXPECT_EQ(engine.BeginDownloadFromUrl("http://h/download/" + std::string(600, 'a'), home.Path("p.exe")),
            E_INVALIDARG);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::ConfigDownloadError));
  EXPECT_EQ(engine.BeginDownloadFromUrl("http://127.0.0.1:1/download/p.exe", "/" + std::string(256, 'a')),
            E_INVALIDARG);
  EXPECT_FALSE(engine.IsDownloading());
}

// ---- already downloaded ----

TEST(DescriptorPresentTest, TargetWithTheRightDigestNeedsNoNetwork) {
  TempHome home;
  home.UnsetEnv("http_proxy");
  const std::string package = "the whole package";
  WriteWholeFile(home.Path("p.exe"), package);
  WriteWholeFile(home.Path("served.bin"), package);
  MirrorOptions options;
  options.file = home.Path("served.bin");
  MirrorFixture mirror(options);
  ASSERT_TRUE(mirror.Start());

  DescriptorText d;
  d.size = std::to_string(package.size());
  d.urls = {mirror.Url("/download/p.exe")};
  d.hashes = {Md5::OfBuffer(package.data(), package.size()), Md5::OfBuffer(package.data(), package.size())};
  const std::string xml = d.Xml();

  DownloaderCurl engine;  // the real engine: any probe would reach the mirror or the pinger
  auto pinger = std::make_shared<FakePinger>(std::map<std::string, std::uint32_t>{{"127.0.0.1", 1}});
  engine.SetPinger(pinger);
  NotifyRecorder notes;
  engine.SetCallback(notes.Callback());
  ASSERT_EQ(engine.BeginDownloadFromData(xml.c_str(), xml.size(), home.Path("p.exe")), S_OK);
  ASSERT_TRUE(notes.WaitForEnd());
  EXPECT_EQ(engine.GetDownloadState(), 5);
  EXPECT_EQ(engine.GetResultCode(), static_cast<int>(DownloadResult::NoNeedDownload));
  EXPECT_EQ(engine.GetResultString(), "NoNeedDownload");
  EXPECT_FALSE(engine.IsDownloading());
  EXPECT_EQ(notes.All(), (std::vector<Notification>{{5, 0, 1, {}}}));
  EXPECT_TRUE(pinger->Asked().empty());
  EXPECT_TRUE(mirror.Requests().empty());
  EXPECT_EQ(ReadWholeFile(home.Path("p.exe")), package);
}

TEST(DescriptorPresentTest, WrongOrLowerCaseDigestStartsTheDownload) {
  TempHome home;
  const std::string package = "the whole package";
  WriteWholeFile(home.Path("p.exe"), package);
  std::string lower = Md5::OfBuffer(package.data(), package.size());
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const std::string& digest : {kDigestA, lower}) {
    SCOPED_TRACE(digest);
    DescriptorText d;
    d.hashes = {digest};
    const std::string xml = d.Xml();
    RecordingDownloader engine;
    NotifyRecorder notes;
    engine.SetCallback(notes.Callback());
    engine.BeginDownloadFromData(xml.c_str(), xml.size(), home.Path("p.exe"));
    engine.Finish();
    EXPECT_EQ(engine.Started().size(), 1u);
    EXPECT_EQ(engine.GetDownloadState(), 0);
    EXPECT_EQ(engine.GetResultCode(), 0);
    EXPECT_TRUE(notes.All().empty());
  }
}


// ---- the embedded descriptor ----

TEST(DescriptorEmbeddedTest, BothResourcesDescribeTheTestPackage) {
  TempHome home;
  const auto x64 = platform::FindResource("xml", 502);
  const auto x86 = platform::FindResource("XML", 501);
  ASSERT_TRUE(x64.has_value());
  ASSERT_TRUE(x86.has_value());
  EXPECT_EQ(*x64, *x86);

  RecordingDownloader engine;
  ASSERT_EQ(engine.LoadCfgData(x64->data(), x64->size()), S_OK);
  ASSERT_EQ(engine.Started().size(), 1u);
  const DownloadConfig config = engine.Started()[0];
  EXPECT_EQ(config.size, 20377688);
  int regular = 0;
  for (int i = 0; i < 7; ++i) {
    std::string host;
    EXPECT_TRUE(DownloaderCurl::HostOfUrl(config.urls[i].url, host)) << i;
    regular += !DownloaderCurl::IsCdnUrl(config.urls[i].url);
  }
  EXPECT_EQ(regular, 6);
  EXPECT_TRUE(DownloaderCurl::IsCdnUrl(config.urls[6].url));
  EXPECT_TRUE(config.urls[7].url.empty());
  ASSERT_EQ(config.chunkHashes.size(), 20u);

  // The digests are those of the deterministic package the test mirrors serve.
  TestPackage package;
  ASSERT_TRUE(MakeTestPackage(home.Path("pkg.exe"), 20377688, 1, &package));
  EXPECT_EQ(config.fileHash, package.wholeMd5);
  EXPECT_EQ(config.chunkHashes, package.chunkMd5);
}

}  // namespace
}  // namespace orvane::test
