#pragma once
// The installer's entry point: settings, log, start-up lines, the setup run.
#include <string>
#include <vector>

namespace orvane {

// Runs the installer with the given arguments; returns the process exit status.
int RunSetup(const std::vector<std::string>& args);

}  // namespace orvane
