#include <gtest/gtest.h>

#include <optional>

#include "support/RunTavisko.h"
#include "support/ScopedEnvironment.h"

namespace tvk::test {
namespace {

TEST(WizardCommand, FailsClearlyWithoutAPlugInOrADisplay) {
  struct Row {
    const char* name;
    std::vector<std::string> args;
    std::optional<std::string> display;
    std::optional<std::string> platform;
    std::optional<std::string> plugin;
    int status;
    const char* message;
  };
  const Row rows[] = {
      {"unknown option", {"wizard", "--bogus"}, ":0", std::nullopt, std::nullopt, 2, ""},
      {"no display server", {"wizard"}, std::nullopt, std::nullopt, std::nullopt, 1, "needs a display"},
      {"xcb without a display", {"wizard"}, std::nullopt, "xcb", std::nullopt, 1, "DISPLAY is not set"},
      {"no plug-in", {"wizard"}, std::nullopt, "offscreen", "/nonexistent/libtavisko.so", 1,
       "cannot load the plug-in /nonexistent/libtavisko.so"},
  };
  TempFolder dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ScopedEnv display("DISPLAY", row.display);
    ScopedEnv wayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnv platform("QT_QPA_PLATFORM", row.platform);
    ScopedEnv plugin("TAVISKO_PLUGIN", row.plugin);
    const RunResult result = RunTavisko(row.args, dir.Path().string());
    EXPECT_EQ(result.status, row.status);
    EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace tvk::test
