#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

// The buffering both platforms share; the system calls are in File.cpp and FileWindows.cpp.

namespace tvk::platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());

}  // namespace

CFile::~CFile() { Discard(); }

bool CFile::Fail(int error) {
  lastError_ = error;
  return false;
}

bool CFile::Close() { return Close(nullptr); }

bool CFile::Seek(std::uint64_t position) {
  if (!IsOpen()) return Fail(EBADF);
  if (position > kMaxOffset) return Fail(EINVAL);
  if (writing_ && position != position_ && !FlushWrites()) return false;
  position_ = position;
  return true;
}

bool CFile::FillBuffer() {
  buffer_.resize(kBufferSize);
  const long long n = ReadAt(buffer_.data(), kBufferSize, position_);
  if (n < 0) {
    buffer_.clear();
    return false;
  }
  buffer_.resize(static_cast<std::size_t>(n));
  bufferStart_ = position_;
  return true;
}

bool CFile::Read(void* target, std::size_t count) {
  if (!IsOpen() || writing_) return Fail(EBADF);
  if (count > kMaxOffset - position_) return false;
  const std::uint64_t start = position_;
  auto* out = static_cast<std::uint8_t*>(target);
  while (count > 0) {
    const bool inBuffer = position_ >= bufferStart_ && position_ < bufferStart_ + buffer_.size();
    if (inBuffer) {
      const std::size_t offset = static_cast<std::size_t>(position_ - bufferStart_);
      const std::size_t take = std::min(count, buffer_.size() - offset);
      std::memcpy(out, buffer_.data() + offset, take);
      out += take;
      count -= take;
      position_ += take;
      continue;
    }
    if (count >= kBufferSize) {
      // Large reads go straight to the caller's memory.
      const long long n = ReadAt(out, count, position_);
      if (n <= 0) {
        position_ = start;
        return false;
      }
      out += n;
      count -= static_cast<std::size_t>(n);
      position_ += static_cast<std::uint64_t>(n);
      continue;
    }
    if (!FillBuffer() || buffer_.empty()) {
      position_ = start;
      return false;
    }
  }
  return true;
}

int CFile::ReadByte() {
  std::uint8_t byte = 0;
  return Read(&byte, 1) ? byte : -1;
}

bool CFile::WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
  const int error = Ops().WriteAt(fd_, bytes, count, offset);
  return error == 0 || Fail(error);
}

bool CFile::FlushWrites() {
  if (buffer_.empty()) return true;
  const bool ok = WriteAt(buffer_.data(), buffer_.size(), bufferStart_);
  buffer_.clear();
  return ok;
}

bool CFile::Write(const void* source, std::size_t count) {
  if (!IsOpen() || !writing_) return Fail(EBADF);
  if (count > kMaxOffset - position_) return Fail(EFBIG);
  const auto* bytes = static_cast<const std::uint8_t*>(source);
  if (!buffer_.empty() && bufferStart_ + buffer_.size() != position_ && !FlushWrites()) return false;
  if (buffer_.size() + count > kBufferSize) {
    if (!FlushWrites()) return false;
    if (count >= kBufferSize) {
      if (!WriteAt(bytes, count, position_)) return false;
      position_ += count;
      return true;
    }
  }
  if (buffer_.empty()) bufferStart_ = position_;
  buffer_.insert(buffer_.end(), bytes, bytes + count);
  position_ += count;
  return true;
}

void CFile::Release() {
  if (fd_ >= 0) CloseDescriptor(fd_);
  if (!temporaryName_.empty()) Ops().Unlink(folderFd_, temporaryName_.c_str());
  if (folderFd_ >= 0) CloseDescriptor(folderFd_);
  fd_ = -1;
  folderFd_ = -1;
  name_.clear();
  temporaryName_.clear();
  writing_ = false;
  position_ = 0;
  bufferStart_ = 0;
  std::vector<std::uint8_t>().swap(buffer_);
}

bool CFile::Close(const std::function<bool()>& abandon) {
  if (!IsOpen()) return true;
  bool ok = true;
  if (writing_) {
    // Place flushes the file before it gets its name; what close reports after that changes nothing.
    if (!FlushWrites()) ok = false;
    else if (const int error = Place(abandon); error != 0) ok = Fail(error);
  } else {
    if (const int error = CloseDescriptor(fd_); error != 0) ok = Fail(error);
    fd_ = -1;
  }
  Release();
  return ok;
}

void CFile::Discard() {
  if (fd_ >= 0 || folderFd_ >= 0) Release();
}

}  // namespace tvk::platform
