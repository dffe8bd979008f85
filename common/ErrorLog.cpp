#include "common/ErrorLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "common/Calendar.h"
#include "common/TextUtil.h"
#include "platform/DocumentsFolder.h"

namespace tvk {

namespace {

constexpr off_t kMaxLogBytes = 1 << 20;

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}

// Guarded by LogLock().
std::string& FolderOverride() {
  static std::string folder;
  return folder;
}

std::string StateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && *state == '/') return CombinePath(state, "tavisko");
  const std::string home = platform::HomeFolder();
  return home.empty() ? std::string() : CombinePath(home, ".local/state/tavisko");
}

// The folder of the log; created (the state folder only) when `create`.
std::string CurrentFolder(bool create) {
  if (!FolderOverride().empty()) {
    std::error_code error;
    return std::filesystem::is_directory(FolderOverride(), error) ? FolderOverride() : std::string();
  }
  const std::string folder = StateFolder();
  if (create && !folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
  }
  return folder;
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

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Appends to a regular file only: a FIFO or device in its place is not waited on.
void AppendLine(const std::string& path, const std::string& line) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= kMaxLogBytes) {
    const std::string old = path.substr(0, path.size() - 4) + ".old.txt";
    std::rename(path.c_str(), old.c_str());
  }
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) WriteAll(fd, line);
  close(fd);
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
    AppendLine(CombinePath(folder, "ErrorLog.txt"), UtcTimeText() + ": " + message + "\n");
  } catch (...) {
    // Logging never fails its caller.
  }
}

}  // namespace tvk
