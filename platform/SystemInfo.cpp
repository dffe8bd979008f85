#include "platform/SystemInfo.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace tvk::platform {

std::string CurrentUserName() {
  std::string name;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_name != nullptr) {
    name = found->pw_name;
  }
  if (name.empty()) {
    if (const char* env = std::getenv("USER")) name = env;
  }
  if (name.empty()) return "Unknown";
  return name.substr(0, 256);
}

std::string ComputerName() {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0) return {};
  return std::string(host).substr(0, 15);
}

std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

std::string ExecutableFileName() {
  const std::string path = ExecutablePath();
  return path.substr(path.find_last_of('/') + 1);
}

std::string ExecutableVersion() {
  char text[64];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", TAVISKO_VERSION_MAJOR, TAVISKO_VERSION_MINOR,
                TAVISKO_VERSION_PATCH, TAVISKO_VERSION_TWEAK);
  return text;
}

}  // namespace tvk::platform
