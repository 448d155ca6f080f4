#pragma once
// A file stream with the open modes the installer uses. Positioning, reading
// and writing return -1 while no stream is open.
#include <cstdint>
#include <cstdio>
#include <string>

namespace orvane {

class JFile {
 public:
  static constexpr unsigned kRead = 0x1;
  static constexpr unsigned kWrite = 0x2;
  static constexpr unsigned kText = 0x100;
  static constexpr unsigned kBinary = 0x200;

  JFile() = default;
  JFile(const JFile&) = delete;
  JFile& operator=(const JFile&) = delete;
  virtual ~JFile();  // closes a stream still open

  // 0x201 read binary, 0x202 write binary (creates missing folders), 0x103 append text.
  bool Open(const std::string& path, unsigned flags);
  void Close();
  bool IsOpen() const { return stream_ != nullptr; }
  // origin: 0 start, 1 current, 2 end. Returns 0 or -1.
  std::int64_t Seek(std::int64_t offset, int origin);
  std::int64_t Read(void* buffer, std::int64_t count);
  std::int64_t Write(const void* buffer, std::int64_t count);
  std::int64_t Tell();
  std::int64_t SeekEnd();
  std::int64_t Rewind();
  std::int64_t Length();
  int LastError() const { return lastError_; }

 private:
  std::FILE* stream_ = nullptr;
  int lastError_ = 0;
};

}  // namespace orvane
