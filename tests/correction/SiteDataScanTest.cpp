#include "correction/SiteDataScan.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk::test {
namespace {

TEST(SiteDataScan, ListsTheFolderItselfInFileNameOrderAndGroupsBySite) {
  TempFolder dir;
  // Created in an order unlike the sorted one: the listing must not follow the file system's order.
  const std::pair<const char*, const char*> logs[] = {{"riverside well", "Delta.vxl"}, {"North", "charlie.VXL"},
                                                      {"Riverside Well", "bravo.vxl"}, {"", "Echo.vxl"},
                                                      {"north", "alpha.vxl"}};
  for (const auto& [site, file] : logs) WriteSiteLog(site, dir.File(file));
  std::filesystem::create_directories(dir.Path() / "sub");
  WriteSiteLog("Nested", (dir.Path() / "sub" / "aaa.vxl").string());
  WriteWholeFile(dir.Path() / "broken.vxl", "no log");
  WriteWholeFile(dir.Path() / "notes.txt", "not a log either");

  const std::vector<SiteLog> found = ScanSiteFolder(dir.Path().string());
  std::vector<std::string> names;
  for (const SiteLog& log : found) names.push_back(std::filesystem::path(log.filePath).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"alpha.vxl", "bravo.vxl", "charlie.VXL", "Delta.vxl", "Echo.vxl"}));

  std::vector<std::string> groups;
  for (const SiteGroup& group : GroupBySite(found)) {
    groups.push_back(group.siteName + ":" + std::to_string(group.logs.size()));
  }
  // The first log in file-name order names its group, on every file system alike.
  EXPECT_EQ(groups, (std::vector<std::string>{"north:2", "Riverside Well:2", ":1"}));
}

TEST(SiteDataScan, AStopRequestEndsTheScan) {
  TempFolder dir;
  WriteSiteLog("North", dir.File("a.vxl"));
  const std::atomic<bool> stop{true};
  EXPECT_TRUE(ScanSiteFolder(dir.Path().string(), &stop).empty());
  EXPECT_TRUE(ScanSiteFolder((dir.Path() / "missing").string()).empty());
}

}  // namespace
}  // namespace tvk::test
