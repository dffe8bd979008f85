#include "common/RegistryReader.h"

#include <exception>

#include "common/Utf.h"
#include "platform/RegistryHive.h"

namespace tvk {
namespace {

namespace reg = tvk::platform;

std::string_view RootName(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? reg::kLocalMachineRoot : reg::kCurrentUserRoot;
}

}  // namespace

int DwordOfValue(const reg::RegistryValue& stored, std::uint32_t& value) {
  if (stored.type != reg::kRegDword) return reg::kErrorBadFormat;
  if (stored.data.size() < 4) return reg::kErrorInvalidData;
  // A four-byte buffer cannot take more, as with the native query.
  if (stored.data.size() > 4) return reg::kErrorMoreData;
  value = static_cast<std::uint32_t>(stored.data[0]) | static_cast<std::uint32_t>(stored.data[1]) << 8 |
          static_cast<std::uint32_t>(stored.data[2]) << 16 | static_cast<std::uint32_t>(stored.data[3]) << 24;
  return reg::kErrorSuccess;
}

int StringOfValue(const reg::RegistryValue& stored, std::string& text) {
  try {
    if (stored.type != reg::kRegSz) return reg::kErrorBadFormat;
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < stored.data.size(); i += 2) {
      const auto unit = static_cast<char16_t>(stored.data[i] | stored.data[i + 1] << 8);
      if (unit == 0) break;
      wide.push_back(unit);
    }
    text = Utf16ToUtf8(wide);
    return reg::kErrorSuccess;
  } catch (const std::exception&) {
    return reg::kErrorNotEnoughMemory;
  }
}

int RegistryReader::Open(RegistryRoot root, std::string_view subKey) {
  if (subKey.empty()) return reg::kErrorInvalidParameter;
  try {
    std::string key(subKey);
    const int result = reg::OpenRegistryKey(RootName(root), key);
    if (result != reg::kErrorSuccess) return result;
    root_ = root;
    subKey_ = std::move(key);
    open_ = true;
    return reg::kErrorSuccess;
  } catch (const std::exception&) {
    return reg::kErrorNotEnoughMemory;
  }
}

int RegistryReader::ReadDword(std::string_view name, std::uint32_t& value) const {
  if (!open_) return reg::kErrorInvalidHandle;
  reg::RegistryValue stored;
  const int result = reg::QueryRegistryValue(RootName(root_), subKey_, name, stored);
  if (result != reg::kErrorSuccess) return result;
  return DwordOfValue(stored, value);
}

int RegistryReader::ReadString(std::string_view name, std::string& text) const {
  if (!open_) return reg::kErrorInvalidHandle;
  try {
    reg::RegistryValue stored;
    const int result = reg::QueryRegistryValue(RootName(root_), subKey_, name, stored);
    if (result != reg::kErrorSuccess) return result;
    return StringOfValue(stored, text);
  } catch (const std::exception&) {
    return reg::kErrorNotEnoughMemory;
  }
}

void RegistryReader::Close() {
  open_ = false;
  subKey_.clear();
}

}  // namespace tvk
