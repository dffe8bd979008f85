#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/DocumentsFolder.h"
#include "support/ScopedEnvironment.h"

namespace tvk::platform {
namespace {

TEST(DocumentsFolder, ReadsTheUserDirsFile) {
  test::TempFolder folder;
  const std::string home = folder / "home";
  struct Row {
    const char* name;
    std::optional<std::string> dirsFile;  // nullopt = no file
    std::string expected;
  };
  const Row rows[] = {
      {"no file", std::nullopt, home + "/Documents"},
      {"home-relative", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", home + "/Dokumente"},
      {"braced home", "XDG_DOCUMENTS_DIR=\"${HOME}/Docs\"\n", home + "/Docs"},
      {"absolute, escaped quote", "XDG_DOCUMENTS_DIR=\"/data/my \\\"docs\\\"\"\n", "/data/my \"docs\""},
      {"home itself", "XDG_DOCUMENTS_DIR=\"$HOME\"\n", home},
      {"last assignment wins", "XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", home + "/B"},
      {"comments and other folders skipped",
       "# XDG_DOCUMENTS_DIR=\"/commented\"\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", home + "/Documents"},
      {"relative path ignored", "XDG_DOCUMENTS_DIR=\"Docs\"\n", home + "/Documents"},
      {"other variable ignored", "XDG_DOCUMENTS_DIR=\"$HOMEDIR/x\"\n", home + "/Documents"},
      {"unquoted ignored", "XDG_DOCUMENTS_DIR=$HOME/x\n", home + "/Documents"},
      {"unterminated ignored", "XDG_DOCUMENTS_DIR=\"$HOME/x\n", home + "/Documents"},
  };
  test::ScopedEnv homeEnv("HOME", home);
  for (const char* configHome : {"", "/cfg"}) {
    const std::string config = *configHome ? folder / "cfg" : home + "/.config";
    test::ScopedEnv configEnv("XDG_CONFIG_HOME",
                              *configHome ? std::optional<std::string>(config) : std::nullopt);
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (*configHome ? " (config home set)" : ""));
      std::filesystem::remove_all(config);
      if (row.dirsFile) test::WriteWholeFile(config + "/user-dirs.dirs", *row.dirsFile);
      EXPECT_EQ(DocumentsFolder(), row.expected);
    }
  }
}

TEST(DocumentsFolder, HomeFallsBackToThePasswordDatabase) {
  test::ScopedEnv homeEnv("HOME", std::nullopt);
  test::ScopedEnv configEnv("XDG_CONFIG_HOME", std::nullopt);
  const std::string home = HomeFolder();
  EXPECT_FALSE(home.empty());
  EXPECT_EQ(DocumentsFolder().rfind(home, 0), 0u);
}

}  // namespace
}  // namespace tvk::platform
