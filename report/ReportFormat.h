#pragma once
// Texts of the statistics reports: local time, durations and byte sizes.
#include <cstdint>
#include <string>

namespace orvane {

// Current local time as "YYYY-MM-DD_HH:MM:SS" ("%d-%02d-%02d_%02d:%02d:%02d").
std::string FormatLocalTime();
// "HH:MM:SS" of a count of seconds (hours grow past two digits); "" when negative.
std::string FormatDuration(std::int32_t seconds);
// "1.50MB" above 1048576 bytes, "512Byte" up to 1024 bytes, "2.00KB" between.
std::string FormatByteSize(std::int64_t bytes);

}  // namespace orvane
