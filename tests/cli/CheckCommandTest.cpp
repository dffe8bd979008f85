#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace {

struct Output {
  std::string text;
  int status = -1;
};

Output RunTavisko(const std::string& arguments) {
  Output out;
  const std::string command = std::string("'") + TAVISKO_EXE_PATH + "' " + arguments;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) out.text += buffer;
  const int raw = pclose(pipe);
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

tvk::test::LevelLogLayout AcceptedLog() {
  tvk::test::LevelLogLayout sample;
  sample.entries = tvk::test::DepthToWaterSettings();
  sample.levels = tvk::test::Levels({1.0f, 2.0f});
  sample.notes = {tvk::test::UserNoteRecord(20)};
  return sample;
}

TEST(CheckCommand, ReportsEachFileAndFailsWhenOneIsRefused) {
  tvk::test::TempFolder dir;
  const std::string good = dir.File("good.vxl");
  const std::string corrected = dir.File("corrected.vxl");
  tvk::test::WriteLevelLog(AcceptedLog(), good);
  tvk::test::LevelLogLayout sample = AcceptedLog();
  sample.notes.push_back(tvk::test::UserNoteRecord(21));
  tvk::test::WriteLevelLog(sample, corrected);

  const Output all = RunTavisko("check '" + good + "'");
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.text, good + ": ok\n");

  const Output mixed = RunTavisko("check '" + good + "' '" + corrected + "' '" + dir.File("none.vxl") + "'");
  EXPECT_EQ(mixed.status, 1);
  EXPECT_EQ(mixed.text, good + ": ok\n" + corrected + ": the log has already been post-corrected\n" +
                            dir.File("none.vxl") + ": the log cannot be read\n");
}

}  // namespace
