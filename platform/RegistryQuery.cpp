#include <cstdlib>
#include <exception>

#include "platform/DocumentsFolder.h"
#include "platform/RegistryHive.h"

// The registry of a Linux machine: the export files in the registry folder.

namespace tvk::platform {
namespace {

std::string RootKeyPath(std::string_view root, std::string_view subKey) {
  while (!subKey.empty() && subKey.front() == '\\') subKey.remove_prefix(1);
  std::string path(root);
  if (!subKey.empty()) path.append(1, '\\').append(subKey);
  return path;
}

}  // namespace

std::string RegistryDirectory() {
  try {
    const char* own = std::getenv("TAVISKO_REGISTRY_DIR");
    if (own != nullptr && *own != '\0') return own;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && *config == '/') return std::string(config) + "/tavisko";
    return HomeFolder() + "/.config/tavisko";
  } catch (const std::exception&) {
    return {};
  }
}

std::shared_ptr<const RegistryHive> LoadRegistryKey(std::string_view keyPath, int& result) {
  return LoadRegistryHive(keyPath.substr(0, keyPath.find('\\')), result);
}

int OpenRegistryKey(std::string_view root, std::string_view subKey) {
  try {
    int result = kErrorSuccess;
    const auto hive = LoadRegistryHive(root, result);
    if (hive == nullptr) return result;
    return hive->HasKey(RootKeyPath(root, subKey)) ? kErrorSuccess : kErrorFileNotFound;
  } catch (const std::exception&) {
    return kErrorNotEnoughMemory;
  }
}

int QueryRegistryValue(std::string_view root, std::string_view subKey, std::string_view name,
                       RegistryValue& value) {
  try {
    int result = kErrorSuccess;
    const auto hive = LoadRegistryHive(root, result);
    if (hive == nullptr) return result;
    const RegistryValue* found = hive->FindValue(RootKeyPath(root, subKey), name);
    if (found == nullptr) return kErrorFileNotFound;
    value = *found;
    return kErrorSuccess;
  } catch (const std::exception&) {
    return kErrorNotEnoughMemory;
  }
}

}  // namespace tvk::platform
