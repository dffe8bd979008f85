// The command line on Windows: arguments come in as UTF-16 and reach the files unchanged.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Path.h"
#include "support/RunTavisko.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

TEST(WindowsCommandLine, CorrectsALogWhosePathLeavesTheAnsiCodePage) {
  test::TempFolder folder;
  const std::string scratch = platform::Utf8FromPath(folder.Path());
  ASSERT_EQ(test::RunTavisko({"samples", scratch}, scratch).status, 0);
  const auto logs = folder.Path() / u8"Ĺógger ✓";
  std::filesystem::create_directory(logs);
  std::filesystem::copy_file(folder.Path() / "Site Data" / "Slug Test.vxl", logs / u8"Ĺógger ✓.vxl");

  const test::RunResult run = test::RunTavisko({"correct", platform::Utf8FromPath(logs / u8"Ĺógger ✓.vxl")}, scratch);
  EXPECT_EQ(run.status, 0) << run.err;
  int outputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(logs / "Post Corrected Files")) {
    EXPECT_EQ(entry.path().extension(), ".vxl");
    ++outputs;
  }
  EXPECT_EQ(outputs, 1);
  EXPECT_NE(run.out.find(platform::Utf8FromPath(logs)), std::string::npos) << run.out;
}

}  // namespace
}  // namespace tvk
