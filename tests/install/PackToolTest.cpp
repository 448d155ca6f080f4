#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>

#include <cstdio>

#include "install/InstallResult.h"
#include "install/PackageHeader.h"
#include "install/PackageInstaller.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

std::string Md5(const std::string& data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    char byte[3];
    std::snprintf(byte, sizeof byte, "%02X", digest[i]);
    hex += byte;
  }
  return hex;
}

int Pack(const std::vector<std::string>& options, std::string* output = nullptr) {
  std::vector<std::string> args = {ORVANE_PACK_EXE};
  args.insert(args.end(), options.begin(), options.end());
  return test::RunProgram(args, "", output);
}

// A payload with nested folders, an empty folder, a large file (several chunks) and the demo files.
std::string MakePayload(const test::TempHome& home) {
  const std::string payload = home.Path("payload");
  for (const auto& [path, content] : test::TreeContents(ORVANE_DEMO_PAYLOAD)) {
    if (path.back() != '/') test::WriteWholeFile(payload + "/" + path, content);
  }
  std::string big;
  unsigned state = 7;
  for (int i = 0; i < 2600000; ++i) {
    state = state * 1664525u + 1013904223u;
    big += static_cast<char>(state >> 24);
  }
  test::WriteWholeFile(payload + "/data/blobs/big.bin", big);
  test::WriteWholeFile(payload + "/empty/.keep", "");
  ::chmod((payload + "/Lumtar Orvane.exe").c_str(), 0755);
  return payload;
}

TEST(PackToolTest, PackageInstallsIntoTheSameTree) {
  test::TempHome home;
  const std::string payload = MakePayload(home);
  test::WriteWholeFile(home.Path("uninstaller"), "UNINSTALLER BYTES");
  const std::string package = home.Path("out/LumtarOrvane_x64.exe");
  test::WriteWholeFile(package, "");  // an old file is replaced
  std::string output;
  ASSERT_EQ(Pack({"--payload", payload, "--uninstaller", home.Path("uninstaller"), "--out", package, "--key-name",
                  "OrvaneKey", "--display-name", "Orvane (x64)", "--full-name", "Lumtar Orvane", "--version",
                  "1.0.0.3", "--date", "2024-03-15", "--web", "https://www.lumtar.com/", "--publisher", "Lumtar",
                  "--x64"},
                 &output),
            0)
      << output;

  const std::string bytes = test::ReadFileBytes(package);
  ASSERT_GT(bytes.size(), 64u + PackageHeader::kSize);
  const std::int32_t headerAt = PackageHeader::ReadInt32(reinterpret_cast<const unsigned char*>(bytes.data()) + 32);
  PackageHeader header;
  ASSERT_EQ(ReadPackageHeader(package.c_str(), header), S_OK);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.Bytes()), 8), std::string(PackageHeader::kMarker, 8));
  EXPECT_EQ(header.KeyName(), "OrvaneKey");
  EXPECT_EQ(header.DisplayName(), "Orvane (x64)");
  EXPECT_EQ(header.FullName(), "Lumtar Orvane");
  EXPECT_EQ(header.Version(), "1.0.0.3");
  EXPECT_EQ(header.DateText(), "2024-03-15");
  EXPECT_EQ(header.WebAddress(), "https://www.lumtar.com/");
  EXPECT_EQ(header.Publisher(), "Lumtar");
  EXPECT_EQ(header.X64Flag(), 1);
  EXPECT_EQ(header.PayloadOffset(), headerAt + static_cast<std::int32_t>(PackageHeader::kSize));
  EXPECT_EQ(static_cast<std::size_t>(header.UninstallerOffset() + header.UninstallerSize()), bytes.size());
  EXPECT_EQ(bytes.substr(static_cast<std::size_t>(header.UninstallerOffset())), "UNINSTALLER BYTES");
  EXPECT_EQ(bytes.compare(static_cast<std::size_t>(header.PayloadOffset()), 6, "7z\xBC\xAF\x27\x1C"), 0);

  const std::string dest = home.Path("installed");
  ASSERT_EQ(InstallPackage(package.c_str(), {}, dest.c_str(), true, true), S_OK);
  auto installed = test::TreeContents(dest);
  EXPECT_EQ(installed["uninstall.exe"], "UNINSTALLER BYTES");
  EXPECT_EQ(installed["uninstall.exe.bin"], std::string(reinterpret_cast<const char*>(header.Bytes()), PackageHeader::kSize));
  installed.erase("uninstall.exe");
  installed.erase("uninstall.exe.bin");
  const auto expected = test::TreeContents(payload);
  EXPECT_EQ(installed.size(), expected.size());
  EXPECT_TRUE(installed == expected);  // every file and its bytes
  struct stat info {};
  ASSERT_EQ(::stat((dest + "/Lumtar Orvane.exe").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IXUSR);
}

TEST(PackToolTest, DescriptorDescribesThePackage) {
  test::TempHome home;
  const std::string payload = MakePayload(home);
  test::WriteWholeFile(home.Path("uninstaller"), "U");
  const std::string package = home.Path("pkg.exe");
  const std::string descriptor = home.Path("pkg.xml");
  ASSERT_EQ(Pack({"--payload", payload, "--uninstaller", home.Path("uninstaller"), "--out", package, "--descriptor",
                  descriptor, "--mirror", "http://127.0.0.1:8081/download/pkg.exe", "--mirror",
                  "http://127.0.0.2:8081/download/pkg.exe?a=1&b=2"}),
            0);
  const std::string bytes = test::ReadFileBytes(package);
  ASSERT_GT(bytes.size(), 2u * 1048576u);  // at least three chunks
  std::string expected = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<download size=\"" +
                         std::to_string(bytes.size()) + "\" name=\"pkg.exe\" version=\"1\">\n  <url size=\"2\">\n"
                         "    <item_0 value=\"http://127.0.0.1:8081/download/pkg.exe\"/>\n"
                         "    <item_1 value=\"http://127.0.0.2:8081/download/pkg.exe?a=1&amp;b=2\"/>\n  </url>\n";
  const std::size_t chunks = (bytes.size() + 1048575) / 1048576;
  expected += "  <hash size=\"" + std::to_string(chunks + 1) + "\">\n";
  expected += "    <item_0 value=\"" + Md5(bytes) + "\"/>\n";
  for (std::size_t i = 0; i < chunks; ++i) {
    expected += "    <item_" + std::to_string(i + 1) + " value=\"" + Md5(bytes.substr(i * 1048576, 1048576)) + "\"/>\n";
  }
  expected += "  </hash>\n</download>\n";
  EXPECT_EQ(test::ReadFileBytes(descriptor), expected);
}

TEST(PackToolTest, DefaultsComeFromTheProductProfile) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("payload/a.txt"), "a");
  test::WriteWholeFile(home.Path("u"), "U");
  ASSERT_EQ(Pack({"--payload", home.Path("payload"), "--uninstaller", home.Path("u"), "--out", home.Path("p.exe")}), 0);
  PackageHeader header;
  ASSERT_EQ(ReadPackageHeader(home.Path("p.exe").c_str(), header), S_OK);
  EXPECT_EQ(header.KeyName(), "Orvane");
  EXPECT_EQ(header.DisplayName(), "Orvane (x64)");
  EXPECT_EQ(header.FullName(), "Lumtar Orvane");
  EXPECT_EQ(header.Version(), "1.0.0.0");
  const std::string date = header.DateText();
  ASSERT_EQ(date.size(), 10u);
  for (std::size_t i = 0; i < date.size(); ++i) EXPECT_TRUE((i == 4 || i == 7) ? date[i] == '-' : std::isdigit(date[i])) << date;
  EXPECT_EQ(header.X64Flag(), 0);
}

TEST(PackToolTest, BadOptionsAndInputsFailClearly) {
  test::TempHome home;
  test::WriteWholeFile(home.Path("payload/a.txt"), "a");
  test::WriteWholeFile(home.Path("u"), "U");
  const std::string p = home.Path("payload"), u = home.Path("u"), out = home.Path("o.exe");
  struct Row {
    std::vector<std::string> args;
    const char* message;
  };
  const Row rows[] = {
      {{"--payload", p, "--uninstaller", u}, "--payload, --uninstaller and --out are required"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--bogus"}, "unknown option --bogus"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--version"}, "option --version needs a value"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--date", "15.03.2024"}, "--date must have the form"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--descriptor", home.Path("d.xml")}, "needs at least one --mirror"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--mirror", "http://x/download/y"}, "only used with --descriptor"},
      {{"--payload", home.Path("none"), "--uninstaller", u, "--out", out}, "payload folder not found"},
      {{"--payload", p, "--uninstaller", home.Path("none"), "--out", out}, "cannot read the uninstaller"},
      {{"--payload", p, "--uninstaller", p, "--out", out}, "cannot read the uninstaller"},
      {{"--payload", p, "--uninstaller", u, "--out", out, "--full-name", "A name of sixteen"}, "--full-name is longer than 15"},
      {{"--payload", p, "--uninstaller", u, "--out", home.Path("no/such/dir/o.exe")}, "cannot write"},
  };
  for (const Row& row : rows) {
    std::string output;
    EXPECT_NE(Pack(row.args, &output), 0) << row.message;
    EXPECT_NE(output.find(row.message), std::string::npos) << output;
  }
  EXPECT_TRUE(test::ReadFileBytes(out).empty());
}

}  // namespace
}  // namespace orvane
