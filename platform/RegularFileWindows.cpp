#include <algorithm>
#include <new>

#include "platform/RegularFile.h"
#include "platform/windows/Wide.h"

namespace tvk::platform {
namespace {

using windows::WidePath;

// Windows file times count 100 ns steps since 1601; stamps need only compare, so they stay there.
std::int64_t Nanoseconds(FILETIME time) {
  const std::uint64_t ticks = (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<std::int64_t>(ticks) * 100;
}

FileStamp StampOf(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStamp stamp;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  stamp.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  stamp.mtimeNanoseconds = Nanoseconds(info.ftLastWriteTime);
  return stamp;
}

// Opened for reading with every kind of sharing, so that no writer is kept out by a settings read.
HANDLE OpenShared(const std::string& path) {
  return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool StampOfFile(const std::string& path, FileStamp& stamp) {
  const HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (ok) stamp = StampOf(info);
  return ok;
}

ReadFileResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                               FileStamp& stamp) {
  const HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_ACCESS_DENIED ? ReadFileResult::kAccessDenied : ReadFileResult::kMissing;
  }
  ReadFileResult result = ReadFileResult::kOk;
  BY_HANDLE_FILE_INFORMATION info{};
  try {
    if (GetFileInformationByHandle(file, &info) == 0) {
      result = ReadFileResult::kReadFailed;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || GetFileType(file) != FILE_TYPE_DISK) {
      result = ReadFileResult::kNotRegular;
    } else {
      stamp = StampOf(info);
      const auto size = static_cast<std::uint64_t>(stamp.size);
      if (size > maxBytes) {
        result = ReadFileResult::kTooLarge;
      } else {
        bytes.resize(static_cast<std::size_t>(size));
        std::size_t done = 0;
        while (done < bytes.size()) {
          DWORD n = 0;
          const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
          if (ReadFile(file, bytes.data() + done, ask, &n, nullptr) == 0) result = ReadFileResult::kReadFailed;
          if (result != ReadFileResult::kOk || n == 0) break;
          done += n;
        }
        bytes.resize(done);  // a file that shrank meanwhile is read as far as it goes
      }
    }
  } catch (const std::bad_alloc&) {
    result = ReadFileResult::kReadFailed;
  }
  CloseHandle(file);
  return result;
}

bool StampIsSettled(const FileStamp& stamp) {
  // NTFS stamps from the system clock's tick (about 16 ms); half a tenth of a second covers it.
  constexpr std::int64_t kSettleNanoseconds = 50'000'000;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return Nanoseconds(now) - stamp.mtimeNanoseconds > kSettleNanoseconds;
}

}  // namespace tvk::platform
