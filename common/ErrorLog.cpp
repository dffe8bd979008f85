#include "common/ErrorLog.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "common/Calendar.h"
#include "common/TextUtil.h"
#include "platform/SystemInfo.h"

namespace tvk {

namespace {

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}

// Guarded by LogLock().
std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

std::string PathInFolder(const std::string& folder) {
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return {};
  return CombinePath(folder, "ErrorLog.txt");
}

std::string CurrentFolder() {
  if (!FolderOverride().empty()) return FolderOverride();
  return GetFolderPart(platform::ExecutablePath());
}

// The UTC clock in the C library's locale date and time formats; no zone conversion.
std::string UtcTimeText() {
  const std::tm fields = ToTmFields(CurrentUtcTime());
  char date[128] = {};
  char time[128] = {};
  std::strftime(date, sizeof date, "%x", &fields);
  std::strftime(time, sizeof time, "%X", &fields);
  return std::string(date) + " " + time;
}

}  // namespace

std::string ErrorLogPath() {
  try {
    std::lock_guard<std::mutex> guard(LogLock());
    return PathInFolder(CurrentFolder());
  } catch (...) {
    return {};
  }
}

void SetErrorLogFolderForTesting(const std::string& folder) {
  std::lock_guard<std::mutex> guard(LogLock());
  FolderOverride() = folder;
}

void WriteErrorLog(const char* message) {
  if (message == nullptr) return;
  try {
    std::lock_guard<std::mutex> guard(LogLock());
    const std::string path = PathInFolder(CurrentFolder());
    if (path.empty()) return;
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) return;
    std::fprintf(file, "%s: %s\n", UtcTimeText().c_str(), message);
    std::fclose(file);
  } catch (...) {
    // Logging never fails its caller.
  }
}

}  // namespace tvk
