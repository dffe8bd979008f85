// Registry export files are user-editable text: the parser must take anything.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/RegistryHive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  tvk::platform::RegistryHive hive;
  if (hive.Parse(bytes) != tvk::platform::kErrorSuccess) return 0;
  hive.HasKey("HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark");
  hive.FindValue("HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings", "UseUTC");
  hive.FindValue("HKEY_CURRENT_USER\\A", "");
  return 0;
}
