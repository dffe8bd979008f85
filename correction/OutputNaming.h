#pragma once
// Where a corrected log goes and what it is called.

#include <string>
#include <string_view>
#include <vector>

#include "common/Calendar.h"

namespace tvk {

// The subfolder beside the source log that receives corrected logs.
constexpr const char* kCorrectedFolderName = "Post Corrected Files";

// "Post Corrected Files" in the folder of `sourcePath`.
std::string DefaultOutputFolder(std::string_view sourcePath);

// "<log name><suffix>_Tavisko_<yyyymmdd>_<hhmmss>.vxl"; the suffix marks a log whose values were
// barometrically adjusted. `localTime` is the local time of the correction.
// The log name comes from the file and must not choose the folder: separators, ".." as the whole name,
// control characters and the characters Windows refuses in names become "_", leading dots and blanks
// (a hidden file) and trailing ones go, and the name is cut (on a character boundary) so that the file
// name fits in 255 bytes. When nothing is left, the name of `sourcePath` without ".vxl", treated the
// same way, stands in. Other names are kept as they are.
std::string MakeCorrectedFileName(std::string_view logName, std::string_view sourcePath, bool baroAdjusted,
                                  const SystemTime& localTime);

// `folder` without its trailing separators, one separator, `fileName`.
std::string MakeCorrectedFilePath(std::string_view folder, std::string_view fileName);

// An output folder made ready for a correction: created with its missing parents, and those created
// here removed again, deepest first, when the object goes while they are still empty, so a correction
// that wrote nothing leaves nothing behind.
class COutputFolder {
 public:
  explicit COutputFolder(const std::string& path);
  ~COutputFolder();
  COutputFolder(const COutputFolder&) = delete;
  COutputFolder& operator=(const COutputFolder&) = delete;

  // Empty when the folder exists; otherwise the system's reason it could not be made.
  const std::string& Error() const { return error_; }

 private:
  std::vector<std::string> created_;  // outermost first
  std::string error_;
};

}  // namespace tvk
