#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "logfile/LogFile.h"
#include "support/RunTavisko.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

TEST(SamplesCommand, WritesASiteDataFolderOfLoadableLogs) {
  test::TempFolder folder;
  const test::RunResult run = test::RunTavisko({"samples", folder.Path().string()}, folder.Path().string());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::filesystem::path siteData = folder.Path() / "Site Data";
  int logs = 0;
  std::set<std::string> sites;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(siteData)) {
    if (!entry.is_regular_file()) continue;
    TMSystem::CTMLogFile log;
    const ResultCode rc = log.Load(entry.path().string(), TMSystem::kLoadAll);
    if (entry.path().filename() == "Damaged Download.vxl") {
      EXPECT_TRUE(Failed(rc));
      continue;
    }
    ++logs;
    ASSERT_EQ(rc, kOk) << entry.path();
    EXPECT_GT(log.GetRowCount(), 100u);
    std::string site, guid;
    ASSERT_EQ(log.GetSiteInfo(site, guid), kOk);
    sites.insert(site);
  }
  EXPECT_EQ(logs, 9);
  // Two sites spell one name in different letter case, one has no name.
  EXPECT_TRUE(sites.count("Riverside Well") && sites.count("riverside well") && sites.count(""));
  EXPECT_NE(run.out.find("Pumping Test MW-3.vxl"), std::string::npos);
}

}  // namespace
}  // namespace tvk
