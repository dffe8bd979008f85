#include "platform/DocumentsFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <sstream>
#include <string_view>
#include <vector>

#include "platform/RegularFile.h"

namespace tvk::platform {
namespace {

constexpr std::string_view kDocumentsKey = "XDG_DOCUMENTS_DIR=";
constexpr std::size_t kMaxDirsBytes = 1 << 20;

std::string PasswordHome() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr) {
    return {};
  }
  return found->pw_dir;
}

std::string ConfigFolder(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return config;
  return home + "/.config";
}

// The value of a line such as XDG_DOCUMENTS_DIR="$HOME/Documents": a quoted path, absolute or
// starting with $HOME, backslash escaping the next character. Empty when the line is not one.
std::string DocumentsFromLine(std::string_view line, const std::string& home) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  if (line.substr(0, kDocumentsKey.size()) != kDocumentsKey) return {};
  line.remove_prefix(kDocumentsKey.size());
  if (line.empty() || line.front() != '"') return {};
  std::string value;
  std::size_t i = 1;
  for (; i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    value += line[i];
  }
  if (i == line.size()) return {};  // no closing quote
  for (std::string_view var : {"$HOME", "${HOME}"}) {
    if (value.compare(0, var.size(), var) == 0 &&
        (value.size() == var.size() || value[var.size()] == '/')) {
      return home + value.substr(var.size());
    }
  }
  return value.starts_with('/') ? value : std::string();
}

}  // namespace

std::string HomeFolder() {
  try {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    return PasswordHome();
  } catch (const std::exception&) {
    return {};
  }
}

std::string DocumentsFolder() {
  try {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    std::string content;
    FileStamp stamp;
    // Read without blocking: a FIFO in the file's place is skipped, not waited on.
    if (ReadRegularFile(ConfigFolder(home) + "/user-dirs.dirs", kMaxDirsBytes, content, stamp) !=
        ReadFileResult::kOk) {
      content.clear();
    }
    std::istringstream dirs(content);
    std::string line;
    std::string documents;
    // The last assignment wins, as when the file is sourced by a shell.
    while (std::getline(dirs, line)) {
      if (std::string found = DocumentsFromLine(line, home); !found.empty()) documents = found;
    }
    return documents.empty() ? home + "/Documents" : documents;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tvk::platform
