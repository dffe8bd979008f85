#pragma once
// The logs found in the host's "Site Data" folder, filled by the site-data scan before it posts
// kCatalogReady and read by the log list page after that event; so it needs no lock.

#include <string>
#include <vector>

namespace tvk::wizard {

struct SLogInfo {
  std::string siteName;
  std::string filePath;
};

// Process-wide; outlives sessions, and each scan empties it first.
std::vector<SLogInfo>& SiteLogCatalog();

}  // namespace tvk::wizard
