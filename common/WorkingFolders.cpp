#include "common/WorkingFolders.h"

#include <exception>
#include <filesystem>

#include "common/RegistryReader.h"
#include "common/TextUtil.h"
#include "platform/DocumentsFolder.h"
#include "platform/Path.h"

namespace tvk {
namespace {

constexpr std::string_view kHostKey = "Software\\Tamrel\\Dovmark";

bool IsDirectory(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_directory(platform::PathFromUtf8(path), error);
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
    return CombinePath(GetWorkingDir(), name);
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
    return folder;
  } catch (const std::exception&) {
    return {};
  }
}

std::string GetSiteDataDir() { return SubFolder("Site Data"); }
std::string GetTranslateDir() { return SubFolder("Translate"); }

bool CreateFolder(const std::string& path) {
  try {
    if (IsDirectory(path)) return true;
    if (path.empty() || !platform::PathFromUtf8(path).is_absolute()) return false;
    std::error_code error;
    std::filesystem::create_directories(platform::PathFromUtf8(path), error);
    return IsDirectory(path);
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace tvk
