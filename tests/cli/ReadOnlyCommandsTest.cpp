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
  const test::RunResult run = test::RunTavisko({"--version"}, folder_.Path().string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, platform::ExecutableVersion() + "\n");
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '.'), 3);
}

}  // namespace
}  // namespace tvk
