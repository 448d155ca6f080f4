#include "app/StartupSettings.h"

namespace orvane {

StartupSettings& MutableStartupSettings() {
  static StartupSettings settings;
  return settings;
}

const StartupSettings& GetStartupSettings() { return MutableStartupSettings(); }

int IsSilent() { return GetStartupSettings().silent; }
int GetRunMode() { return GetStartupSettings().runMode; }
const std::string& GetStartPath() { return GetStartupSettings().startPath; }

}  // namespace orvane
