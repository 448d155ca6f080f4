#pragma once
// How the installation engine reports to its owner: (kind, value, reserved).
// Kinds: 0 started, 1 finished, 2 failed (value 10001 or 10002), 100 extraction
// percent, 101 extractor error code. May be called on the extractor's threads;
// receivers only record values. An empty function is allowed.
#include <cstdint>
#include <functional>

namespace orvane {

using InstallNotify = std::function<void(std::int32_t kind, std::int32_t value, std::int32_t reserved)>;

inline constexpr std::int32_t kInstallNotifyStarted = 0;
inline constexpr std::int32_t kInstallNotifyFinished = 1;
inline constexpr std::int32_t kInstallNotifyFailed = 2;
inline constexpr std::int32_t kInstallNotifyProgress = 100;
inline constexpr std::int32_t kInstallNotifyExtractorError = 101;

}  // namespace orvane
