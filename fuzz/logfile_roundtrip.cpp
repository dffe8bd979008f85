// Arbitrary bytes as a log file: what loads is saved, loaded again and must serialize identically.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "logfile/LogFile.h"

namespace {

std::string Scratch(const char* name) {
  return "/tmp/fuzz_roundtrip_" + std::to_string(getpid()) + "_" + name + ".vxl";
}

std::vector<char> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// Everything after the creation time, user and computer name: the sections as saved.
std::vector<char> Sections(const std::string& path) {
  std::vector<char> bytes = FileBytes(path);
  if (bytes.size() > 50) bytes.erase(bytes.begin(), bytes.begin() + 58);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string input = Scratch("in");
  static const std::string first = Scratch("first");
  static const std::string second = Scratch("second");
  {
    std::FILE* f = std::fopen(input.c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  TMSystem::CTMLogFile log;
  if (tvk::Failed(log.Load(input, TMSystem::kLoadAll))) return 0;
  if (tvk::Failed(log.SaveAs(first))) return 0;  // a configuration that cannot be written

  TMSystem::CTMLogFile again;
  if (tvk::Failed(again.Load(first, TMSystem::kLoadAll))) std::abort();
  if (tvk::Failed(again.SaveAs(second))) std::abort();
  if (Sections(first) != Sections(second)) std::abort();
  std::remove(first.c_str());
  std::remove(second.c_str());
  return 0;
}
