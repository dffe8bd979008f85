#include <gtest/gtest.h>

#include <string>

#include "support/RunTavisko.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace {

TEST(CheckCommand, ReportsEachFileAndFailsWhenOneIsRefused) {
  tvk::test::TempFolder dir;
  const std::string good = dir.File("good.vxl");
  const std::string corrected = dir.File("corrected.vxl");
  tvk::test::WriteLevelLog(tvk::test::AcceptedLevelLog(), good);
  tvk::test::LevelLogLayout sample = tvk::test::AcceptedLevelLog();
  sample.notes.push_back(tvk::test::UserNoteRecord(21));
  tvk::test::WriteLevelLog(sample, corrected);

  const auto all = tvk::test::RunTavisko({"check", good}, dir.Path().string());
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, good + ": ok\n");

  const auto mixed = tvk::test::RunTavisko({"check", good, corrected, dir.File("none.vxl")}, dir.Path().string());
  EXPECT_EQ(mixed.status, 1);
  EXPECT_EQ(mixed.out, good + ": ok\n" + corrected + ": the log has already been post-corrected\n" +
                            dir.File("none.vxl") + ": No such file or directory\n");
}

}  // namespace
