#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "common/ErrorLog.h"
#include "common/TextUtil.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;

class ErrorLogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorLogFolderForTesting(dir_.string()); }
  void TearDown() override { SetErrorLogFolderForTesting(""); }

  std::string LogText() const {
    std::ifstream in(dir_ / "ErrorLog.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  test::TempFolder folder_;
  const fs::path& dir_ = folder_.Path();
};

std::string UtcText(std::time_t t) {
  std::tm fields{};
  gmtime_r(&t, &fields);
  char text[128] = {};
  std::strftime(text, sizeof text, "%x %X", &fields);
  return text;
}

// The clock the log reads: std::time may read a coarser one that lags it by a few milliseconds.
std::time_t Now() { return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()); }

TEST_F(ErrorLogTest, LinesCarryTheUtcTimeWhateverTheZone) {
  std::time_t before = 0, after = 0;
  {
    test::ScopedZoneEnv zone("TZ", "XYZ-14");  // fourteen hours east of UTC
    before = Now();
    WriteErrorLog("first");
    WriteErrorLog(std::string("second"));
    WriteErrorLog(nullptr);
    after = Now();
  }

  const std::vector<std::string> lines = SplitText(LogText(), '\n');
  ASSERT_EQ(lines.size(), 2u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string message = i == 0 ? "first" : "second";
    EXPECT_TRUE(lines[i] == UtcText(before) + ": " + message || lines[i] == UtcText(after) + ": " + message)
        << lines[i];
  }
}

TEST_F(ErrorLogTest, ThreadsWriteWholeLines) {
  constexpr int kLines = 200;
  const std::string a(150, 'a'), b(150, 'b');
  std::thread first([&] { for (int i = 0; i < kLines; ++i) WriteErrorLog(a); });
  std::thread second([&] { for (int i = 0; i < kLines; ++i) WriteErrorLog(b); });
  first.join();
  second.join();
  int as = 0, bs = 0;
  for (const std::string& line : SplitText(LogText(), '\n')) {
    const std::size_t colon = line.find(": ");
    ASSERT_NE(colon, std::string::npos) << line;
    const std::string message = line.substr(colon + 2);
    as += message == a;
    bs += message == b;
  }
  EXPECT_EQ(as, kLines);
  EXPECT_EQ(bs, kLines);
}

TEST_F(ErrorLogTest, UnwritableLogIsSilent) {
  // A read-only file (root may write it anyway, so also a folder in the file's place).
  {
    std::ofstream(dir_ / "ErrorLog.txt") << "kept\n";
    fs::permissions(dir_ / "ErrorLog.txt", fs::perms::owner_read, fs::perm_options::replace);
    WriteErrorLog("lost");
    if (geteuid() != 0) {
      EXPECT_EQ(LogText(), "kept\n");
    }
    fs::permissions(dir_ / "ErrorLog.txt", fs::perms::owner_all, fs::perm_options::replace);
    fs::remove(dir_ / "ErrorLog.txt");
  }
  fs::create_directory(dir_ / "ErrorLog.txt");
  WriteErrorLog("lost");
  EXPECT_TRUE(fs::is_directory(dir_ / "ErrorLog.txt"));
}

TEST_F(ErrorLogTest, PathIsTheGivenFoldersOrTheUserStateFolders) {
  EXPECT_EQ(ErrorLogPath(), (dir_ / "ErrorLog.txt").string());
  SetErrorLogFolderForTesting((dir_ / "missing").string());
  EXPECT_EQ(ErrorLogPath(), "") << "a given folder that is missing gives no path";
  WriteErrorLog("lost");
  EXPECT_FALSE(fs::exists(dir_ / "missing"));

  SetErrorLogFolderForTesting("");
  {
    test::ScopedEnv state("XDG_STATE_HOME", (dir_ / "state").string());
    EXPECT_EQ(ErrorLogPath(), (dir_ / "state/tavisko/ErrorLog.txt").string());
    WriteErrorLog("first");
    EXPECT_TRUE(fs::is_regular_file(dir_ / "state/tavisko/ErrorLog.txt")) << "the folder is made when written";
  }
  test::ScopedEnv relative("XDG_STATE_HOME", "state");
  test::ScopedEnv home("HOME", (dir_ / "home").string());
  EXPECT_EQ(ErrorLogPath(), (dir_ / "home/.local/state/tavisko/ErrorLog.txt").string());
}

TEST_F(ErrorLogTest, StartsANewFilePastOneMebibyteKeepingOneOld) {
  const std::string big(1 << 20, 'x');
  for (const char* generation : {"first", "second"}) {
    SCOPED_TRACE(generation);
    std::ofstream(dir_ / "ErrorLog.txt", std::ios::binary | std::ios::trunc) << big << generation << "\n";
    WriteErrorLog("next");
    EXPECT_EQ(SplitText(LogText(), '\n').size(), 1u);
    EXPECT_EQ(fs::file_size(dir_ / "ErrorLog.old.txt"), big.size() + std::string(generation).size() + 1);
  }
  WriteErrorLog("small files grow");
  EXPECT_EQ(SplitText(LogText(), '\n').size(), 2u);
}

}  // namespace
}  // namespace tvk
