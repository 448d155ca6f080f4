#pragma once
// The installer's switches:
//   [--silent | /SILENT] [--dir DIR] [--uninstall [FILE]] [--descriptor FILE_OR_URL]
//   [--stats-host HOST[:PORT]] [--headless] [--help] [--version]
// A program started under the name "uninstall.exe" runs the uninstall.
// Unknown arguments change nothing.
#include <string>
#include <vector>

#include "app/StartupSettings.h"

namespace orvane {

inline constexpr const char* kInstallerVersion = "1.0.6.0";

enum class CommandLineAction { Run, ShowHelp, ShowVersion };

// Fills `settings` from the arguments (args[0] is the program path as started;
// `programPath` its resolved full path).
CommandLineAction ParseCommandLine(const std::vector<std::string>& args, const std::string& programPath,
                                   StartupSettings& settings);
std::string UsageText();

}  // namespace orvane
