#pragma once
// The extractor's entry routine: runs the 7-Zip console (`7z`) as a child
// process for the argument vector {program, "x", archive, "-o<folder>"[, "-p<password>"]}
// and turns its output into the two callbacks. The archive is listed first and
// refused when an entry would land outside the output folder; it is extracted
// into a private staging folder and moved into place from there.
#include <cstdint>
#include <string>

#include "install/ArchiverOutputParser.h"

namespace orvane {

// Exit codes, as the 7-Zip console gives them.
inline constexpr int kArchiverOk = 0;
inline constexpr int kArchiverWarning = 1;
inline constexpr int kArchiverFatal = 2;
inline constexpr int kArchiverCommandLineError = 7;
inline constexpr int kArchiverOutOfMemory = 8;
inline constexpr int kArchiverStopped = 255;

int RunArchiverMain(int argc, const char* const* argv, void* context, ArchiverErrorCallback onError,
                    ArchiverProgressCallback onProgress);

// The 7z program: $ORVANE_7Z when set, else "7z" from PATH ("" when not found).
std::string ArchiverProgram();

}  // namespace orvane
