#include "common/ErrorLog.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <string>

#include "common/Calendar.h"
#include "common/TextUtil.h"
#include "platform/AppendFile.h"

namespace tvk {

namespace {

constexpr std::uint64_t kMaxLogBytes = 1 << 20;

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}

// Guarded by LogLock().
std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

// The folder of the log; created (the default folder only) when `create`.
std::string CurrentFolder(bool create) {
  if (!FolderOverride().empty()) return platform::IsFolder(FolderOverride()) ? FolderOverride() : std::string();
  return platform::ErrorLogFolder(create);
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
    const std::string folder = CurrentFolder(false);
    return folder.empty() ? std::string() : CombinePath(folder, "ErrorLog.txt");
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
    const std::string folder = CurrentFolder(true);
    if (folder.empty()) return;
    platform::AppendToFile(CombinePath(folder, "ErrorLog.txt"), UtcTimeText() + ": " + message + "\n", kMaxLogBytes);
  } catch (...) {
    // Logging never fails its caller.
  }
}

}  // namespace tvk
