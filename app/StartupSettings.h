#pragma once
// The start-up settings: how this run was asked to behave. Filled once from the
// command line before the window initialises, read-only afterwards.
#include <string>

namespace orvane {

struct StartupSettings {
  int silent = 0;               // 1: no countdown or options; the action starts at once
  int runMode = 0;              // 0 install, 1 uninstall
  std::string startPath;        // uninstall: a file inside the installed product's folder
  std::string installDir;       // --dir: the installation folder proposed / used
  std::string descriptorSource; // --descriptor: file or URL of the download descriptor
  std::string statsHost;        // --stats-host: statistics service host[:port]
  bool headless = false;        // no window; progress on stderr
};

const StartupSettings& GetStartupSettings();
// Only the command-line parsing at start-up (and tests) write the settings.
StartupSettings& MutableStartupSettings();

int IsSilent();
int GetRunMode();
const std::string& GetStartPath();

}  // namespace orvane
