// Arbitrary bytes as a log file: the binary header, and the text form when that does not match.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "logfile/LogFileReader.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = "/tmp/fuzz_container_" + std::to_string(getpid()) + ".vxl";
  return path;
}

bool WriteScratch(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

void ReadEverything(TMSystem::CTMLogFileReader& reader) {
  TMSystem::CTMByteBuffer buffer;
  (void)reader.ReadConfiguration(buffer);
  for (std::uint32_t chunk : {1u, 7u, 64u, 0x10000u}) {
    while (tvk::Succeeded(reader.ReadNotes(chunk, buffer)) && buffer.Size() > 0) {
    }
  }
  (void)reader.ReadNotes(0xFFFFFFF0u, buffer);
  const std::uint64_t start = reader.LogDataStart();
  for (std::uint64_t at : {start, start + 1, start + reader.LogDataSize(), start + reader.LogDataSize() + 1}) {
    if (reader.SeekLogData(at)) (void)reader.ReadLogData(26, buffer);
  }
  if (reader.SeekLogData(start)) {
    while (tvk::Succeeded(reader.ReadLogData(26, buffer))) {
    }
    (void)reader.ReadLogData(reader.LogDataSize(), buffer);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!WriteScratch(data, size)) return 0;
  TMSystem::CTMLogFileReader reader;
  if (tvk::Succeeded(reader.Open(ScratchPath()))) ReadEverything(reader);
  reader.Close();
  return 0;
}
