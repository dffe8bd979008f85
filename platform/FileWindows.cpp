#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

#include "platform/File.h"
#include "platform/windows/Wide.h"

// Readers open with read sharing only, so while any reader holds a file no writer, mover or
// deleter gets in. A new file is created under a random name, marked for deletion until it is
// placed (a crash or a kill leaves nothing), flushed, and moved to its name with write-through.

namespace tvk::platform {
namespace {

using windows::ErrnoOf;
using windows::WidePath;

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

int LastErrno() { return ErrnoOf(GetLastError()); }

int Adopt(HANDLE handle, int& fd) {
  fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd >= 0) return 0;
  CloseHandle(handle);
  return EMFILE;
}

bool SetDeleteOnClose(int fd, bool remove) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = remove ? TRUE : FALSE;
  return SetFileInformationByHandle(HandleOf(fd), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

// EWOULDBLOCK when a reader holds the file `path` names; a missing file or a link is no obstacle.
int CheckNotHeld(const std::wstring& path) {
  const HANDLE probe = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                   nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    CloseHandle(probe);
    return 0;
  }
  const DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? EWOULDBLOCK : 0;
}

// Whether `name` in `folder` is the file open as `fd`.
bool NamesFile(int folder, const std::string& name, int fd) {
  std::vector<wchar_t> buffer(32768);
  const DWORD n = GetFinalPathNameByHandleW(HandleOf(folder), buffer.data(), 32768, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 32768) return false;
  std::wstring path(buffer.data(), n);
  if (path.back() != L'\\') path += L'\\';
  path += windows::Widen(name);
  const HANDLE named = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  // Both are in `folder`, so on one volume: the file index alone tells them apart (Wine does not
  // give every handle the volume's serial number).
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  const bool same = GetFileInformationByHandle(named, &a) != 0 && GetFileInformationByHandle(HandleOf(fd), &b) != 0 &&
                    a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
  CloseHandle(named);
  return same;
}

std::uint64_t RandomBits() {
  std::random_device device;
  const std::uint64_t high = device();
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return (high << 32 | device()) ^ static_cast<std::uint64_t>(counter.QuadPart) ^ GetCurrentProcessId();
}

}  // namespace

long long CFile::ReadAt(void* target, std::size_t count, std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  const DWORD ask = static_cast<DWORD>(count < (1u << 30) ? count : (1u << 30));
  DWORD n = 0;
  if (ReadFile(HandleOf(fd_), target, ask, &n, &at) != 0) return n;
  const DWORD error = GetLastError();
  if (error == ERROR_HANDLE_EOF) return 0;
  lastError_ = ErrnoOf(error);
  return -1;
}

bool CFile::OpenForSharedRead(const char* path) {
  if (IsOpen()) return Fail(EBUSY);
  const std::wstring wide = WidePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(EISDIR);
  const HANDLE file =
      CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(LastErrno());
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return Fail(EINVAL);
  }
  int fd = -1;
  if (const int error = Adopt(file, fd); error != 0) return Fail(error);
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
  const std::size_t slash = whole.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string(".")
                             : slash == 0 || (slash == 2 && whole[1] == ':') ? whole.substr(0, slash + 1)
                                                                             : whole.substr(0, slash);
  std::string name = slash == std::string::npos ? whole : whole.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return Fail(EISDIR);

  const std::wstring target = WidePath(whole);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (placement == Placement::kNoReplace) return Fail(EEXIST);
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!link && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Fail(EISDIR);
    if (const int error = CheckNotHeld(target); error != 0) return Fail(error);
  } else if (const DWORD error = GetLastError(); error != ERROR_FILE_NOT_FOUND) {
    return Fail(ErrnoOf(error));
  }

  const HANDLE folderHandle = CreateFileW(WidePath(folder).c_str(), FILE_LIST_DIRECTORY,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folderHandle == INVALID_HANDLE_VALUE) return Fail(LastErrno());
  int folderFd = -1;
  if (const int error = Adopt(folderHandle, folderFd); error != 0) return Fail(error);

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
  // Gone with the last handle until it is placed, however the process ends.
  if (!temporaryName_.empty()) SetDeleteOnClose(fd_, true);
  writing_ = true;
  position_ = 0;
  bufferStart_ = 0;
  buffer_.clear();
  return true;
}

int CFile::CreateTemporaryName(bool) {
  int error = EEXIST;
  for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".tavisko-%016llx.tmp", static_cast<unsigned long long>(RandomBits()));
    int fd = -1;
    error = Ops().CreateExclusive(folderFd_, name, fd);
    if (error == 0) {
      fd_ = fd;
      temporaryName_ = name;
    }
  }
  return error;
}

int CFile::ReplaceTarget() {
  const int error = Ops().Rename(folderFd_, temporaryName_.c_str(), name_.c_str());
  if (error == 0) temporaryName_.clear();
  // A reader's handle refuses the move: the same answer as when it was found at creation.
  return error == EACCES || error == EWOULDBLOCK ? EWOULDBLOCK : error;
}

int CFile::Place(const std::function<bool()>& abandon) {
  if (int error = Ops().Sync(fd_); error != 0) return error;
  if (abandon && abandon()) return ECANCELED;
  if (!SetDeleteOnClose(fd_, false)) return LastErrno();
  int error = 0;
  if (placement_ == Placement::kNoReplace) {
    error = Ops().Link(folderFd_, temporaryName_.c_str(), name_.c_str());
    if (error == 0) temporaryName_.clear();
  } else {
    error = ReplaceTarget();
  }
  if (error != 0) return error;
  error = Ops().Sync(folderFd_);
  // Not known to be on the disk: the name goes again, as long as it is still this file's.
  if (error != 0 && placement_ == Placement::kNoReplace && NamesFile(folderFd_, name_, fd_)) {
    Ops().Unlink(folderFd_, name_.c_str());
  }
  return error;
}

int CFile::CloseDescriptor(int fd) { return _close(fd) == 0 ? 0 : errno; }

std::uint64_t CFile::Size() {
  if (!IsOpen()) return 0;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(HandleOf(fd_), &size) == 0) {
    lastError_ = LastErrno();
    return 0;
  }
  std::uint64_t total = static_cast<std::uint64_t>(size.QuadPart);
  if (writing_ && !buffer_.empty()) total = std::max<std::uint64_t>(total, bufferStart_ + buffer_.size());
  return total;
}

int ReadFileIdentity(const char* path, FileIdentity& identity) {
  const HANDLE file = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastErrno();
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(file, &info) != 0;
  const int error = ok ? 0 : LastErrno();
  CloseHandle(file);
  if (!ok) return error;
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  identity.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  // 100 ns steps since 1601 as seconds and nanoseconds since 1970.
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  constexpr std::int64_t kTicksTo1970 = 116'444'736'000'000'000;
  const std::int64_t since1970 = static_cast<std::int64_t>(ticks) - kTicksTo1970;
  identity.modifiedSeconds = since1970 / 10'000'000;
  identity.modifiedNanoseconds = since1970 % 10'000'000 * 100;
  return 0;
}

int MakeFolder(const char* path) {
  return CreateDirectoryW(WidePath(path).c_str(), nullptr) != 0 ? 0 : LastErrno();
}

bool RemoveEmptyFolder(const char* path) { return RemoveDirectoryW(WidePath(path).c_str()) != 0; }

}  // namespace tvk::platform
