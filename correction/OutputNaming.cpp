#include "correction/OutputNaming.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "common/Format.h"
#include "common/TextUtil.h"
#include "common/Utf.h"
#include "platform/File.h"
#include "platform/Path.h"

namespace tvk {

namespace {

constexpr std::size_t kMaxFileNameBytes = 255;

bool Refused(unsigned char c) {
  return c < 0x20 || c == 0x7F || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

// Windows opens a device, not a file, for these names, whatever follows a dot: "CON", "nul.txt",
// "COM1 .vxl". Refused everywhere, so that a log gets the same output name on every system.
bool IsDeviceName(std::string_view name) {
  name = name.substr(0, name.find('.'));
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualsIgnoreCase(name, device)) return true;
  }
  return name.size() == 4 && (EqualsIgnoreCase(name.substr(0, 3), "COM") || EqualsIgnoreCase(name.substr(0, 3), "LPT")) &&
         name[3] >= '1' && name[3] <= '9';
}

// `text` as a part of one file name of at most `budget` bytes; empty when nothing usable is left.
std::string SafeNamePart(std::string_view text, std::size_t budget) {
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080..U+009F, the second control block
      name += '_';
      ++i;
    } else {
      name += Refused(c) ? '_' : static_cast<char>(c);
    }
  }
  if (name == "..") name = "_";
  // A leading dot hides the file from file managers; Windows refuses trailing dots and blanks.
  name.erase(0, name.find_first_not_of(". "));
  if (name.size() > budget) {
    std::size_t end = budget;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
    name.resize(end);
  }
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  return IsDeviceName(name) ? std::string() : name;
}

std::string SourceStem(std::string_view sourcePath) {
  const std::size_t sep = sourcePath.find_last_of(kPathSeparators);
  std::string_view name = sep == std::string_view::npos ? sourcePath : sourcePath.substr(sep + 1);
  if (name.size() >= 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".vxl")) name.remove_suffix(4);
  return std::string(name);
}

}  // namespace

std::string DefaultOutputFolder(std::string_view sourcePath) {
  const std::size_t sep = sourcePath.find_last_of(kPathSeparators);
  if (sep == 0) return std::string(1, kPathSeparator) + kCorrectedFolderName;
  return CombinePath(GetFolderPart(sourcePath), kCorrectedFolderName);
}

std::string MakeCorrectedFileName(std::string_view logName, std::string_view sourcePath, bool baroAdjusted,
                                  const SystemTime& localTime) {
  const std::string rest =
      StrFormat("%s_Tavisko_%04d%02d%02d_%02d%02d%02d.vxl", baroAdjusted ? "_Fenlock" : "", localTime.year,
                localTime.month, localTime.day, localTime.hour, localTime.minute, localTime.second);
  const std::size_t budget = kMaxFileNameBytes - rest.size();
  std::string name = SafeNamePart(logName, budget);
  if (name.empty()) name = SafeNamePart(SourceStem(sourcePath), budget);
  if (name.empty()) name = "Log";
  return name + rest;
}

std::string MakeCorrectedFilePath(std::string_view folder, std::string_view fileName) {
  std::string path = TrimTrailingSeparators(folder);
  path += kPathSeparator;
  path += fileName;
  return path;
}

namespace {

// Makes `folder` and its missing parents, noting the ones made here (outermost first).
int MakeFolders(const std::string& folder, std::vector<std::string>& created) {
  int error = platform::MakeFolder(folder.c_str());
  if (error == ENOENT) {
    const std::string parent = GetFolderPart(folder);
    if (parent.empty() || parent == folder) return error;
    error = MakeFolders(parent, created);
    if (error == 0 || error == EEXIST) error = platform::MakeFolder(folder.c_str());
  }
  if (error == 0) created.push_back(folder);
  return error;
}

}  // namespace

COutputFolder::COutputFolder(const std::string& path) {
  const std::string folder = TrimTrailingSeparators(path);
  if (folder.empty()) return;  // the root
  int error = MakeFolders(folder, created_);
  std::error_code ec;
  if (error == EEXIST) error = std::filesystem::is_directory(platform::PathFromUtf8(folder), ec) ? 0 : ENOTDIR;
  if (error != 0) error_ = std::generic_category().message(error);
}

COutputFolder::~COutputFolder() {
  // Only an empty folder goes: whatever a correction, this one or another, placed there stays.
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    if (!platform::RemoveEmptyFolder(it->c_str())) break;
  }
}

}  // namespace tvk
