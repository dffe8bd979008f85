#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/SystemInfo.h"
#include "support/RunTavisko.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;

class ReadOnlyCommands : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  test::ScopedEnv home_{"HOME", folder_ / "home"};
  test::ScopedEnv registry_{"TAVISKO_REGISTRY_DIR", folder_ / "registry"};
  test::ScopedEnv config_{"XDG_CONFIG_HOME", std::nullopt};
  test::ScopedEnv state_{"XDG_STATE_HOME", folder_ / "state"};
};

TEST_F(ReadOnlyCommands, CreateNothingInTheDocumentsFolder) {
  test::WriteWholeFile(folder_.Path() / "a.vxl", "not a log");
  for (const char* command : {"info", "rows", "check"}) {
    SCOPED_TRACE(command);
    test::RunTavisko({command, folder_ / "a.vxl"}, folder_.Path().string());
    EXPECT_FALSE(fs::exists(folder_ / "home")) << "nothing below the home folder";
  }
}

TEST_F(ReadOnlyCommands, VersionAndHelpWhicheverWayTheyAreAskedFor) {
  const std::string version = platform::ExecutableVersion();
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3);
  for (const char* asked : {"--version", "-v", "version", "help", "-h", "--help"}) {
    const test::RunResult run = test::RunTavisko({asked}, folder_.Path().string());
    EXPECT_EQ(run.status, 0) << asked;
    if (std::string_view(asked).find('v') != std::string_view::npos) {
      EXPECT_EQ(run.out, version + "\n") << asked;
    } else {
      EXPECT_NE(run.out.find("Usage: tavisko "), std::string::npos) << asked;
      EXPECT_NE(run.out.find("correct"), std::string::npos) << asked;
    }
  }
  const test::RunResult typo = test::RunTavisko({"corect", "a.vxl"}, folder_.Path().string());
  EXPECT_EQ(typo.status, 2);
  EXPECT_NE(typo.err.find("Unknown command: corect"), std::string::npos) << typo.err;
  // Every command that takes logs names them alike.
  for (const char* command : {"info", "check", "correct", "wizard"}) {
    const test::RunResult run = test::RunTavisko({command, "--help"}, folder_.Path().string());
    EXPECT_NE(run.out.find("FILE..."), std::string::npos) << command << run.out;
  }
}

TEST_F(ReadOnlyCommands, CheckReportsEachFileAndFailsWhenOneIsRefused) {
  const std::string good = folder_ / "good.vxl";
  const std::string corrected = folder_ / "corrected.vxl";
  test::WriteLevelLog(test::AcceptedLevelLog(), good);
  test::LevelLogLayout sample = test::AcceptedLevelLog();
  sample.notes.push_back(test::UserNoteRecord(21));
  test::WriteLevelLog(sample, corrected);
  const test::RunResult all = test::RunTavisko({"check", good}, folder_.Path().string());
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, good + ": ok\n");
  const test::RunResult mixed = test::RunTavisko({"check", good, corrected}, folder_.Path().string());
  EXPECT_EQ(mixed.status, 1);
  EXPECT_EQ(mixed.out, good + ": ok\n" + corrected + ": the log has already been post-corrected\n");
}

// A missing file is told in the system's words by every command.
TEST_F(ReadOnlyCommands, AMissingFileIsToldInTheSystemsWords) {
  const std::string missing = folder_ / "no such.vxl";
  for (const char* command : {"info", "rows", "check", "correct"}) {
    const test::RunResult run = test::RunTavisko({command, missing}, folder_.Path().string());
    EXPECT_EQ(run.status, 1) << command;
    const std::string line = missing + ": No such file or directory\n";
    EXPECT_EQ(std::string(command) == "check" ? run.out : run.err, line) << command;
  }
}

}  // namespace
}  // namespace tvk
