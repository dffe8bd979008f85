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

TEST(SamplesCommand, LeavesFilesOfTheSameNamesUnlessForced) {
  test::TempFolder folder;
  const std::filesystem::path mine = folder.Path() / "Site Data" / "Slug Test.vxl";
  std::filesystem::create_directories(mine.parent_path());
  test::WriteWholeFile(mine, "my own notes");

  const test::RunResult refused = test::RunTavisko({"samples", folder.Path().string()}, folder.Path().string());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.out, "");
  EXPECT_NE(refused.err.find(mine.string() + "\n"), std::string::npos) << refused.err;
  EXPECT_EQ(std::filesystem::file_size(mine), 12u);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Site Data" / "River Stage.vxl"));

  const test::RunResult forced =
      test::RunTavisko({"samples", folder.Path().string(), "--force"}, folder.Path().string());
  EXPECT_EQ(forced.status, 0) << forced.err;
  TMSystem::CTMLogFile log;
  EXPECT_EQ(log.Load(mine.string(), TMSystem::kLoadOnDemand), kOk);
}

TEST(SamplesCommand, MakesTheFolderNamedButNotTheFoldersAboveIt) {
  test::TempFolder folder;
  const std::filesystem::path deep = folder.Path() / "missing" / "deep";
  const test::RunResult refused = test::RunTavisko({"samples", deep.string()}, folder.Path().string());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, deep.string() + ": No such file or directory\n");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "missing"));
  const test::RunResult made = test::RunTavisko({"samples", folder / "new"}, folder.Path().string());
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "new" / "Site Data"));
}

}  // namespace
}  // namespace tvk
