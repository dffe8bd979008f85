#include "correction/OutputNaming.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/Calendar.h"
#include "common/TextUtil.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

// Log names are the file's to choose, the output folder is not. Windows opens a device for the reserved
// names, whatever follows a dot; every system refuses them so that a log gets the same name everywhere.
TEST(OutputNaming, LogNamesNeverLeaveTheOutputFolderNorNameADevice) {
  const SystemTime local = MakeSystemTime(2011, 2, 3, 14, 5, 9);
  const std::string stamp = "_Tavisko_20110203_140509.vxl";
  const std::string longName(300, 'a');
  std::string accented;
  for (int i = 0; i < 150; ++i) accented += "\xC3\xA9";  // 300 bytes of two-byte characters
  struct Row {
    std::string logName;
    std::string expected;  // the name before the stamp
    const char* source = "site/source file.VXL";
    bool baro = false;
  };
  const Row rows[] = {
      {"Well 1", "Well 1_Fenlock", "a.vxl", true},
      {"Well 3/4", "Well 3_4"},
      {"../../../escaped", "_.._.._escaped"},
      {".hidden", "hidden"},
      {" . .x. ", "x"},
      {"...", "source file"},
      {"/../../../../var/x", "_.._.._.._.._var_x"},
      {"..", "_"},
      {"a\\b:c*d?e\"f<g>h|i", "a_b_c_d_e_f_g_h_i"},
      {std::string("tab\tnl\ndel\x7F" "c1\xC2\x85" "nul") + '\0', "tab_nl_del_c1_nul_"},
      {"Well 1. . ", "Well 1"},
      {"Br\xC3\xB8nn \xE6\xB0\xB4", "Br\xC3\xB8nn \xE6\xB0\xB4"},  // kept as it is
      {"", "source file"},
      {" . ", "source file"},
      {longName, longName.substr(0, 255 - stamp.size())},
      {accented, accented.substr(0, 226)},  // 227 would split a character
      {"", "Log", "/x/. .vxl"},
      {"..", "_", "/x/.well.vxl"},
      {". ", "well", "/x/.well.vxl"},
      {"CON", "well", "/x/well.vxl"},    {"nul.txt", "well", "/x/well.vxl"},
      {"Com1 ", "well", "/x/well.vxl"},  {"lpt9.a.b", "well", "/x/well.vxl"},
      {"AUX", "Log", "/x/prn.vxl"},      {"", "Log", "/x/NUL.vxl"},
      {"COM10", "COM10"},                {"CONSOLE", "CONSOLE"},
      {"LPT0", "LPT0"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.logName + " from " + row.source);
    const std::string name = MakeCorrectedFileName(row.logName, row.source, row.baro, local);
    EXPECT_EQ(name, row.expected + stamp);
    EXPECT_LE(name.size(), 255u);
  }
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(MakeCorrectedFilePath("out" + sep + sep, "a.vxl"), "out" + sep + "a.vxl");
  EXPECT_EQ(MakeCorrectedFilePath("out", "a.vxl"), "out" + sep + "a.vxl");
  EXPECT_EQ(DefaultOutputFolder("site" + sep + "a.vxl"), "site" + sep + kCorrectedFolderName);
  EXPECT_EQ(DefaultOutputFolder(sep + "a.vxl"), sep + kCorrectedFolderName);
  EXPECT_EQ(DefaultOutputFolder("a.vxl"), kCorrectedFolderName);
}

TEST(OutputNaming, OutputFolderMadeForNothingIsRemovedAgain) {
  test::TempFolder dir;
  const std::string outer = dir.File("a");
  const std::string inner = outer + kPathSeparator + "b";
  { EXPECT_EQ(COutputFolder(inner).Error(), ""); }
  EXPECT_FALSE(std::filesystem::exists(outer));
  {
    const COutputFolder folder(inner + kPathSeparator);
    EXPECT_TRUE(std::filesystem::is_directory(inner));
    test::WriteFileBytes(inner + kPathSeparator + "kept.vxl", {1});
  }
  EXPECT_TRUE(std::filesystem::exists(inner + kPathSeparator + "kept.vxl"));
  { EXPECT_EQ(COutputFolder(inner).Error(), "") << "an existing folder is used and left alone"; }
  EXPECT_TRUE(std::filesystem::exists(inner));
  EXPECT_EQ(COutputFolder(inner + kPathSeparator + "kept.vxl" + kPathSeparator + "c").Error(),
            std::strerror(ENOTDIR));
}

}  // namespace
}  // namespace tvk
