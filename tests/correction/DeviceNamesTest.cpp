#include <gtest/gtest.h>

#include "common/Calendar.h"
#include "correction/OutputNaming.h"

namespace tvk {
namespace {

// Windows opens a device for these names, whatever follows a dot; every system refuses them so that
// a log gets the same output name everywhere.
TEST(OutputNaming, DeviceNamesNeverReachAFileName) {
  const SystemTime local = MakeSystemTime(2011, 2, 3, 14, 5, 9);
  const std::string stamp = "_Tavisko_20110203_140509.vxl";
  struct Row {
    const char* logName;
    const char* source;
    const char* expected;
  };
  const Row rows[] = {
      {"CON", "/x/well.vxl", "well"},          {"nul.txt", "/x/well.vxl", "well"},
      {"Com1 ", "/x/well.vxl", "well"},        {"lpt9.a.b", "/x/well.vxl", "well"},
      {"AUX", "/x/prn.vxl", "Log"},            {"", "/x/NUL.vxl", "Log"},
      {"COM10", "/x/well.vxl", "COM10"},       {"CONSOLE", "/x/well.vxl", "CONSOLE"},
      {"LPT0", "/x/well.vxl", "LPT0"},         {"a<b>c:d", "/x/well.vxl", "a_b_c_d"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.logName);
    EXPECT_EQ(MakeCorrectedFileName(row.logName, row.source, false, local), row.expected + stamp);
  }
}

}  // namespace
}  // namespace tvk
