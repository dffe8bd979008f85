// A third-party host: loads the real module at run time, links no Qt, and calls the four exports the
// way a careless host might.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "common/Utf.h"
#include "support/PluginModule.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TAVISKO_SANITIZED 1
#endif

namespace tvk::test {
namespace {

// Stands in for the user who closes the wizard: once the running application's event loop turns, every
// window closes, through Qt's own exports since the host has no Qt of its own:
// QTimer::singleShot(0, qApp, SLOT(closeAllWindows())).
void CloseWindowsWhenTheLoopRuns() {
  void* core = dlopen("libQt6Core.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(core, nullptr) << "the module brings Qt";
  auto* application = static_cast<void**>(dlsym(core, "_ZN16QCoreApplication4selfE"));
  using SingleShot = void (*)(int, const void*, const char*);
  auto singleShot = reinterpret_cast<SingleShot>(dlsym(core, "_ZN6QTimer10singleShotEiPK7QObjectPKc"));
  ASSERT_TRUE(application != nullptr && *application != nullptr && singleShot != nullptr);
  singleShot(0, *application, "1closeAllWindows()");
  dlclose(core);
}

// The host's resident memory in bytes.
long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

class Host : public testing::Test {
 protected:
  void SetUp() override { WriteLevelLog(AcceptedLevelLog(), log_); }

  TempFolder dir_;
  const std::string log_ = dir_.File("well.vxl");
  const std::u16string wideLog_ = Utf8ToUtf16(log_);
};

TEST_F(Host, ExitsCleanlyWithoutClosingTheSession) {
  EXPECT_EXIT(
      {
        const PluginModule plugin = LoadPluginModule();
        if (plugin.initialize() != 1 || plugin.addFile(wideLog_.c_str()) != 1) std::exit(2);
        CloseWindowsWhenTheLoopRuns();
        if (plugin.launch() != 1) std::exit(3);
        std::exit(0);  // no TVK_Uninitialize, no dlclose
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Host, CallsOutsideASessionAndASecondLaunchAreRefused) {
  const PluginModule plugin = LoadPluginModule();
  ASSERT_NE(plugin.handle, nullptr);
  EXPECT_EQ(plugin.addFile(wideLog_.c_str()), 0) << "before TVK_Initialize";
  EXPECT_EQ(plugin.launch(), 0) << "before TVK_Initialize";
  ASSERT_EQ(plugin.initialize(), 1);
  EXPECT_EQ(plugin.addFile(wideLog_.c_str()), 1);
  CloseWindowsWhenTheLoopRuns();
  EXPECT_EQ(plugin.launch(), 1);
  CloseWindowsWhenTheLoopRuns();  // were a second wizard shown, it would close rather than hang the test
  EXPECT_EQ(plugin.launch(), 0) << "one launch per session";
  plugin.uninitialize();
  EXPECT_EQ(plugin.addFile(wideLog_.c_str()), 0) << "after TVK_Uninitialize";
  EXPECT_EQ(plugin.launch(), 0) << "after TVK_Uninitialize";
  plugin.uninitialize();  // a second close is harmless
  EXPECT_EQ(dlclose(plugin.handle), 0);
}

TEST_F(Host, UnloadsAfterClosingAndLoadsAgain) {
  for (int round = 0; round < 2; ++round) {
    const PluginModule plugin = LoadPluginModule();
    ASSERT_NE(plugin.handle, nullptr);
    ASSERT_EQ(plugin.initialize(), 1) << "round " << round;
    EXPECT_EQ(plugin.addFile(wideLog_.c_str()), 1);
    plugin.uninitialize();
    EXPECT_EQ(dlclose(plugin.handle), 0) << dlerror();
  }
}

TEST_F(Host, RepeatedSessionsKeepMemoryFlat) {
  const PluginModule plugin = LoadPluginModule();
  ASSERT_NE(plugin.handle, nullptr);
  long afterTen = 0;
  for (int session = 1; session <= 100; ++session) {
    ASSERT_EQ(plugin.initialize(), 1) << "session " << session;
    ASSERT_EQ(plugin.addFile(wideLog_.c_str()), 1);
    plugin.uninitialize();
    if (session == 10) afterTen = ResidentBytes();
  }
  const long growth = ResidentBytes() - afterTen;
#ifndef TAVISKO_SANITIZED  // the sanitizers keep freed memory in quarantine; their leak check stands in
  EXPECT_LT(growth, 4L << 20) << "90 sessions grew the host by " << growth << " bytes";
#endif
  std::printf("resident growth over sessions 11-100: %ld bytes\n", growth);
  dlclose(plugin.handle);
}

}  // namespace
}  // namespace tvk::test
