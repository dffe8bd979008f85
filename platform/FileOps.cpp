#include "platform/FileOps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tvk::platform {

int FileOps::CreateUnnamed(int folder, int& fd) {
  fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  return fd >= 0 ? 0 : errno;
}

int FileOps::CreateExclusive(int folder, const char* name, int& fd) {
  fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
  return fd >= 0 ? 0 : errno;
}

int FileOps::WriteAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
  // A large write starts on its way to the disk now, so the flush before the file takes its name has
  // little left to wait for. Only a hint: the flush still checks everything.
  constexpr std::size_t kStartWritebackBytes = 1024 * 1024;
  const auto start = static_cast<off_t>(offset);
  const std::size_t total = count;
  while (count > 0) {
    const ssize_t n = ::pwrite(fd, bytes, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes += n;
    count -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  if (total >= kStartWritebackBytes) ::sync_file_range(fd, start, static_cast<off_t>(total), SYNC_FILE_RANGE_WRITE);
  return 0;
}

int FileOps::Sync(int fd) { return ::fsync(fd) == 0 ? 0 : errno; }

int FileOps::LinkUnnamed(int fd, int folder, const char* name) {
  // Through /proc, as an unprivileged process may not link by descriptor (AT_EMPTY_PATH) everywhere.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW) == 0) return 0;
  const int error = errno;
  if (error != ENOENT) return error;
  return ::linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0 ? 0 : error;
}

int FileOps::Link(int folder, const char* from, const char* to) {
  return ::linkat(folder, from, folder, to, 0) == 0 ? 0 : errno;
}

int FileOps::Rename(int folder, const char* from, const char* to) {
  return ::renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

int FileOps::Unlink(int folder, const char* name) { return ::unlinkat(folder, name, 0) == 0 ? 0 : errno; }

FileOps& SystemFileOps() {
  static FileOps ops;
  return ops;
}

}  // namespace tvk::platform
