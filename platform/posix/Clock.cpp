#include "platform/Clock.h"

#include <atomic>
#include <time.h>

namespace orvane::platform {
namespace {

std::atomic<TickSource> g_source{nullptr};

std::uint32_t MonotonicTick() {
  timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace

std::uint32_t GetTickCount32() {
  const TickSource source = g_source.load(std::memory_order_acquire);
  return source != nullptr ? source() : MonotonicTick();
}

void SetTickSource(TickSource source) { g_source.store(source, std::memory_order_release); }

}  // namespace orvane::platform
