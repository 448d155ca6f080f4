#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "platform/PathUtil.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

TEST(StartupTest, DocumentsPathCreatesFoldersOnlyWhenAsked) {
  test::TempHome home;
  EXPECT_EQ(GetDocumentsPath("Lumtar/Orvane/Log/", "install.log", false),
            home.Home() + "/Documents/Lumtar/Orvane/Log/install.log");
  EXPECT_FALSE(platform::PathFileExists(home.Home() + "/Documents"));
  EXPECT_EQ(GetDocumentsPath("", "LumDebugConfig.ini", true), home.Home() + "/Documents/LumDebugConfig.ini");
  GetDocumentsPath("Lumtar/Orvane/Log/", nullptr, true);
  EXPECT_TRUE(platform::PathIsFolder(home.Home() + "/Documents/Lumtar/Orvane/Log"));
}

TEST(StartupTest, TestModeNeedsExactlyOneAndThenStays) {
  test::TempHome home;
  const std::string ini = home.Home() + "/Documents/LumDebugConfig.ini";
  EXPECT_FALSE(IsTestMode());  // no file
  test::WriteWholeFile(ini, "[root]\nsetup_test_mode=2\n");
  EXPECT_FALSE(IsTestMode());
  test::WriteWholeFile(ini, "[ROOT]\nSetup_Test_Mode = 1\n");
  EXPECT_TRUE(IsTestMode());
  test::WriteWholeFile(ini, "[root]\nsetup_test_mode=0\n");
  EXPECT_TRUE(IsTestMode());  // once on, on for the rest of the run
}

TEST(StartupTest, SixtyFourBitOnThisMachine) {
#if defined(__x86_64__)
  EXPECT_TRUE(Is64BitSystem());
#else
  GTEST_SKIP() << "not an x86_64 machine";
#endif
}

struct SwitchCase {
  std::vector<std::string> args;
  int silent;
  int runMode;
  std::string startPath;
  std::string installDir;
  std::string descriptor;
  std::string statsHost;
  bool headless;
  CommandLineAction action;
};

TEST(StartupTest, SwitchesFillTheSettings) {
  const std::string self = "/opt/x/orvane-setup";
  const SwitchCase cases[] = {
      {{"orvane-setup"}, 0, 0, "", "", "", "", false, CommandLineAction::Run},
      {{"orvane-setup", "--silent"}, 1, 0, "", "", "", "", false, CommandLineAction::Run},
      {{"orvane-setup", "/silent"}, 1, 0, "", "", "", "", false, CommandLineAction::Run},
      {{"orvane-setup", "--uninstall"}, 0, 1, self, "", "", "", false, CommandLineAction::Run},
      {{"orvane-setup", "--uninstall", "/opt/p/a.exe", "--silent"}, 1, 1, "/opt/p/a.exe", "", "", "", false,
       CommandLineAction::Run},
      {{"orvane-setup", "--uninstall", "--headless"}, 0, 1, self, "", "", "", true, CommandLineAction::Run},
      {{"/opt/p/uninstall.exe"}, 0, 1, self, "", "", "", false, CommandLineAction::Run},
      {{"orvane-setup", "--dir", "/tmp/x", "--descriptor", "http://h/d.xml", "--stats-host", "h:81"}, 0, 0, "",
       "/tmp/x", "http://h/d.xml", "h:81", false, CommandLineAction::Run},
      {{"orvane-setup", "--bogus", "-x", "whatever", "/S", "--dir"}, 0, 0, "", "", "", "", false,
       CommandLineAction::Run},
      {{"orvane-setup", "--silent", "--help"}, 1, 0, "", "", "", "", false, CommandLineAction::ShowHelp},
      {{"orvane-setup", "--version"}, 0, 0, "", "", "", "", false, CommandLineAction::ShowVersion},
  };
  for (const auto& c : cases) {
    StartupSettings settings;
    const CommandLineAction action = ParseCommandLine(c.args, self, settings);
    const std::string where = ::testing::PrintToString(c.args);
    EXPECT_EQ(action, c.action) << where;
    EXPECT_EQ(settings.silent, c.silent) << where;
    EXPECT_EQ(settings.runMode, c.runMode) << where;
    EXPECT_EQ(settings.startPath, c.startPath) << where;
    EXPECT_EQ(settings.installDir, c.installDir) << where;
    EXPECT_EQ(settings.descriptorSource, c.descriptor) << where;
    EXPECT_EQ(settings.statsHost, c.statsHost) << where;
    EXPECT_EQ(settings.headless, c.headless) << where;
  }
}

// Runs the installer binary with a temporary HOME and returns its exit status.
int RunInstaller(const test::TempHome& home, const std::string& args, std::string* output = nullptr) {
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY HOME='" + home.Home() + "' '" +
                              std::string(ORVANE_BINARY_DIR) + "/orvane-setup' " + args + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[512];
  std::string text;
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, got);
  const int status = ::pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

const char* const kRunBlock =
    "\n\n----------------------------------------\n"
    "00:00:00 : Init Log OK.\n"
    "00:00:00 : Setup Init. Version 1.0.6.0\n"
    "00:00:00 : System Mode : x64\n";

TEST(StartupTest, HeadlessRunWritesTheStartupLines) {
  test::TempHome home;
  ASSERT_EQ(RunInstaller(home, "--headless --unknown-switch"), 0);
  const std::string log = test::ReadWholeFile(home.Home() + "/Documents/Lumtar/Orvane/Log/install.log");
  EXPECT_EQ(log, std::string(kRunBlock) + "00:00:00 : Exit app.\n");
}

TEST(StartupTest, TestModeAddsItsLineAndRunsAppend) {
  test::TempHome home;
  test::WriteWholeFile(home.Home() + "/Documents/LumDebugConfig.ini", "[root]\nsetup_test_mode=1\n");
  ASSERT_EQ(RunInstaller(home, "--headless"), 0);
  ASSERT_EQ(RunInstaller(home, "--headless"), 0);
  const std::string block = std::string(kRunBlock) + "00:00:00 : Test Mode : true\n\n00:00:00 : Exit app.\n";
  EXPECT_EQ(test::ReadWholeFile(home.Home() + "/Documents/Lumtar/Orvane/Log/install.log"), block + block);
}

TEST(StartupTest, VersionAndHelpPrintAndWriteNoLog) {
  test::TempHome home;
  std::string output;
  ASSERT_EQ(RunInstaller(home, "--version", &output), 0);
  EXPECT_EQ(output, "1.0.6.0\n");
  ASSERT_EQ(RunInstaller(home, "--help", &output), 0);
  EXPECT_NE(output.find("--uninstall [FILE]"), std::string::npos);
  EXPECT_FALSE(platform::PathFileExists(home.Home() + "/Documents/Lumtar"));
}

}  // namespace
}  // namespace orvane
