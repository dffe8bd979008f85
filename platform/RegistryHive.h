#pragma once
// Read-only registry. On Windows the system registry; elsewhere, and on Windows when
// $TAVISKO_REGISTRY_DIR names a folder, a stand-in: each root's hive is a Windows registry export file
// (HKEY_CURRENT_USER.reg, HKEY_LOCAL_MACHINE.reg) in the registry folder, so settings exported on
// Windows work as they are. A change to a file is seen at the next query; an unchanged file costs one
// stat (parsed hives are cached by the file's identity, size and modification time). Results are
// Win32 error codes.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tvk::platform {

// Win32 error codes a registry query gives.
constexpr int kErrorSuccess = 0;
constexpr int kErrorFileNotFound = 2;
constexpr int kErrorAccessDenied = 5;
constexpr int kErrorInvalidHandle = 6;
constexpr int kErrorNotEnoughMemory = 8;
constexpr int kErrorBadFormat = 11;
constexpr int kErrorInvalidData = 13;
constexpr int kErrorInvalidParameter = 87;
constexpr int kErrorMoreData = 234;

// Registry value types.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegLink = 6;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

constexpr std::string_view kCurrentUserRoot = "HKEY_CURRENT_USER";
constexpr std::string_view kLocalMachineRoot = "HKEY_LOCAL_MACHINE";

// A value as the registry stores it: REG_SZ data is UTF-16LE with its terminating zero, REG_DWORD
// four little-endian bytes.
struct RegistryValue {
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

// The keys and values an export leaves when imported into an empty registry, in file order: later
// lines override earlier ones, "[-key]" deletes a key with its subkeys and "name"=- a value. Key
// paths and value names compare ignoring ASCII case; a key's parents exist whenever it does.
class RegistryHive {
 public:
  // Parses an export in UTF-16LE (with or without byte-order mark) or UTF-8; lines that are not
  // understood are skipped. kErrorBadFormat when the header line is not a registry export's.
  int Parse(std::string_view bytes);
  // Adds or replaces one value, creating its key; false for a path outside the two roots.
  bool SetValue(std::string_view keyPath, std::string_view name, RegistryValue value);

  // `keyPath` is the full path, root included ("HKEY_CURRENT_USER\Software\...").
  bool HasKey(std::string_view keyPath) const;
  // Null when the key or the value is missing; "" names the default value.
  const RegistryValue* FindValue(std::string_view keyPath, std::string_view name) const;

 private:
  using Values = std::map<std::u16string, RegistryValue>;
  std::map<std::u16string, Values> keys_;  // by folded full path

  void DeleteKey(const std::u16string& path);
  void ParseLine(std::u16string_view line, Values*& current);
};

// $TAVISKO_REGISTRY_DIR, else ${XDG_CONFIG_HOME:-~/.config}/tavisko. On Windows only
// $TAVISKO_REGISTRY_DIR: the export files then stand in for the system registry (tests, portable
// setups); empty means the system registry.
std::string RegistryDirectory();

// The root's hive as its file holds it now; null with the error in `result` for an unknown root, a
// missing or unreadable file (a FIFO or folder in its place included) or a file that is not an export.
// The hive handed out never changes; a later change to the file gives a new one.
std::shared_ptr<const RegistryHive> LoadRegistryHive(std::string_view root, int& result);

// The values of one key (full path, root included) as they stand now. From export files that is
// the root's whole hive; from the Windows registry a hive holding just that key's values. A caller
// may keep the hive it was last given and compare: an unchanged export file gives the same one.
std::shared_ptr<const RegistryHive> LoadRegistryKey(std::string_view keyPath, int& result);

// kErrorSuccess when `subKey` exists under the root ("HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE");
// kErrorFileNotFound for an unknown root, a missing hive file or a missing key.
int OpenRegistryKey(std::string_view root, std::string_view subKey);

// The value `name` of `subKey` as the root's hive file holds it now.
int QueryRegistryValue(std::string_view root, std::string_view subKey, std::string_view name,
                       RegistryValue& value);

}  // namespace tvk::platform
