#pragma once
// Read-only access to one registry key at a time. Results are Win32 error codes (0 = success,
// 2 missing, 11 wrong type, 13 too short, 87 invalid parameter); nothing throws.

#include <cstdint>
#include <string>
#include <string_view>

namespace tvk::platform {
struct RegistryValue;
}

namespace tvk {

// The type rules of the two reads below, for a value already found: 11 when it is of another type,
// 13 / 234 when a DWORD holds fewer / more than 4 bytes.
int DwordOfValue(const platform::RegistryValue& stored, std::uint32_t& value);
int StringOfValue(const platform::RegistryValue& stored, std::string& text);

enum class RegistryRoot { CurrentUser, LocalMachine };

class RegistryReader {
 public:
  RegistryReader() = default;
  ~RegistryReader() { Close(); }
  RegistryReader(const RegistryReader&) = delete;
  RegistryReader& operator=(const RegistryReader&) = delete;

  // 87 for an empty sub-key; on success replaces the key held before, which a failure keeps.
  int Open(RegistryRoot root, std::string_view subKey);
  // 11 when the value is not REG_DWORD, 13 when it holds fewer than 4 bytes.
  int ReadDword(std::string_view name, std::uint32_t& value) const;
  // 11 when the value is not REG_SZ; the text ends at the first zero character.
  int ReadString(std::string_view name, std::string& text) const;
  void Close();
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
  RegistryRoot root_ = RegistryRoot::CurrentUser;
  std::string subKey_;
};

}  // namespace tvk
