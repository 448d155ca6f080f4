#pragma once
// Reads the 7-Zip console's output (progress percentages between backspaces,
// error lines) and turns it into the extractor's two callbacks. Used on the
// thread that reads the console's pipe.
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane {

// Called on the calling thread of RunArchiverMain.
using ArchiverErrorCallback = void (*)(void* context, std::int32_t code);
using ArchiverProgressCallback = void (*)(void* context, std::uint32_t low, std::uint32_t high);

// Extractor error events.
inline constexpr std::int32_t kArchiverPasswordRequested = 260;
inline constexpr std::int32_t kArchiverDataError = 261;
inline constexpr std::int32_t kArchiverArchivesWithErrors = 262;

// Reads progress and error events out of the console's output, piece by piece.
class ArchiverOutputParser {
 public:
  ArchiverOutputParser(void* context, ArchiverErrorCallback onError, ArchiverProgressCallback onProgress)
      : context_(context), onError_(onError), onProgress_(onProgress) {}
  void Feed(const char* data, std::size_t size);
  void Finish();
  // Reports 100 when the run ended well but the console never showed it (small archives).
  void Complete();
  bool SawError() const { return sawError_; }
  bool SawPasswordRequest() const { return sawPassword_; }
  const std::string& ErrorText() const { return errorText_; }

 private:
  void Token(const std::string& token);
  void Line(const std::string& line);
  void Error(std::int32_t code);

  void* context_;
  ArchiverErrorCallback onError_;
  ArchiverProgressCallback onProgress_;
  std::string token_;   // text since the last backspace or line break
  std::string line_;    // text since the last line break, backspaces removed
  int lastPercent_ = -1;
  bool sawError_ = false;
  bool sawPassword_ = false;
  std::string errorText_;
};

}  // namespace orvane
