#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/SystemInfo.h"
#include "support/RunTavisko.h"
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

TEST_F(ReadOnlyCommands, VersionIsTheBuildsFourPartVersion) {
  for (const char* asked : {"--version", "-v", "version"}) {
    const test::RunResult run = test::RunTavisko({asked}, folder_.Path().string());
    EXPECT_EQ(run.status, 0) << asked;
    EXPECT_EQ(run.out, platform::ExecutableVersion() + "\n") << asked;
  }
  const std::string version = platform::ExecutableVersion();
  EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 3);
}

TEST_F(ReadOnlyCommands, HelpListsTheCommandsWhicheverWayItIsAskedFor) {
  for (const char* asked : {"help", "-h", "--help"}) {
    const test::RunResult run = test::RunTavisko({asked}, folder_.Path().string());
    EXPECT_EQ(run.status, 0) << asked;
    EXPECT_NE(run.out.find("Usage:"), std::string::npos) << asked;
    EXPECT_NE(run.out.find("correct"), std::string::npos) << asked;
  }
  // Every command that takes logs names them alike.
  for (const char* command : {"info", "check", "correct", "wizard"}) {
    const test::RunResult run = test::RunTavisko({command, "--help"}, folder_.Path().string());
    EXPECT_NE(run.out.find("FILE..."), std::string::npos) << command << run.out;
  }
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

TEST_F(ReadOnlyCommands, SamplesMakeTheFolderNamedButNotTheFoldersAboveIt) {
  const fs::path deep = folder_.Path() / "missing" / "deep";
  const test::RunResult refused = test::RunTavisko({"samples", deep.string()}, folder_.Path().string());
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, deep.string() + ": No such file or directory\n");
  EXPECT_FALSE(fs::exists(folder_.Path() / "missing"));
  const test::RunResult made = test::RunTavisko({"samples", folder_ / "new"}, folder_.Path().string());
  EXPECT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(fs::is_directory(folder_.Path() / "new" / "Site Data"));
}

}  // namespace
}  // namespace tvk
