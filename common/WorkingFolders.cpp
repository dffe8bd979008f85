#include "common/WorkingFolders.h"

#include <exception>
#include <filesystem>

#include "common/RegistryReader.h"
#include "common/TextUtil.h"
#include "platform/DocumentsFolder.h"

namespace tvk {
namespace {

constexpr std::string_view kHostKey = "Software\\Tamrel\\Dovmark";

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(path, error);
}

// Failures are not reported: a later file operation in the folder fails instead. Like the shell's
// folder creation, a relative path is refused rather than made in whatever the current folder is.
void EnsureDirectory(const std::string& path) {
  if (path.empty() || IsDirectory(path) || !std::filesystem::path(path).is_absolute()) return;
  std::error_code error;
  std::filesystem::create_directories(path, error);
}

// The "WorkingDir" of one hive when it names an existing folder, else empty.
std::string RegisteredWorkingDir(RegistryRoot root) {
  RegistryReader reader;
  std::string folder;
  if (reader.Open(root, kHostKey) != 0 || reader.ReadString("WorkingDir", folder) != 0) return {};
  return IsDirectory(folder) ? folder : std::string();
}

std::string SubFolder(std::string_view name) {
  try {
    const std::string folder = CombinePath(GetWorkingDir(), name);
    EnsureDirectory(folder);
    return folder;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

std::string GetWorkingDir() {
  try {
    std::string folder = RegisteredWorkingDir(RegistryRoot::CurrentUser);
    if (folder.empty()) folder = RegisteredWorkingDir(RegistryRoot::LocalMachine);
    if (folder.empty()) folder = CombinePath(platform::DocumentsFolder(), "Dovmark Data");
    EnsureDirectory(folder);
    return folder;
  } catch (const std::exception&) {
    return {};
  }
}

std::string GetSiteDataDir() { return SubFolder("Site Data"); }
std::string GetTranslateDir() { return SubFolder("Translate"); }

}  // namespace tvk
