#include "download/MillisecondClock.h"

#include <chrono>

#include "platform/Clock.h"

namespace orvane {

namespace {

std::int64_t WallMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

struct ClockBase {
  std::uint32_t tick = platform::GetTickCount32();
  std::int64_t wall = WallMilliseconds();
};

}  // namespace

std::uint32_t MillisecondClock() {
  static const ClockBase base;  // the first reading in the process
  return base.tick + static_cast<std::uint32_t>(WallMilliseconds() - base.wall);
}

}  // namespace orvane
