#pragma once
// The few POSIX calls the suites use, over the Windows C runtime: included ahead of every test
// source of the Windows build, so that the suites stay as they are.

#include <windows.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>

#ifndef EDQUOT
#define EDQUOT 122
#endif
#define AT_FDCWD (-100)
#define UTIME_OMIT ((1L << 30) - 2L)

inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
// Windows users are never root: permission checks hold for them.
inline unsigned geteuid() { return 1000; }
inline std::tm* gmtime_r(const std::time_t* time, std::tm* out) { return gmtime_s(out, time) == 0 ? out : nullptr; }

inline char* mkdtemp(char* pattern) {
  std::string text(pattern);
  if (text.size() < 6) return nullptr;
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    for (std::size_t i = text.size() - 6; i < text.size(); ++i) {
      text[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
    }
    std::error_code error;
    if (std::filesystem::create_directory(text, error)) {
      text.copy(pattern, text.size());
      return pattern;
    }
  }
  return nullptr;
}

// Sets the modification time only (access times are left as they are).
inline int utimensat(int, const char* path, const timespec times[2], int) {
  const HANDLE file = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  const long long ticks = (static_cast<long long>(times[1].tv_sec) + 11'644'473'600LL) * 10'000'000LL +
                          times[1].tv_nsec / 100;
  FILETIME modified{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  const BOOL ok = SetFileTime(file, nullptr, nullptr, &modified);
  CloseHandle(file);
  return ok != 0 ? 0 : -1;
}
