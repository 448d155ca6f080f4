#include "app/SetupMain.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/CommandLine.h"
#include "app/Log.h"
#include "app/Startup.h"
#include "app/StartupSettings.h"

namespace orvane {
namespace {

std::string ResolvedProgramPath(const std::vector<std::string>& args) {
  char buffer[4096];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length > 0) return std::string(buffer, static_cast<std::size_t>(length));
  return args.empty() ? std::string() : args[0];
}

bool HasDisplay() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

void WriteStartupLines() {
  GetLog().Open(InstallLogPath());
  WriteLog("Setup Init. Version %s", kInstallerVersion);
  WriteLog("System Mode : %s", Is64BitSystem() ? "x64" : "x86");
  if (IsTestMode()) WriteLog("Test Mode : true\n");
}

}  // namespace

int RunSetup(const std::vector<std::string>& args) {
  StartupSettings& settings = MutableStartupSettings();
  switch (ParseCommandLine(args, ResolvedProgramPath(args), settings)) {
    case CommandLineAction::ShowHelp:
      std::fputs(UsageText().c_str(), stdout);
      return 0;
    case CommandLineAction::ShowVersion:
      std::printf("%s\n", kInstallerVersion);
      return 0;
    case CommandLineAction::Run:
      break;
  }
  if (!HasDisplay()) settings.headless = true;

  WriteStartupLines();
  WriteLog("Exit app.");
  return 0;
}

}  // namespace orvane
