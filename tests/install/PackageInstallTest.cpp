#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "install/InstallResult.h"
#include "install/PackageHeader.h"
#include "install/PackageInstaller.h"
#include "platform/PathUtil.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

using test::NotifyRecord;
using Events = std::vector<std::pair<std::int32_t, std::int32_t>>;

InstallNotify Recorder(NotifyRecord& record) {
  return [&record](std::int32_t kind, std::int32_t value, std::int32_t reserved) {
    EXPECT_EQ(reserved, 0);
    record.Add(kind, value);
  };
}

// A 7z payload made from a small tree: a.txt, sub/b.bin, sub/deeper/c.txt.
std::string SamplePayload(const test::TempHome& home) {
  const std::string src = home.Path("src");
  test::WriteWholeFile(src + "/a.txt", "alpha\n");
  test::WriteWholeFile(src + "/sub/b.bin", std::string("\0\1\2binary", 9));
  test::WriteWholeFile(src + "/sub/deeper/c.txt", "gamma");
  test::Make7z(src, home.Path("payload.7z"), {"a.txt", "sub"});
  return test::ReadFileBytes(home.Path("payload.7z"));
}

PackageHeader SampleHeader() {
  PackageHeader header;
  header.SetKeyName("OrvaneTest");
  header.SetDisplayName("Orvane Test");
  header.SetVersion("1.2.3.4");
  return header;
}

TEST(InstallErrorTest, NamesOfTheResultCodes) {
  const std::pair<std::int32_t, const char*> rows[] = {
      {0, "NoError"},           {10000, "PointNull"},       {10001, "SetupFileError"},
      {10002, "DirWriteError"}, {10003, "MallocBrror"},     {10004, "InstallFileError"},
      {10005, "OpenFileError"}, {10006, "OffsetError"},     {10007, "ReadFileError"},
      {10008, "UnzipFileError"}, {10009, "10009"},          {9999, "9999"},
      {-1, "-1"},               {2, "2"}};
  for (const auto& [code, name] : rows) EXPECT_EQ(InstallErrorName(code), name) << code;
}

TEST(InstallPackageTest, NullPackagePathFailsWithoutNotification) {
  NotifyRecord record;
  EXPECT_EQ(InstallPackage(nullptr, Recorder(record), "/nonexistent", true, true), E_POINTER);
  EXPECT_EQ(GetInstallErrorCode(), kInstallPointNull);
  EXPECT_EQ(GetInstallErrorName(), "PointNull");
  EXPECT_TRUE(record.Events().empty());
}

TEST(InstallPackageTest, MissingPackageGivesMinusOne) {
  test::TempHome home;
  test::LogCapture log;
  NotifyRecord record;
  EXPECT_EQ(InstallPackage(home.Path("none.exe").c_str(), Recorder(record), home.Path("dest").c_str(), true, true),
            E_FAIL);
  EXPECT_EQ(record.Events(), (Events{{0, 0}, {2, 10001}}));
  EXPECT_EQ(GetInstallErrorName(), "-1");
  EXPECT_TRUE(log.Contains("Open file error -1.\n"));
}

TEST(InstallPackageTest, InstallsPayloadAndWritesUninstaller) {
  test::TempHome home;
  test::LogCapture log;
  SetInstallErrorCode(kInstallNoError);
  const PackageHeader header =
      test::WritePackage(home.Path("pkg.exe"), {SamplePayload(home), "UNINSTALLER-IMAGE", SampleHeader()});
  const std::string dest = home.Path("opt/Orvane");
  NotifyRecord record;
  ASSERT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), Recorder(record), dest.c_str(), true, true), S_OK);

  EXPECT_EQ(test::ReadFileBytes(dest + "/a.txt"), "alpha\n");
  EXPECT_EQ(test::ReadFileBytes(dest + "/sub/b.bin"), std::string("\0\1\2binary", 9));
  EXPECT_EQ(test::ReadFileBytes(dest + "/sub/deeper/c.txt"), "gamma");
  EXPECT_EQ(test::ReadFileBytes(dest + "/uninstall.exe"), "UNINSTALLER-IMAGE");
  const std::string bin = test::ReadFileBytes(dest + "/uninstall.exe.bin");
  ASSERT_EQ(bin.size(), PackageHeader::kSize);
  EXPECT_EQ(bin, std::string(reinterpret_cast<const char*>(header.Bytes()), PackageHeader::kSize));
  struct stat info {};
  ASSERT_EQ(::stat((dest + "/uninstall.exe").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
  EXPECT_EQ(GetInstallPath(), dest);
  EXPECT_EQ(GetInstallErrorCode(), kInstallNoError);

  const Events events = record.Events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events.front(), (std::pair<std::int32_t, std::int32_t>{0, 0}));
  EXPECT_EQ(events.back(), (std::pair<std::int32_t, std::int32_t>{1, 0}));
  EXPECT_EQ(events[events.size() - 2], (std::pair<std::int32_t, std::int32_t>{100, 100}));
  for (std::size_t i = 1; i + 1 < events.size(); ++i) EXPECT_EQ(events[i].first, 100);

  // The log tells the steps in order.
  const char* steps[] = {"StrCpyW lpszProgram. \n", "Begin unpack file.\n", "Finish unpack file.\n",
                         "Write uninstall file.\n", "Write uninstall bin.\n"};
  int previous = -1;
  for (const char* step : steps) {
    const int at = log.IndexOf(step);
    EXPECT_GT(at, previous) << step;
    previous = at;
  }
  EXPECT_TRUE(log.Contains("lpszProgram path :" + dest + " \n"));
  // The temporary folder is gone.
  EXPECT_TRUE(test::TreeContents(home.Path("tmp")).empty());
}

TEST(InstallPackageTest, ReplacesExistingFilesWithoutAsking) {
  test::TempHome home;
  test::WritePackage(home.Path("pkg.exe"), {SamplePayload(home), "U", SampleHeader()});
  const std::string dest = home.Path("dest");
  test::WriteWholeFile(dest + "/a.txt", "old content that is longer");
  test::WriteWholeFile(dest + "/sub/deeper/c.txt", "old");
  test::WriteWholeFile(dest + "/kept.txt", "user file");
  ASSERT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), {}, dest.c_str(), true, false), S_OK);
  EXPECT_EQ(test::ReadFileBytes(dest + "/a.txt"), "alpha\n");
  EXPECT_EQ(test::ReadFileBytes(dest + "/sub/deeper/c.txt"), "gamma");
  EXPECT_EQ(test::ReadFileBytes(dest + "/kept.txt"), "user file");
  EXPECT_FALSE(platform::PathFileExists(dest + "/uninstall.exe"));  // write-uninstaller off
}

TEST(InstallPackageTest, NullFolderInstallsUnderProgramFilesWithTheKeyName) {
  test::TempHome home;
  test::LogCapture log;
  test::WritePackage(home.Path("pkg.exe"), {SamplePayload(home), "U", SampleHeader()});
  ASSERT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), {}, nullptr, true, true), S_OK);
  const std::string expected = home.SysRoot() + "/opt/OrvaneTest";
  EXPECT_EQ(GetInstallPath(), expected);
  EXPECT_EQ(test::ReadFileBytes(expected + "/a.txt"), "alpha\n");
  EXPECT_TRUE(log.Contains("GetProgramPath lpszProgram. \n"));
}

// The header may be the last 4096 bytes; one byte further is an offset error.
TEST(InstallPackageTest, HeaderOffsetLimit) {
  test::TempHome home;
  const std::string payload = SamplePayload(home);
  for (const int beyond : {0, 1}) {
    test::LogCapture log;
    // lead-in (64) + payload, then the header as the file's last block.
    std::string bytes(64, 'L');
    bytes += payload;
    const auto headerAt = static_cast<std::int32_t>(bytes.size());
    PackageHeader header = SampleHeader();
    header.SetPayload(64, static_cast<std::int32_t>(payload.size()));
    bytes.append(reinterpret_cast<const char*>(header.Bytes()), PackageHeader::kSize);
    PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(bytes.data()) + 32, headerAt + beyond);
    std::ofstream(home.Path("pkg.exe"), std::ios::binary | std::ios::trunc) << bytes;

    PackageHeader read;
    const HRESULT readResult = ReadPackageHeader(home.Path("pkg.exe").c_str(), read);
    NotifyRecord record;
    const HRESULT result = InstallPackage(home.Path("pkg.exe").c_str(), Recorder(record),
                                          home.Path("dest" + std::to_string(beyond)).c_str(), true, true);
    if (beyond == 0) {
      EXPECT_EQ(readResult, S_OK);
      EXPECT_EQ(read.KeyName(), "OrvaneTest");
      EXPECT_EQ(result, S_OK);
    } else {
      EXPECT_EQ(readResult, E_FAIL);
      EXPECT_EQ(result, E_FAIL);
      EXPECT_EQ(GetInstallErrorCode(), kInstallOffsetError);
      EXPECT_EQ(record.Events(), (Events{{0, 0}, {2, 10001}}));
      char line[128];
      std::snprintf(line, sizeof line, "Offset error 10006  Offset - %d  file length- %zu.\n", headerAt + 1,
                    bytes.size());
      EXPECT_TRUE(log.Contains(line)) << line;
    }
  }
}

TEST(InstallPackageTest, NegativeHeaderOffsetIsAnOffsetError) {
  test::TempHome home;
  std::string bytes(64 + PackageHeader::kSize, '\0');
  PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(bytes.data()) + 32, -8);
  std::ofstream(home.Path("pkg.exe"), std::ios::binary) << bytes;
  EXPECT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), {}, home.Path("d").c_str(), true, true), E_FAIL);
  EXPECT_EQ(GetInstallErrorCode(), kInstallOffsetError);
  PackageHeader header;
  EXPECT_EQ(ReadPackageHeader(home.Path("pkg.exe").c_str(), header), E_FAIL);
  EXPECT_EQ(ReadPackageHeader(nullptr, header), E_POINTER);
}

// A payload ending at the end of the file is read; one byte more is a read error.
TEST(InstallPackageTest, PayloadEndLimit) {
  test::TempHome home;
  const std::string payload = SamplePayload(home);
  for (const int beyond : {0, 1}) {
    PackageHeader header = SampleHeader();
    header.SetUninstaller(0, 0);
    std::string bytes(64, 'L');
    PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(bytes.data()) + 32, 64);
    const auto payloadAt = static_cast<std::int32_t>(64 + PackageHeader::kSize);
    header.SetPayload(payloadAt, static_cast<std::int32_t>(payload.size()) + beyond);
    bytes.append(reinterpret_cast<const char*>(header.Bytes()), PackageHeader::kSize);
    bytes += payload;  // ends the file
    std::ofstream(home.Path("pkg.exe"), std::ios::binary | std::ios::trunc) << bytes;
    NotifyRecord record;
    const HRESULT result = InstallPackage(home.Path("pkg.exe").c_str(), Recorder(record),
                                          home.Path("dest" + std::to_string(beyond)).c_str(), true, true);
    if (beyond == 0) {
      EXPECT_EQ(result, S_OK);
      EXPECT_EQ(test::ReadFileBytes(home.Path("dest0/a.txt")), "alpha\n");
    } else {
      EXPECT_EQ(result, E_FAIL);
      EXPECT_EQ(GetInstallErrorName(), "ReadFileError");
      EXPECT_EQ(record.Events(), (Events{{0, 0}, {2, 10001}}));
    }
  }
}

TEST(InstallPackageTest, InstallFolderThatCannotExistIsDirWriteError) {
  test::TempHome home;
  test::WritePackage(home.Path("pkg.exe"), {SamplePayload(home), "U", SampleHeader()});
  test::WriteWholeFile(home.Path("file"), "x");
  NotifyRecord record;
  EXPECT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), Recorder(record), home.Path("file/sub").c_str(), true, true),
            E_FAIL);
  EXPECT_EQ(GetInstallErrorName(), "DirWriteError");
  EXPECT_EQ(record.Events(), (Events{{0, 0}, {2, 10002}}));
}

TEST(InstallPackageTest, NegativePayloadSizeIsAnAllocationError) {
  test::TempHome home;
  PackageHeader header = SampleHeader();
  test::WritePackage(home.Path("pkg.exe"), {"", "", header});
  // Patch the payload size to -1 in place.
  std::string bytes = test::ReadFileBytes(home.Path("pkg.exe"));
  PackageHeader::WriteInt32(reinterpret_cast<unsigned char*>(bytes.data()) + 64 + PackageHeader::kPayloadSizeAt, -1);
  std::ofstream(home.Path("pkg.exe"), std::ios::binary | std::ios::trunc) << bytes;
  EXPECT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), {}, home.Path("d").c_str(), true, true), E_FAIL);
  EXPECT_EQ(GetInstallErrorName(), "MallocBrror");
}

TEST(InstallPackageTest, DamagedPayloadFailsAsUnzipError) {
  test::TempHome home;
  test::LogCapture log;
  std::string payload = SamplePayload(home);
  payload.resize(payload.size() / 2);  // cut in the middle
  test::WritePackage(home.Path("pkg.exe"), {payload, "U", SampleHeader()});
  NotifyRecord record;
  EXPECT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), Recorder(record), home.Path("d").c_str(), true, true), E_FAIL);
  EXPECT_EQ(GetInstallErrorName(), "UnzipFileError");
  const Events events = record.Events();
  EXPECT_EQ(events.back(), (std::pair<std::int32_t, std::int32_t>{2, 10001}));
  EXPECT_NE(std::find(events.begin(), events.end(), std::pair<std::int32_t, std::int32_t>{101, 262}), events.end());
  EXPECT_TRUE(log.Contains("Failed unpack file.\n"));
  EXPECT_FALSE(platform::PathFileExists(home.Path("d/uninstall.exe")));
}

TEST(InstallPackageTest, UnwritableTempFolderFailsAsUnzipError) {
  test::TempHome home;
  test::WritePackage(home.Path("pkg.exe"), {SamplePayload(home), "U", SampleHeader()});
  home.SetEnv("TMPDIR", home.Path("no/such/folder"));
  EXPECT_EQ(InstallPackage(home.Path("pkg.exe").c_str(), {}, home.Path("d").c_str(), true, true), E_FAIL);
  EXPECT_EQ(GetInstallErrorName(), "UnzipFileError");
}

TEST(InstallPackageTest, HeaderFieldsAtTheirOffsets) {
  PackageHeader header;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.Bytes()), 8), std::string(PackageHeader::kMarker, 8));
  for (std::size_t i = 8; i < PackageHeader::kSize; ++i) ASSERT_EQ(header.Bytes()[i], 0) << i;
  header.SetKeyName("K");
  header.SetDisplayName("D");
  header.SetVersion("V");
  header.SetFullName("F");
  header.SetDateText("2024-05-06");
  header.SetWebAddress("W");
  header.SetPublisher("P");
  header.SetX64Flag(1);
  header.SetPayload(0x01020304, 5);
  header.SetUninstaller(7, 8);
  const unsigned char* b = header.Bytes();
  EXPECT_EQ(b[105], 'K');
  EXPECT_EQ(b[169], 'D');
  EXPECT_EQ(b[233], 'V');
  EXPECT_EQ(b[265], 'F');
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 281)), "2024-05-06");
  EXPECT_EQ(b[297], 'W');
  EXPECT_EQ(b[425], 'P');
  EXPECT_EQ(b[492], 1);
  EXPECT_EQ(b[16], 0x04);
  EXPECT_EQ(b[19], 0x01);
  EXPECT_EQ(b[20], 5);
  EXPECT_EQ(b[8], 7);
  EXPECT_EQ(b[12], 8);
  // A text filling its field is cut so that its terminating zero fits.
  header.SetFullName(std::string(40, 'x'));
  EXPECT_EQ(header.FullName(), std::string(15, 'x'));
  EXPECT_EQ(b[281], '2');
}

}  // namespace
}  // namespace orvane
