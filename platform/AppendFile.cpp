#include "platform/AppendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <system_error>

#include "platform/DocumentsFolder.h"

namespace tvk::platform {
namespace {

bool WriteAll(int fd, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string OldName(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path + ".old";
  return path.substr(0, dot) + ".old" + path.substr(dot);
}

}  // namespace

std::string ErrorLogFolder(bool create) {
  try {
    std::string folder;
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
      folder = std::string(state) + "/tavisko";
    } else {
      const std::string home = HomeFolder();
      if (home.empty()) return {};
      folder = home + "/.local/state/tavisko";
    }
    if (create) {
      std::error_code error;
      std::filesystem::create_directories(folder, error);
    }
    return folder;
  } catch (const std::exception&) {
    return {};
  }
}

void AppendToFile(const std::string& path, std::string_view text, std::uint64_t rotateAt) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) >= rotateAt) {
    try {
      std::rename(path.c_str(), OldName(path).c_str());
    } catch (const std::exception&) {
      return;
    }
  }
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
  if (fd < 0) return;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) WriteAll(fd, text);
  close(fd);
}

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace tvk::platform
