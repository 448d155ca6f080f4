#pragma once
// Developer trace: goes to stderr when ORVANE_DEBUG=1, else nowhere.
#include <string_view>

namespace orvane::platform {

void OutputDebugText(std::string_view text);

}  // namespace orvane::platform
