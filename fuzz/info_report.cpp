// Runs the report writers of `tavisko info` (text and JSON) over an arbitrary log under an arbitrary
// file name: whatever the bytes, every file is reported and the JSON output parses.
//
// Input: one byte giving the length of the file name (mod 64), the name's bytes ('/' and NUL become
// '_'), then the content of the file.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/InfoCommand.h"

namespace {

std::string g_folder;

std::string FileName(const std::uint8_t* data, std::size_t length) {
  std::string name(reinterpret_cast<const char*>(data), length);
  for (char& c : name) c = c == '/' || c == '\0' ? '_' : c;
  return name.empty() || name == "." || name == ".." ? "log.vxl" : name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char folder[] = "/tmp/tavisko_fuzz_info_XXXXXX";
  if (::mkdtemp(folder) == nullptr) std::abort();
  g_folder = folder;
  // Settings, the zone and the error log of the run stay out of the user's own.
  ::setenv("TAVISKO_REGISTRY_DIR", folder, 1);
  ::setenv("XDG_STATE_HOME", folder, 1);
  ::setenv("TZ", "UTC0", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 1U << 20) return 0;
  const std::size_t nameLength = std::min<std::size_t>(data[0] % 64, size - 1);
  const std::string path = g_folder + "/" + FileName(data + 1, nameLength);
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return 0;  // a name the file system refuses
    file.write(reinterpret_cast<const char*>(data + 1 + nameLength),
               static_cast<std::streamsize>(size - 1 - nameLength));
    if (!file) std::abort();
  }
  std::ostringstream out, err;
  tvk::cli::RunInfo({path}, false, out, err);
  std::ostringstream json, jsonErr;
  tvk::cli::RunInfo({path}, true, json, jsonErr);
  const auto documents = nlohmann::json::parse(json.str(), nullptr, false);
  if (documents.is_discarded() || documents.size() != 1) std::abort();
  std::filesystem::remove(path);
  return 0;
}
