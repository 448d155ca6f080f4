#include "app/CommandLine.h"

#include <strings.h>

#include "platform/PathUtil.h"

namespace orvane {
namespace {

bool IsSwitch(const std::string& arg) {
  return arg.rfind("--", 0) == 0 || ::strcasecmp(arg.c_str(), "/SILENT") == 0;
}

}  // namespace

CommandLineAction ParseCommandLine(const std::vector<std::string>& args, const std::string& programPath,
                                   StartupSettings& settings) {
  if (!args.empty() && ::strcasecmp(platform::PathFileName(args[0]).c_str(), "uninstall.exe") == 0) {
    settings.runMode = 1;
    settings.startPath = programPath;
  }
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") return CommandLineAction::ShowHelp;
    if (arg == "--version") return CommandLineAction::ShowVersion;
    if (arg == "--silent" || ::strcasecmp(arg.c_str(), "/SILENT") == 0) {
      settings.silent = 1;
    } else if (arg == "--headless") {
      settings.headless = true;
    } else if (arg == "--uninstall") {
      settings.runMode = 1;
      settings.startPath = programPath;
      if (hasValue && !IsSwitch(args[i + 1])) settings.startPath = args[++i];
    } else if (arg == "--dir" && hasValue) {
      settings.installDir = args[++i];
    } else if (arg == "--descriptor" && hasValue) {
      settings.descriptorSource = args[++i];
    } else if (arg == "--stats-host" && hasValue) {
      settings.statsHost = args[++i];
    }
  }
  return CommandLineAction::Run;
}

std::string UsageText() {
  return "Usage: orvane-setup [--silent | /SILENT] [--dir DIR] [--uninstall [FILE]]\n"
         "                    [--descriptor FILE_OR_URL] [--stats-host HOST[:PORT]]\n"
         "                    [--headless] [--help] [--version]\n"
         "\n"
         "Installs Lumtar Orvane: downloads the product package from its mirrors,\n"
         "verifies it and installs it.\n"
         "\n"
         "  --silent, /SILENT      install (or uninstall) at once, without the options panel\n"
         "  --dir DIR              installation folder to propose, and to use when silent\n"
         "  --uninstall [FILE]     remove the product; FILE is a file in its folder\n"
         "  --descriptor SOURCE    download descriptor file or URL instead of the built-in one\n"
         "  --stats-host HOST      statistics service host[:port]\n"
         "  --headless             no window; progress is written to stderr\n"
         "  --help                 this text\n"
         "  --version              the installer version\n";
}

}  // namespace orvane
