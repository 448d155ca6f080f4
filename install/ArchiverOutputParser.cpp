#include "install/ArchiverOutputParser.h"

#include <cctype>
#include <cstdlib>

namespace orvane {

void ArchiverOutputParser::Feed(const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\b' || c == '\r' || c == '\n') {
      Token(token_);
      token_.clear();
      if (c == '\n') {
        Line(line_);
        line_.clear();
      }
      continue;
    }
    token_ += c;
    line_ += c;
  }
}

void ArchiverOutputParser::Finish() {
  Token(token_);
  Line(line_);
  token_.clear();
  line_.clear();
}

void ArchiverOutputParser::Complete() {
  if (lastPercent_ == 100) return;
  lastPercent_ = 100;
  if (onProgress_ != nullptr) onProgress_(context_, 100, 0);
}

// Progress shows as "NN%" (maybe followed by a count and a file name) between backspaces.
void ArchiverOutputParser::Token(const std::string& token) {
  std::size_t i = 0;
  while (i < token.size() && token[i] == ' ') ++i;
  const std::size_t digits = i;
  while (i < token.size() && std::isdigit(static_cast<unsigned char>(token[i]))) ++i;
  if (i == digits || i - digits > 3 || i >= token.size() || token[i] != '%') return;
  const int percent = std::atoi(token.c_str() + digits);
  if (percent <= 0 || percent > 100 || percent == lastPercent_) return;
  lastPercent_ = percent;
  if (onProgress_ != nullptr) onProgress_(context_, static_cast<std::uint32_t>(percent), 0);
}

void ArchiverOutputParser::Line(const std::string& line) {
  const bool password = line.find("Wrong password") != std::string::npos ||
                        line.find("Enter password") != std::string::npos;
  const bool dataError = line.find("Data Error") != std::string::npos ||
                         line.find("CRC Failed") != std::string::npos ||
                         line.find("Unexpected end of") != std::string::npos ||
                         line.find("Headers Error") != std::string::npos;
  if (password && !sawPassword_) {
    sawPassword_ = true;
    Error(kArchiverPasswordRequested);
  } else if (dataError && !password) {
    Error(kArchiverDataError);
  }
  if ((password || dataError || line.rfind("ERROR:", 0) == 0) && errorText_.empty()) errorText_ = line;
}

void ArchiverOutputParser::Error(std::int32_t code) {
  sawError_ = true;
  if (onError_ != nullptr) onError_(context_, code);
}

}  // namespace orvane
