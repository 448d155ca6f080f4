#pragma once
// The notification function through which the engines report to their owner:
// (code, value, extra) -> int, called on the engine's own threads.
#include <cstdint>
#include <functional>

namespace orvane {

using NotifyFunction = std::function<int(int code, std::uint32_t value, long extra)>;

}  // namespace orvane
