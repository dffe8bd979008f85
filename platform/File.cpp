#include "platform/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace tvk::platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::uint64_t kMaxOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());

// Only regular files: a directory would read as garbage and a FIFO could block forever.
int CheckRegular(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  return S_ISREG(info.st_mode) ? 0 : EINVAL;
}

}  // namespace

CFile::~CFile() { Close(); }

bool CFile::Fail(int error) {
  lastError_ = error;
  return false;
}

bool CFile::OpenForSharedRead(const char* path) {
  if (IsOpen()) return Fail(EBUSY);
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Fail(errno);
  if (const int error = CheckRegular(fd); error != 0) {
    ::close(fd);
    return Fail(error);
  }
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail(error);
  }
  fd_ = fd;
  writing_ = false;
  position_ = 0;
  bufferStart_ = 0;
  buffer_.clear();
  return true;
}

bool CFile::CreateForWriting(const char* path) {
  if (IsOpen()) return Fail(EBUSY);
  // Not O_TRUNC: a file that a reader holds must stay whole, so empty it only once the lock is ours.
  const int fd = ::open(path, O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
  if (fd < 0) return Fail(errno);
  if (const int error = CheckRegular(fd); error != 0) {
    ::close(fd);
    return Fail(error);
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
    const int error = errno;
    ::close(fd);
    return Fail(error);
  }
  fd_ = fd;
  writing_ = true;
  position_ = 0;
  bufferStart_ = 0;
  buffer_.clear();
  return true;
}

bool CFile::Close() {
  if (!IsOpen()) return true;
  bool ok = !writing_ || FlushWrites();
  if (::close(fd_) != 0) ok = Fail(errno);
  fd_ = -1;
  writing_ = false;
  position_ = 0;
  bufferStart_ = 0;
  std::vector<std::uint8_t>().swap(buffer_);
  return ok;
}

bool CFile::Seek(std::uint64_t position) {
  if (!IsOpen()) return Fail(EBADF);
  if (position > kMaxOffset) return Fail(EINVAL);
  if (writing_ && position != position_ && !FlushWrites()) return false;
  position_ = position;
  return true;
}

std::uint64_t CFile::Size() {
  if (!IsOpen()) return 0;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    lastError_ = errno;
    return 0;
  }
  std::uint64_t size = static_cast<std::uint64_t>(info.st_size);
  if (writing_ && !buffer_.empty()) size = std::max<std::uint64_t>(size, bufferStart_ + buffer_.size());
  return size;
}

bool CFile::FillBuffer() {
  buffer_.resize(kBufferSize);
  for (;;) {
    const ssize_t n = ::pread(fd_, buffer_.data(), kBufferSize, static_cast<off_t>(position_));
    if (n >= 0) {
      buffer_.resize(static_cast<std::size_t>(n));
      bufferStart_ = position_;
      return true;
    }
    if (errno != EINTR) {
      buffer_.clear();
      return Fail(errno);
    }
  }
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
      const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(position_));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n < 0) lastError_ = errno;
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
  while (count > 0) {
    const ssize_t n = ::pwrite(fd_, bytes, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(n < 0 ? errno : EIO);
    bytes += n;
    count -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
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

}  // namespace tvk::platform
