#pragma once
// The logs of a "Site Data" folder that the wizard offers when the host gives none, grouped by site.
// Qt-free, so any front end lists the same logs in the same order.

#include <atomic>
#include <string>
#include <vector>

namespace tvk {

struct SiteLog {
  std::string siteName;  // as the log's site header has it; empty when it has none
  std::string filePath;
};

struct SiteGroup {
  std::string siteName;  // the spelling of the group's first log
  std::vector<SiteLog> logs;
};

// Orders file and site names as the log list shows them: letter case aside, then by code unit.
bool LessIgnoringCase(const std::string& a, const std::string& b);

// The logs of `folder` itself (not its subfolders) that open, hold rows and may be corrected, in
// file-name order (LessIgnoringCase), so the result is the same on every file system. Stops early,
// with what it has, when `stop` is set.
std::vector<SiteLog> ScanSiteFolder(const std::string& folder, const std::atomic<bool>* stop = nullptr);

// `logs` grouped by site name with letter case aside, groups and logs in the order of `logs`.
std::vector<SiteGroup> GroupBySite(const std::vector<SiteLog>& logs);

}  // namespace tvk
