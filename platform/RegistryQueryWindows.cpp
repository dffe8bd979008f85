#include <algorithm>
#include <cstdlib>
#include <exception>
#include <vector>

#include "platform/RegistryHive.h"
#include "platform/windows/Wide.h"

// The Windows registry, or the export files when $TAVISKO_REGISTRY_DIR names their folder.

namespace tvk::platform {
namespace {

using windows::Widen;

std::string RootKeyPath(std::string_view root, std::string_view subKey) {
  while (!subKey.empty() && subKey.front() == '\\') subKey.remove_prefix(1);
  std::string path(root);
  if (!subKey.empty()) path.append(1, '\\').append(subKey);
  return path;
}

bool UsesExportFiles() { return !RegistryDirectory().empty(); }

HKEY RootKey(std::string_view root) {
  if (root == kCurrentUserRoot) return HKEY_CURRENT_USER;
  if (root == kLocalMachineRoot) return HKEY_LOCAL_MACHINE;
  return nullptr;
}

// A key opened for reading, closed with the object.
class OpenKey {
 public:
  OpenKey(std::string_view root, std::string_view subKey) {
    while (!subKey.empty() && subKey.front() == '\\') subKey.remove_prefix(1);
    const HKEY parent = RootKey(root);
    if (parent == nullptr) {
      result_ = kErrorFileNotFound;
      return;
    }
    result_ = static_cast<int>(RegOpenKeyExW(parent, Widen(subKey).c_str(), 0, KEY_READ, &key_));
  }
  ~OpenKey() {
    if (result_ == ERROR_SUCCESS) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  int Result() const { return result_; }
  HKEY Key() const { return key_; }

 private:
  HKEY key_ = nullptr;
  int result_ = kErrorFileNotFound;
};

int QueryOpenKey(HKEY key, const std::wstring& name, RegistryValue& value) {
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
  // The value may grow between the two queries: ask again with the size it has then.
  for (int attempt = 0; attempt < 4 && result == ERROR_SUCCESS; ++attempt) {
    std::vector<std::uint8_t> data(size);
    DWORD got = size;
    result = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &got);
    if (result == ERROR_SUCCESS) {
      data.resize(got);
      value.type = type;
      value.data = std::move(data);
      return kErrorSuccess;
    }
    if (result == ERROR_MORE_DATA) {
      size = got;
      result = ERROR_SUCCESS;
    }
  }
  return static_cast<int>(result);
}

}  // namespace

std::string RegistryDirectory() {
  try {
    const char* own = std::getenv("TAVISKO_REGISTRY_DIR");
    return own != nullptr ? own : "";
  } catch (const std::exception&) {
    return {};
  }
}

std::shared_ptr<const RegistryHive> LoadRegistryKey(std::string_view keyPath, int& result) {
  try {
    const std::string_view root = keyPath.substr(0, keyPath.find('\\'));
    if (UsesExportFiles()) return LoadRegistryHive(root, result);
    const std::string_view subKey = keyPath.substr(std::min(keyPath.size(), root.size() + 1));
    OpenKey key(root, subKey);
    result = key.Result();
    if (result != kErrorSuccess) return nullptr;
    auto hive = std::make_shared<RegistryHive>();
    std::vector<wchar_t> name(16384);  // the longest value name the registry allows, and its zero
    for (DWORD index = 0;; ++index) {
      DWORD length = static_cast<DWORD>(name.size());
      const LONG found = RegEnumValueW(key.Key(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (found == ERROR_NO_MORE_ITEMS) break;
      if (found != ERROR_SUCCESS) continue;
      RegistryValue value;
      const std::wstring valueName(name.data(), length);
      if (QueryOpenKey(key.Key(), valueName, value) == kErrorSuccess) {
        hive->SetValue(keyPath, windows::Narrow(valueName), std::move(value));
      }
    }
    return hive;
  } catch (const std::exception&) {
    result = kErrorNotEnoughMemory;
    return nullptr;
  }
}

int OpenRegistryKey(std::string_view root, std::string_view subKey) {
  try {
    if (!UsesExportFiles()) return OpenKey(root, subKey).Result();
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
    if (!UsesExportFiles()) {
      OpenKey key(root, subKey);
      if (key.Result() != kErrorSuccess) return key.Result();
      return QueryOpenKey(key.Key(), Widen(name), value);
    }
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
