#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/FolderHelpers.h"
#include "install/ChildProcess.h"
#include "install/ProcessCtrl.h"
#include "install/WebPageOpener.h"
#include "platform/PathUtil.h"
#include "tests/install/InstallTestSupport.h"
#include "tests/support/TempHome.h"

namespace orvane {
namespace {

// A copy of the demo product under a name no other test uses (tests run in parallel
// and the process functions look for names system-wide).
std::string CopyDemo(const test::TempHome& home, const std::string& tag, std::string& name) {
  name = "Orvane " + tag + " " + std::to_string(::getpid()) + ".exe";
  const std::string folder = home.Path("product");
  CreateFolderPath(folder);
  const std::string path = folder + "/" + name;
  test::WriteWholeFile(path, test::ReadFileBytes(ORVANE_DEMO_EXE));
  ::chmod(path.c_str(), 0755);
  return folder;
}

// Waits up to 5 s for a file to hold `text`.
bool WaitForText(const std::string& path, const std::string& text) {
  for (int i = 0; i < 500; ++i) {
    if (test::ReadFileBytes(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ProcessTest, InstallParametersTable) {
  struct Row {
    MainExeOptions options;
    bool isNew;
    const char* expected;
  };
  const Row rows[] = {
      {{}, false, "/install"},
      {{false, true, "ID1", "opt", "src", 42}, true, "/install /add_plan /ID:ID1 /new /option:opt /source:src /time:42"},
      {{false, false, "ID1", "", "", 0}, false, "/install /ID:ID1"},
      {{true, false, "ID1", "", "", 0}, false, "/install  /add_plan"},
      {{true, false, "ID1", "o", "", -5}, true, "/install  /add_plan /new /option:o"},
      {{false, false, "", "", "s", 1}, false, "/install /source:s /time:1"},
  };
  for (const Row& row : rows) EXPECT_EQ(BuildInstallParameters(row.options, row.isNew), row.expected);
}

// The demo product ends with 0 for "/install" and records how it was started.
TEST(ProcessTest, DemoProductFirstRun) {
  test::TempHome home;
  std::string name;
  const std::string folder = CopyDemo(home, "Demo", name);
  ChildProcess child;
  ASSERT_TRUE(child.Start({folder + "/" + name, "/install", "/new"}));
  EXPECT_EQ(child.Wait(), 0);
  EXPECT_EQ(test::ReadFileBytes(folder + "/launches.txt"), "/install|/new\n");
}

TEST(ProcessTest, RunMainExeWithoutTheExecutable) {
  test::TempHome home;
  test::LogCapture log;
  EXPECT_FALSE(RunMainExe(home.Path("nothing"), "Lumtar Orvane.exe", true, {}));
  EXPECT_TRUE(log.Contains("Run MainExe.exe /install"));
  EXPECT_TRUE(log.Contains("Run exe failed. main exe con't found\n."));
}

TEST(ProcessTest, RunMainExeWithAProductThatEndsAtOnce) {
  test::TempHome home;
  home.SetEnv("ORVANE_DEMO_EXIT_CODE", "7");
  std::string name;
  const std::string folder = CopyDemo(home, "Quick", name);
  test::LogCapture log;
  const MainExeOptions options{false, true, "abc", "o1", "s2", 42};
  SetRunMainExeStartGrace(5000);  // a loaded machine may take long to start it; it ends at once anyway
  EXPECT_TRUE(RunMainExe(folder, name, true, options));
  SetRunMainExeStartGrace(-1);
  EXPECT_TRUE(log.Contains("Run Install Params: /install /add_plan /ID:abc /new /option:o1 /source:s2 /time:42.\n"));
  EXPECT_TRUE(log.Contains("Run main exe install : ExitCode(7), nWaitCount(100).\n"));
  EXPECT_EQ(test::ReadFileBytes(folder + "/launches.txt"), "/install|/add_plan|/ID:abc|/new|/option:o1|/source:s2|/time:42\n");
}

// The one slow test: the product keeps running, the wait gives up after about 10.2 s.
TEST(ProcessTest, RunMainExeEndsAProductThatKeepsRunning) {
  test::TempHome home;
  home.SetEnv("ORVANE_DEMO_STAY", "1");
  std::string name;
  const std::string folder = CopyDemo(home, "Stay", name);
  test::LogCapture log;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(RunMainExe(folder, name, false, {}));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 10.1);
  EXPECT_LT(seconds, 14.0);
  EXPECT_TRUE(log.Contains("Run main exe install : ExitCode(0), nWaitCount(-2).\n"));
  pid_t pid = 0;
  EXPECT_FALSE(FindProcessByName(name, pid));  // ended
}

TEST(ProcessTest, KillProcessByNameEndsOneCopyPerCall) {
  test::TempHome home;
  std::string name;
  const std::string folder = CopyDemo(home, "Kill", name);
  ChildProcess first, second;
  ASSERT_TRUE(first.Start({folder + "/" + name, "--run"}));
  ASSERT_TRUE(second.Start({folder + "/" + name, "--run"}));
  pid_t pid = 0;
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ASSERT_TRUE(FindProcessByName(upper, pid));  // without regard to case
  EXPECT_EQ(pid, std::min(first.Pid(), second.Pid()));

  ASSERT_TRUE(KillProcessByName(name));
  ChildProcess& lower = first.Pid() < second.Pid() ? first : second;
  ChildProcess& higher = first.Pid() < second.Pid() ? second : first;
  EXPECT_EQ(lower.Wait(), 128 + 9);
  EXPECT_FALSE(higher.Poll().has_value());  // the other copy still runs
  ASSERT_TRUE(FindProcessByName(name, pid));
  EXPECT_EQ(pid, higher.Pid());
  ASSERT_TRUE(KillProcessByName(name));
  EXPECT_EQ(higher.Wait(), 128 + 9);
  EXPECT_FALSE(KillProcessByName(name));
  EXPECT_FALSE(FindProcessByName(name, pid));
  EXPECT_FALSE(FindProcessByName("", pid));
}

TEST(ProcessTest, LaunchAsShellUserStartsTheProduct) {
  test::TempHome home;
  std::string name;
  const std::string folder = CopyDemo(home, "Launch", name);
  home.SetEnv("ORVANE_DEMO_RUN_SECONDS", "20");
  ASSERT_TRUE(LaunchAsShellUser(folder + "/" + name, " --installmode", "", 1));
  EXPECT_TRUE(WaitForText(folder + "/launches.txt", "--installmode\n"));
  pid_t pid = 0;
  EXPECT_TRUE(FindProcessByName(name, pid));
  EXPECT_TRUE(KillProcessByName(name));
  EXPECT_FALSE(LaunchAsShellUser(home.Path("missing.exe"), "", "", 1));
}

// As root for a desktop user (sudo), the program runs as that user with that user's home.
TEST(ProcessTest, LaunchAsShellUserDropsToTheDesktopUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  test::TempHome home;
  home.SetEnv("SUDO_UID", "65534");
  const ShellUserToken user = GetShellUserToken();
  ASSERT_TRUE(user.has_value());
  EXPECT_EQ(user->uid, 65534u);
  char pattern[] = "/tmp/orvane-launch-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const std::string shared = pattern;
  ::chmod(shared.c_str(), 0777);
  const std::string out = shared + "/who.txt";
  ASSERT_TRUE(LaunchAsShellUser("/bin/sh", "-c \"id -u > " + out + ".part; echo $HOME >> " + out + ".part; mv " + out +
                                               ".part " + out + "\"",
                                "", 1));
  EXPECT_TRUE(WaitForText(out, "\n"));
  EXPECT_EQ(test::ReadFileBytes(out), "65534\n" + user->home + "\n");
  RemoveFolderTree(shared);
}

TEST(ProcessTest, WebPagesGoThroughTheReplaceableOpener) {
  std::vector<std::string> opened;
  SetWebPageOpener([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  EXPECT_TRUE(OpenWebPage("https://www.lumtar.com/thankyou.htm?v=1"));
  SetWebPageOpener({});
  EXPECT_EQ(opened, std::vector<std::string>{"https://www.lumtar.com/thankyou.htm?v=1"});
}

TEST(ProcessTest, RightsAndVersion) {
  EXPECT_EQ(IsAdministrator(), ::geteuid() == 0);
  EXPECT_TRUE(IsVistaOrLater());
  const std::vector<std::string> split = SplitCommandLine(" a  \"b c\" \"\" d");
  EXPECT_EQ(split, (std::vector<std::string>{"a", "b c", "", "d"}));
}

}  // namespace
}  // namespace orvane
