#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <new>

namespace tvk::platform {
namespace {

// Well above the step of the kernel's coarse clock (1 to 10 ms).
constexpr std::int64_t kSettleNanoseconds = 50'000'000;

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.mtimeNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
  return stamp;
}

}  // namespace

bool StampOfFile(const std::string& path, FileStamp& stamp) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  stamp = StampOf(info);
  return true;
}

ReadFileResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                               FileStamp& stamp) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return errno == EACCES || errno == EPERM ? ReadFileResult::kAccessDenied : ReadFileResult::kMissing;
  }
  ReadFileResult result = ReadFileResult::kOk;
  struct stat info {};
  try {
    if (fstat(fd, &info) != 0) {
      result = ReadFileResult::kReadFailed;
    } else if (!S_ISREG(info.st_mode)) {
      result = ReadFileResult::kNotRegular;
    } else if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxBytes) {
      result = ReadFileResult::kTooLarge;
    } else {
      stamp = StampOf(info);
      bytes.resize(static_cast<std::size_t>(info.st_size));
      std::size_t done = 0;
      while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = ReadFileResult::kReadFailed;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      bytes.resize(done);  // a file that shrank meanwhile is read as far as it goes
    }
  } catch (const std::bad_alloc&) {
    result = ReadFileResult::kReadFailed;
  }
  close(fd);
  return result;
}

bool StampIsSettled(const FileStamp& stamp) {
  timespec now {};
  if (clock_gettime(CLOCK_REALTIME, &now) != 0) return false;
  const std::int64_t nowNanoseconds = static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
  return nowNanoseconds - stamp.mtimeNanoseconds > kSettleNanoseconds;
}

}  // namespace tvk::platform
