#include "correction/OutputNaming.h"

#include "common/Format.h"
#include "common/TextUtil.h"

namespace tvk {

std::string MakeCorrectedFileName(std::string_view logName, bool baroAdjusted, const SystemTime& localTime) {
  const std::string name(logName);
  return StrFormat("%s%s_Tavisko_%04d%02d%02d_%02d%02d%02d.vxl", name.c_str(), baroAdjusted ? "_Fenlock" : "",
                   localTime.year, localTime.month, localTime.day, localTime.hour, localTime.minute,
                   localTime.second);
}

std::string MakeCorrectedFilePath(std::string_view folder, std::string_view fileName) {
  std::string path = TrimTrailingSeparators(folder);
  path += kPathSeparator;
  path += fileName;
  return path;
}

}  // namespace tvk
