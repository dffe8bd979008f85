#include <io.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/FileOps.h"
#include "platform/windows/Wide.h"

// Descriptors are C runtime descriptors over Windows handles; a folder is a descriptor of the folder
// opened as a directory, and names are resolved against its final path.

namespace tvk::platform {
namespace {

using windows::ErrnoOf;

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

std::wstring PathIn(int folder, const char* name) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(HandleOf(folder), buffer.data(), static_cast<DWORD>(buffer.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < buffer.size()) {
      std::wstring path(buffer.data(), n);
      if (!path.empty() && path.back() != L'\\') path += L'\\';
      return path + windows::Widen(name);
    }
    buffer.resize(n + 1);
  }
}

int LastErrno() { return ErrnoOf(GetLastError()); }

int Move(int folder, const char* from, const char* to, DWORD flags) {
  const std::wstring source = PathIn(folder, from);
  const std::wstring target = PathIn(folder, to);
  if (source.empty() || target.empty()) return EBADF;
  return MoveFileExW(source.c_str(), target.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0 ? 0 : LastErrno();
}

}  // namespace

int FileOps::CreateUnnamed(int, int& fd) {
  fd = -1;
  return EOPNOTSUPP;
}

int FileOps::CreateExclusive(int folder, const char* name, int& fd) {
  fd = -1;
  const std::wstring path = PathIn(folder, name);
  if (path.empty()) return EBADF;
  // Shared for deleting, so that the file can be moved into place while it is open.
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                  FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastErrno();
  fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);
  if (fd < 0) {
    CloseHandle(file);
    DeleteFileW(path.c_str());
    return EMFILE;
  }
  return 0;
}

int FileOps::WriteAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) {
  const HANDLE file = HandleOf(fd);
  while (count > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD ask = static_cast<DWORD>(count < (1u << 30) ? count : (1u << 30));
    DWORD n = 0;
    if (WriteFile(file, bytes, ask, &n, &at) == 0) return LastErrno();
    if (n == 0) return EIO;
    bytes += n;
    count -= n;
    offset += n;
  }
  return 0;
}

int FileOps::Sync(int fd) {
  const HANDLE handle = HandleOf(fd);
  BY_HANDLE_FILE_INFORMATION info{};
  // A folder cannot be flushed here; the moves that change it write through instead.
  if (GetFileInformationByHandle(handle, &info) != 0 && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return 0;
  }
  return FlushFileBuffers(handle) != 0 ? 0 : LastErrno();
}

int FileOps::LinkUnnamed(int, int, const char*) { return EOPNOTSUPP; }

// Windows gives a file its final name by moving it there: the temporary name goes with the move.
int FileOps::Link(int folder, const char* from, const char* to) { return Move(folder, from, to, 0); }

int FileOps::Rename(int folder, const char* from, const char* to) {
  return Move(folder, from, to, MOVEFILE_REPLACE_EXISTING);
}

int FileOps::Unlink(int folder, const char* name) {
  const std::wstring path = PathIn(folder, name);
  if (path.empty()) return EBADF;
  return DeleteFileW(path.c_str()) != 0 ? 0 : LastErrno();
}

FileOps& SystemFileOps() {
  static FileOps ops;
  return ops;
}

}  // namespace tvk::platform
