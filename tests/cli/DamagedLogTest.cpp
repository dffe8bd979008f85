#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/LogFiles.h"
#include "support/RunTavisko.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

class DamagedLogTest : public ::testing::Test {
 protected:
  // A log that may be corrected: three rows of two channels (16 bytes each) behind 282 bytes of headers.
  std::string WriteLog(const std::string& name) const {
    const std::string path = folder_.File(name);
    test::WriteLevelLog(test::AcceptedLevelLog(), path);
    return path;
  }

  test::RunResult Tavisko(const std::vector<std::string>& args) const {
    return test::RunTavisko(args, folder_.Path().string());
  }

  test::TempFolder folder_;
  test::ScopedEnv zone_{"TZ", "UTC0"};
  test::ScopedEnv registry_{"TAVISKO_REGISTRY_DIR", folder_.Path().string()};
  test::ScopedEnv locale_{"LC_ALL", "C"};
};

TEST_F(DamagedLogTest, EveryCommandSaysTheDataIsCutShort) {
  const std::string path = WriteLog("cut.vxl");
  test::DamageLogFile(path, test::CutInData(282 + 2 * 16 + 9));
  const std::string reason = "the log data is cut short: 2 of 3 rows present";

  const test::RunResult check = Tavisko({"check", path});
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, path + ": " + reason + "\n");

  const test::RunResult info = Tavisko({"info", path});
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("  rows\n    count: 3\n    present: 2\n    damage: " + reason + "\n"), std::string::npos)
      << info.out;
  EXPECT_EQ(info.err, path + ": " + reason + "\n");

  const test::RunResult json = Tavisko({"info", "--json", path});
  EXPECT_EQ(json.status, 1);
  const auto rows = nlohmann::json::parse(json.out)[0]["rows"];
  EXPECT_EQ(rows["present"], 2);
  EXPECT_EQ(rows["damage"], reason);

  const test::RunResult csv = Tavisko({"rows", path});
  EXPECT_EQ(csv.status, 1);
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3) << "the heading and the two rows present";
  EXPECT_EQ(csv.err, path + ": " + reason + "\n");

  const test::RunResult correct = Tavisko({"correct", path});
  EXPECT_EQ(correct.status, 1);
  EXPECT_EQ(correct.err, path + ": " + reason + "\n");
}

TEST_F(DamagedLogTest, AFailedWriteToStandardOutputFailsTheCommand) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string path = WriteLog("good.vxl");
  const std::string errPath = folder_.File("err.txt");
  for (const std::string command : {"rows", "info", "info --json", "check", "correct"}) {
    SCOPED_TRACE(command);
    const int raw = std::system(("'" + std::string(TAVISKO_EXE_PATH) + "' " + command + " '" + path +
                                 "' >/dev/full 2>'" + errPath + "'")
                                    .c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    std::ifstream err(errPath);
    const std::string text{std::istreambuf_iterator<char>(err), {}};
    EXPECT_EQ(text, "tavisko: cannot write to standard output: No space left on device\n");
  }
}

}  // namespace
}  // namespace tvk
