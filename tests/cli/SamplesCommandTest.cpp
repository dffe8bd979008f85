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
  // The site-data scan reads only the files of the folder itself.
  for (const auto& entry : std::filesystem::directory_iterator(siteData)) {
    ASSERT_TRUE(entry.is_regular_file()) << entry.path();
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
  EXPECT_NE(run.out.find((siteData / "Pumping Test MW-3.vxl").string()), std::string::npos);
}

}  // namespace
}  // namespace tvk
