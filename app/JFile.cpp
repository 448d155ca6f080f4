#include "app/JFile.h"

#include <cerrno>

#include "app/FolderHelpers.h"
#include "platform/PathUtil.h"

namespace orvane {
namespace {

// The stream mode of a flag combination; text and binary are the same here.
const char* StreamMode(unsigned flags) {
  const bool write = flags & JFile::kWrite;
  const bool read = flags & JFile::kRead;
  if (write && read) return (flags & JFile::kText) ? "a" : "w+";
  if (write) return "w";
  return "r";
}

}  // namespace

JFile::~JFile() { Close(); }

bool JFile::Open(const std::string& path, unsigned flags) {
  if (!platform::PathFileExists(path)) {
    if (!(flags & kWrite)) {
      Close();
      lastError_ = -1;
      return false;
    }
    CreateParentFolders(path);
  }
  Close();
  errno = 0;
  stream_ = std::fopen(path.c_str(), StreamMode(flags));
  lastError_ = stream_ == nullptr ? errno : 0;
  return stream_ != nullptr;
}

void JFile::Close() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
}

std::int64_t JFile::Seek(std::int64_t offset, int origin) {
  if (stream_ == nullptr || origin < 0 || origin > 2) return -1;
  static constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  return ::fseeko(stream_, static_cast<off_t>(offset), kOrigins[origin]) == 0 ? 0 : -1;
}

std::int64_t JFile::Read(void* buffer, std::int64_t count) {
  if (stream_ == nullptr || buffer == nullptr || count < 0) return -1;
  return static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), stream_));
}

std::int64_t JFile::Write(const void* buffer, std::int64_t count) {
  if (stream_ == nullptr || buffer == nullptr || count < 0) return -1;
  return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), stream_));
}

std::int64_t JFile::Tell() {
  if (stream_ == nullptr) return -1;
  return static_cast<std::int64_t>(::ftello(stream_));
}

std::int64_t JFile::SeekEnd() { return Seek(0, 2); }

std::int64_t JFile::Rewind() { return Seek(0, 0); }

std::int64_t JFile::Length() {
  if (stream_ == nullptr) return -1;
  const std::int64_t position = Tell();
  if (SeekEnd() != 0) return -1;
  const std::int64_t length = Tell();
  Seek(position, 0);
  return length;
}

}  // namespace orvane
