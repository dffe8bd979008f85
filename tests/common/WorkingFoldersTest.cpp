#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "common/WorkingFolders.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;

class WorkingFolders : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  test::ScopedEnv registryDir_{"TAVISKO_REGISTRY_DIR", folder_ / "registry"};
  test::ScopedEnv home_{"HOME", folder_ / "home"};
  test::ScopedEnv configHome_{"XDG_CONFIG_HOME", std::nullopt};

  std::string DefaultWorkingDir() const { return folder_ / "home/Documents/Dovmark Data"; }

  void WriteWorkingDir(const char* root, const std::string& path) {
    std::string escaped;
    for (char c : path) {
      if (c == '\\' || c == '"') escaped += '\\';
      escaped += c;
    }
    test::WriteWholeFile(folder_.Path() / "registry" / (std::string(root) + ".reg"),
                         "Windows Registry Editor Version 5.00\r\n\r\n[" + std::string(root) +
                             "\\Software\\Tamrel\\Dovmark]\r\n\"WorkingDir\"=\"" + escaped + "\"\r\n");
  }
};

TEST_F(WorkingFolders, NamingTheFoldersCreatesNothing) {
  EXPECT_EQ(GetSiteDataDir(), DefaultWorkingDir() + "/Site Data");
  EXPECT_EQ(GetTranslateDir(), DefaultWorkingDir() + "/Translate");
  EXPECT_EQ(GetWorkingDir(), DefaultWorkingDir());
  EXPECT_FALSE(fs::exists(folder_ / "home"));
  EXPECT_FALSE(CreateFolder("relative/folder"));
  // A file where the documents folder should be: nothing can be created below it.
  test::WriteWholeFile(folder_.Path() / "home/Documents", "");
  EXPECT_FALSE(CreateFolder(GetSiteDataDir()));
  fs::remove(folder_.Path() / "home/Documents");
  EXPECT_TRUE(CreateFolder(GetSiteDataDir()));
  EXPECT_TRUE(fs::is_directory(DefaultWorkingDir() + "/Site Data"));
}

TEST_F(WorkingFolders, DefaultFollowsTheUserDocumentsFolder) {
  test::WriteWholeFile(folder_.Path() / "home/.config/user-dirs.dirs",
                       "# written by the desktop\nXDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(GetWorkingDir(), folder_ / "home/Dokumente/Dovmark Data");
}

TEST_F(WorkingFolders, RegisteredFolderMustExist) {
  const std::string user = folder_ / "user data";
  const std::string machine = folder_ / "machine data";
  const std::string gone = folder_ / "gone";
  fs::create_directories(machine);
  struct Row {
    const char* name;
    std::optional<std::string> userValue;  // nullopt = no user hive
    bool userExists;
    std::optional<std::string> machineValue;  // nullopt = no machine hive
    std::string expected;
  };
  const Row rows[] = {
      {"user value first", user, true, machine, user},
      {"missing user folder falls back to the machine's", user, false, machine, machine},
      {"only the machine's", std::nullopt, false, machine, machine},
      {"neither exists", user, false, gone, DefaultWorkingDir()},
      {"empty value", "", false, std::nullopt, DefaultWorkingDir()},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(folder_.Path() / "registry");
    fs::remove_all(user);
    if (row.userExists) fs::create_directories(user);
    if (row.userValue) WriteWorkingDir("HKEY_CURRENT_USER", *row.userValue);
    if (row.machineValue) WriteWorkingDir("HKEY_LOCAL_MACHINE", *row.machineValue);
    EXPECT_EQ(GetWorkingDir(), row.expected);
    EXPECT_EQ(GetSiteDataDir(), row.expected + "/Site Data");
    EXPECT_FALSE(fs::exists(gone)) << "a registered folder is never created";
  }
}

}  // namespace
}  // namespace tvk
