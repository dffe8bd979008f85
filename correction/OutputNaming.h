#pragma once
// Where a corrected log goes and what it is called.

#include <string>
#include <string_view>

#include "common/Calendar.h"

namespace tvk {

// The subfolder beside the source log that receives corrected logs.
constexpr const char* kCorrectedFolderName = "Post Corrected Files";

// "<log name><suffix>_Tavisko_<yyyymmdd>_<hhmmss>.vxl"; the suffix marks a log whose values were
// barometrically adjusted. `localTime` is the local time of the correction.
std::string MakeCorrectedFileName(std::string_view logName, bool baroAdjusted, const SystemTime& localTime);

// `folder` without its trailing separators, one separator, `fileName`.
std::string MakeCorrectedFilePath(std::string_view folder, std::string_view fileName);

}  // namespace tvk
