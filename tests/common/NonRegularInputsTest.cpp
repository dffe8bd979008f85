// Inputs that are not regular files (a FIFO nobody writes to) must be refused, never waited on. Each
// row runs in a child process that the test kills after a timeout, so a regression fails instead of
// hanging the suite.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "common/DisplaySettings.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "common/WorkingFolders.h"
#include "platform/MessageBox.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

// Runs `body` in a child; true when it exited with status 0 within `limit`.
bool FinishesInTime(const std::function<bool()>& body, std::chrono::seconds limit) {
  const pid_t child = fork();
  if (child == 0) _exit(body() ? 0 : 1);
  if (child < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(NonRegularInputs, FifoInPlaceOfAnInputIsRefusedWithoutWaiting) {
  test::TempFolder folder;
  const std::string fifo = folder / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const SystemTime summerNoon = MakeSystemTime(2021, 7, 1, 12);
  struct Row {
    const char* name;
    std::function<bool()> body;
  };
  const Row rows[] = {
      {"settings hive",
       [&] {
         symlink(fifo.c_str(), (folder / "HKEY_CURRENT_USER.reg").c_str());
         setenv("TAVISKO_REGISTRY_DIR", folder.Path().c_str(), 1);
         ResetDisplaySettingsCache();
         return GetShowDateAndTime() && !FormatDateTime(summerNoon).empty();
       }},
      {"zone file",
       [&] {
         setenv("TZ", fifo.c_str(), 1);
         return UtcToLocal(summerNoon, false) == summerNoon;  // no zone read: UTC
       }},
      {"user folders file",
       [&] {
         symlink(fifo.c_str(), (folder / "user-dirs.dirs").c_str());
         setenv("HOME", folder.Path().c_str(), 1);
         setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
         setenv("TAVISKO_REGISTRY_DIR", (folder / "none").c_str(), 1);
         return GetWorkingDir() == folder / "Documents/Dovmark Data";
       }},
      {"string-table override file",
       [&] {
         platform::SetMessageBoxHook({});
         setenv("XDG_STATE_HOME", folder.Path().c_str(), 1);  // the warning's error-log line
         return LoadSystemStringTable(fifo) && GetSystemString(10187) == "User Note";
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(FinishesInTime(row.body, std::chrono::seconds(10)));
  }
}

}  // namespace
}  // namespace tvk
