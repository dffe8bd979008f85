// Hostile override files: whatever the bytes, applying them must neither crash nor leave a text
// that a lookup cannot return.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "common/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/tvk_fuzz_strings_" + std::to_string(::getpid()) + ".txt";
  static const bool loaded = tvk::LoadSystemStringTable("");
  if (!loaded) return 0;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  tvk::ApplySystemStringOverrideFile(path);
  static volatile std::size_t sink = 0;
  for (std::uint32_t id = tvk::kFirstSystemStringId; id <= tvk::kLastSystemStringId; ++id) {
    sink = sink + tvk::GetSystemString(id).size();
  }
  return 0;
}
