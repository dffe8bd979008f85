#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/ResultMessages.h"
#include "common/TextUtil.h"
#include "logfile/LogFileWriter.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {


struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

class InfoCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ / name; }

  RunResult Tavisko(const std::vector<std::string>& args) const {
    std::string command = std::string("'") + TAVISKO_EXE_PATH + "'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " 2>'" + Path("stderr.txt") + "'";
    RunResult run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> chunk{};
    while (std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe)) run.out.append(chunk.data(), n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(Path("stderr.txt"));
    run.err.assign(std::istreambuf_iterator<char>(err), {});
    return run;
  }

  std::string WriteBinaryLog(const std::string& name) const {
    const std::vector<std::uint8_t> cfg(180, 1), notes(40, 2), data(234, 3);
    TMSystem::CTMLogFileWriter writer;
    // 2022-01-02 03:04:05 UTC
    const FileTime created = kUnixEpochFileTime + 1'641'092'645ULL * kTicksPerSecond;
    EXPECT_EQ(writer.Create(Path(name).c_str(), "ab", "PC", created), kOk);
    EXPECT_EQ(writer.WriteConfiguration(cfg.data(), 180), kOk);
    EXPECT_EQ(writer.AppendNotes(notes.data(), 40), kOk);
    EXPECT_EQ(writer.AppendLogData(data.data(), 234), kOk);
    EXPECT_EQ(writer.Close(), kOk);
    return Path(name);
  }

  std::string WriteText(const std::string& name, const std::string& text) const {
    test::WriteWholeFile(Path(name), text);
    return Path(name);
  }

  test::TempFolder folder_;
};

TEST_F(InfoCommandTest, ShowsTheContainerOfEachForm) {
  const std::string binary = WriteBinaryLog("a.vxl");
  const std::string text = WriteText("t.vxl",
                                     "<TamrelLogFile>\n<Hdr> Version=1,Size=2 </Hdr>\n"
                                     "<Configuration>\n<Hdr> Version=1,Size=2 </Hdr>\n<Bytes>\nABCD\n</Bytes>\n"
                                     "</Configuration>\n<Notes>\n<Hdr> Version=1,Size=0 </Hdr>\n</Notes>\n"
                                     "<LogData>\n<Hdr> Version=1,Size=0 </Hdr>\n</LogData>\n</TamrelLogFile>\n");
  const RunResult run = Tavisko({"info", binary, text});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, binary +
                         "\n  container\n    form: binary\n    creator user: ab\n    creator computer: PC\n"
                         "    created: 2022-01-02T03:04:05Z\n"
                         "    configuration position: 76\n    configuration size: 180\n"
                         "    notes position: 264\n    notes size: 40\n"
                         "    log data position: 320\n    log data size: 234\n" +
                         text +
                         "\n  container\n    form: text\n    configuration size: 2\n    notes size: 0\n"
                         "    log data size: 0\n");
}

TEST_F(InfoCommandTest, FailedFilesGetOneLineEachAndTheRestIsReported) {
  const std::string good = WriteBinaryLog("a.vxl");
  const std::string missing = Path("missing.vxl");
  const std::string junk = WriteText("junk.vxl", "not a log\n");
  const std::string folder = folder_.Path().string();
  const RunResult run = Tavisko({"info", missing, good, junk, folder});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind(good + "\n", 0), 0u) << run.out;
  const std::vector<std::string> lines = SplitText(run.err, '\n');
  ASSERT_EQ(lines.size(), 3u) << run.err;
  EXPECT_EQ(lines[0], missing + ": error 0x81020004: " + GetResultCodeMessage(kOpenFailed));
  EXPECT_EQ(lines[1], junk + ": error 0x81020005: " + GetResultCodeMessage(kBadHeader));
  EXPECT_EQ(lines[2], folder + ": error 0x81020004: " + GetResultCodeMessage(kOpenFailed));
}

TEST_F(InfoCommandTest, RequiresAFile) {
  EXPECT_NE(Tavisko({"info"}).status, 0);
  EXPECT_NE(Tavisko({}).status, 0);
}

}  // namespace
}  // namespace tvk
