#pragma once
// The unsigned 32-bit millisecond tick. Tests replace the source to move time.
#include <cstdint>

namespace orvane::platform {

using TickSource = std::uint32_t (*)();

// Milliseconds from a monotonic clock, wrapping at 2^32.
std::uint32_t GetTickCount32();
// Replaces the tick source (nullptr restores the monotonic clock).
void SetTickSource(TickSource source);

}  // namespace orvane::platform
