#pragma once
// The prober's millisecond clock: the system tick at its first reading plus
// the wall-clock milliseconds elapsed since then. Unsigned 32-bit, wrapping.
// Callable from any thread.
#include <cstdint>

namespace orvane {

std::uint32_t MillisecondClock();

}  // namespace orvane
