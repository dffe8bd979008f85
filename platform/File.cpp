#include "platform/File.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

namespace tvk::platform {

namespace {


// Only regular files: a directory would read as garbage and a FIFO could block forever.
int CheckRegular(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errno;
  if (S_ISDIR(info.st_mode)) return EISDIR;
  return S_ISREG(info.st_mode) ? 0 : EINVAL;
}

constexpr int kNothingToLock = -1;
constexpr int kHeldByAReader = -2;

// The regular file `name` in `folder` opened and locked against readers: its descriptor (the lock goes
// with it), kNothingToLock (no file, a link, a FIFO) or kHeldByAReader. Opened without following links
// and without blocking.
int LockTarget(int folder, const char* name) {
  const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return kNothingToLock;
  if (CheckRegular(fd) != 0) {
    ::close(fd);
    return kNothingToLock;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return kHeldByAReader;
  }
  return fd;
}

}  // namespace


long long CFile::ReadAt(void* target, std::size_t count, std::uint64_t offset) {
  for (;;) {
    const ssize_t n = ::pread(fd_, target, count, static_cast<off_t>(offset));
    if (n >= 0) return n;
    if (errno != EINTR) {
      lastError_ = errno;
      return -1;
    }
  }
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

bool CFile::CreateForWriting(const char* path, Placement placement) {
  if (IsOpen()) return Fail(EBUSY);
  const std::string whole(path);
  const std::size_t slash = whole.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : whole.substr(0, slash);
  std::string name = slash == std::string::npos ? whole : whole.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return Fail(EISDIR);

  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return Fail(errno);
  const auto refuse = [&](int error) {
    ::close(folderFd);
    return Fail(error);
  };
  struct stat info {};
  if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
    if (placement == Placement::kNoReplace) return refuse(EEXIST);
    if (S_ISDIR(info.st_mode)) return refuse(EISDIR);
    if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) return refuse(EINVAL);
    if (S_ISREG(info.st_mode)) {
      const int lock = LockTarget(folderFd, name.c_str());
      if (lock == kHeldByAReader) return refuse(EWOULDBLOCK);
      if (lock >= 0) ::close(lock);
    }
  } else if (errno != ENOENT) {
    return refuse(errno);
  }

  folderFd_ = folderFd;
  name_ = std::move(name);
  placement_ = placement;
  int fd = -1;
  int error = Ops().CreateUnnamed(folderFd_, fd);
  if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL) error = CreateTemporaryName(false);
  else if (error == 0) fd_ = fd;
  if (error != 0) {
    Release();
    return Fail(error);
  }
  writing_ = true;
  position_ = 0;
  bufferStart_ = 0;
  buffer_.clear();
  return true;
}

// A fresh random name in the folder, either for a new file or (`linkUnnamed`) for the open unnamed file;
// a name someone else took, a planted link included, is never used.
int CFile::CreateTemporaryName(bool linkUnnamed) {
  int error = EEXIST;
  for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
    std::uint64_t bits = 0;
    if (::getrandom(&bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) bits = std::random_device()();
    char name[40];
    std::snprintf(name, sizeof name, ".tavisko-%016llx.tmp", static_cast<unsigned long long>(bits));
    if (linkUnnamed) {
      error = Ops().LinkUnnamed(fd_, folderFd_, name);
    } else {
      int fd = -1;
      error = Ops().CreateExclusive(folderFd_, name, fd);
      if (error == 0) fd_ = fd;
    }
    if (error == 0) temporaryName_ = name;
  }
  return error;
}

// Replaces the final name with the temporary one, unless a reader holds the file it names.
int CFile::ReplaceTarget() {
  const int lock = LockTarget(folderFd_, name_.c_str());
  if (lock == kHeldByAReader) return EWOULDBLOCK;
  const int error = Ops().Rename(folderFd_, temporaryName_.c_str(), name_.c_str());
  if (error == 0) temporaryName_.clear();
  if (lock >= 0) ::close(lock);  // also releases the lock
  return error;
}

int CFile::Place(const std::function<bool()>& abandon) {
  if (int error = Ops().Sync(fd_); error != 0) return error;
  if (abandon && abandon()) return ECANCELED;
  int error = 0;
  if (placement_ == Placement::kNoReplace) {
    error = temporaryName_.empty() ? Ops().LinkUnnamed(fd_, folderFd_, name_.c_str())
                                   : Ops().Link(folderFd_, temporaryName_.c_str(), name_.c_str());
  } else {
    if (temporaryName_.empty()) error = CreateTemporaryName(true);
    if (error == 0) error = ReplaceTarget();
  }
  if (error != 0) return error;
  error = Ops().Sync(folderFd_);
  if (error != 0 && placement_ == Placement::kNoReplace) {
    // Not known to be on the disk: take the name back, as long as it is still this file's.
    struct stat mine {}, named {};
    if (::fstat(fd_, &mine) == 0 && ::fstatat(folderFd_, name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        mine.st_dev == named.st_dev && mine.st_ino == named.st_ino) {
      ::unlinkat(folderFd_, name_.c_str(), 0);
    }
  }
  return error;
}

int CFile::CloseDescriptor(int fd) { return ::close(fd) == 0 ? 0 : errno; }

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


int ReadFileIdentity(const char* path, FileIdentity& identity) {
  struct stat info {};
  if (::stat(path, &info) != 0) return errno;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.size = static_cast<std::uint64_t>(info.st_size);
  identity.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  identity.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  return 0;
}

int MakeFolder(const char* path) { return ::mkdir(path, 0777) == 0 ? 0 : errno; }

bool RemoveEmptyFolder(const char* path) { return ::rmdir(path) == 0; }

}  // namespace tvk::platform
