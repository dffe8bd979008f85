#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "common/ResultMessages.h"
#include "common/TextUtil.h"
#include "support/LogFiles.h"
#include "support/RunTavisko.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

class InfoCommandTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return folder_ / name; }

  test::RunResult Tavisko(const std::vector<std::string>& args) const {
    return test::RunTavisko(args, folder_.Path().string());
  }

  // A real log: user ab on PC, a configuration, one device-reset note and two rows of two channels.
  std::string WriteBinaryLog(const std::string& name, const std::string& logName = "Well 1") const {
    test::DataBlockLayout data;
    data.header.siteName = "North Well";
    data.channels = {{0, 12, 2, 17, 5}, {1, 12, 3, 38, 5}};
    data.rows = {{{1'641'092'645, 0}, {{1.5f, 0}, {2.25f, 0}}}, {{1'641'092'705, 0}, {{3.0f, 0}, {4.0f, 0}}}};
    // Created 2022-01-02 03:04:05 UTC.
    const test::Creator creator{"ab", "PC", kUnixEpochFileTime + 1'641'092'645ULL * kTicksPerSecond};
    test::WriteLogFile(Path(name), test::MakeConfiguration(logName, {{"SiteName", "North Well"}}),
                       test::MakePlainNote(3, 1'641'092'650), test::MakeDataBlock(data), &creator);
    return Path(name);
  }

  std::string WriteText(const std::string& name, const std::string& text) const {
    test::WriteWholeFile(Path(name), text);
    return Path(name);
  }

  test::TempFolder folder_;
  // Times shown in UTC with the fallback pictures, whatever the machine's zone and settings.
  test::ScopedEnv zone_{"TZ", "UTC0"};
  test::ScopedEnv registry_{"TAVISKO_REGISTRY_DIR", folder_.Path().string()};
  test::ScopedEnv locale_{"LC_ALL", "C"};
};
using DamagedLogTest = InfoCommandTest;

TEST_F(InfoCommandTest, ShowsEverySectionOfABinaryLog) {
  const std::string binary = WriteBinaryLog("a.vxl");
  const test::RunResult run = Tavisko({"info", binary});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  const char* expected[] = {
      "  container\n    form: binary\n    creator user: ab\n    creator computer: PC\n"
      "    created: 2022-01-02T03:04:05Z\n    configuration position: 76\n",
      "  log\n    name: Well 1\n    guid: {00000000-0000-0000-0000-000000000000}\n    type: 1\n",
      "  configuration\n    SiteName  string  North Well\n",
      "  site\n    name: North Well\n",
      "  channels\n    0  Pressure  pounds per square inch  PSI  2  17  12  5\n"
      "    1  Depth  feet  ft  3  38  12  5\n",
      "  rows\n    count: 2\n    first: 2022-01-02 03:04:05\n    last: 2022-01-02 03:05:05\n    interval: 1 min\n",
      "  notes\n    2022-01-02 03:04:10  3  Device Reset\n",
  };
  for (const char* part : expected) EXPECT_NE(run.out.find(part), std::string::npos) << part << "\n" << run.out;
}

TEST_F(InfoCommandTest, TextFormShowsItsContainer) {
  const std::string text = WriteText("t.vxl",
                                     "<TamrelLogFile>\n<Hdr> Version=1,Size=2 </Hdr>\n"
                                     "<Configuration>\n<Hdr> Version=1,Size=2 </Hdr>\n<Bytes>\nABCD\n</Bytes>\n"
                                     "</Configuration>\n<Notes>\n<Hdr> Version=1,Size=0 </Hdr>\n</Notes>\n"
                                     "<LogData>\n<Hdr> Version=1,Size=0 </Hdr>\n</LogData>\n</TamrelLogFile>\n");
  const test::RunResult run = Tavisko({"info", text});
  EXPECT_EQ(run.status, 1);  // AB CD is no configuration version
  EXPECT_EQ(run.out, text + "\n  container\n    form: text\n    configuration size: 2\n    notes size: 0\n"
                            "    log data size: 0\n");
  EXPECT_EQ(run.err, text + ": error 0x81020081: " + GetResultCodeMessage(kBadFormatVersion) + "\n");
}

TEST_F(InfoCommandTest, JsonCarriesTheSameReport) {
  const std::string binary = WriteBinaryLog("a.vxl");
  const test::RunResult run = Tavisko({"info", "--json", binary, Path("missing.vxl")});
  EXPECT_EQ(run.status, 1);
  const auto doc = nlohmann::json::parse(run.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["file"], binary);
  EXPECT_EQ(doc[0]["container"]["log data position"], 296);  // 76 + 8 + 188, then 16 + 8 for the notes
  EXPECT_EQ(doc[0]["configuration"][0]["value"], "North Well");
  EXPECT_EQ(doc[0]["channels"][1]["unit abbreviation"], "ft");
  EXPECT_EQ(doc[0]["rows"]["count"], 2);
  EXPECT_EQ(doc[0]["notes"][0]["text"], "Device Reset");
  EXPECT_EQ(doc[1]["error"]["message"], "No such file or directory");
}

TEST_F(InfoCommandTest, JsonReportsNamesThatAreNotUtf8) {
  // A path in Latin-1 and a log name holding an unpaired UTF-16 surrogate.
  const std::string latin1 = WriteBinaryLog("caf\xE9.vxl");
  const std::string surrogate = WriteBinaryLog("b.vxl", "Well \xED\xA0\x80");
  const test::RunResult run = Tavisko({"info", "--json", latin1, surrogate});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto doc = nlohmann::json::parse(run.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["file"], Path("caf\xEF\xBF\xBD.vxl"));
  EXPECT_EQ(doc[1]["log"]["name"].get<std::string>().rfind("Well \xEF\xBF\xBD", 0), 0u);
}

// The time column says its zone: in the heading, or in each time under --iso (January 2022 is summer in Sydney).
TEST_F(InfoCommandTest, RowsAreWrittenAsCsvInTheZoneTheySay) {
  const std::string binary = WriteBinaryLog("a.vxl");
  struct Row {
    const char* zone;
    bool iso;
    const char* csv;
  };
  const Row rows[] = {
      {"UTC0", false, "Time (UTC),Pressure (PSI),Depth (ft)\n2022-01-02 03:04:05,1.5,2.25\n2022-01-02 03:05:05,3,4\n"},
      {"UTC0", true, "Time,Pressure (PSI),Depth (ft)\n2022-01-02T03:04:05Z,1.5,2.25\n2022-01-02T03:05:05Z,3,4\n"},
      {"<+0530>-5:30", false, "Time (UTC+05:30),Pressure (PSI),Depth (ft)\n2022-01-02 08:34:05,1.5,2.25\n"},
      {"EST5EDT,M3.2.0,M11.1.0", false,
       "\"Time (UTC-05:00, UTC-04:00 in daylight time)\",Pressure (PSI),Depth (ft)\n2022-01-01 22:04:05,1.5,2.25\n"},
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", true, "Time,Pressure (PSI),Depth (ft)\n2022-01-02T14:04:05+11:00,1.5,2.25\n"},
  };
  for (const Row& row : rows) {
    const test::ScopedEnv zone("TZ", row.zone);
    const test::RunResult run = Tavisko(row.iso ? std::vector<std::string>{"rows", "--iso", binary}
                                                : std::vector<std::string>{"rows", binary});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, std::string(row.csv).size()), row.csv) << row.zone;
  }
}

TEST_F(InfoCommandTest, ShowsTheRecordingIntervalOfTheRows) {
  struct Row {
    std::vector<TMSystem::CTMDeviceTime> times;
    const char* interval;  // empty: none shown
  };
  const Row rows[] = {
      {{{100, 0}, {115, 0}, {130, 0}}, "15 s"},
      {{{100, 0}, {101, 0}, {3701, 0}}, "from 1 s to 1 h"},
      {{{100, 0}, {100, 32768}}, "0.5 s"},
      {{{100, 0}, {90161, 0}}, "1 d 1 h 1 min 1 s"},
      {{{100, 0}}, ""},
  };
  for (const Row& row : rows) {
    test::DataBlockLayout data;
    data.channels = {{0, 12, 2, 17, 5}};
    for (const auto& time : row.times) data.rows.push_back({time, {{1.0f, 0}}});
    test::WriteLogFile(Path("i.vxl"), test::MakeConfiguration("Well 1"), {}, test::MakeDataBlock(data));
    const auto doc = nlohmann::json::parse(Tavisko({"info", "--json", Path("i.vxl")}).out);
    EXPECT_EQ(doc[0]["rows"].value("interval", ""), row.interval);
  }
}

TEST_F(InfoCommandTest, RowValuesReadBackBitForBit) {
  const std::vector<float> values = {14.223335f, 0.1f, -0.0f, std::numeric_limits<float>::denorm_min(),
                                     std::numeric_limits<float>::max(), 1.0e-5f, 123456.79f, -2.5e-38f,
                                     std::numeric_limits<float>::infinity(), 16777215.0f};
  test::DataBlockLayout data;
  data.channels = {{0, 12, 2, 17, 5}, {1, 12, 3, 38, 5}};
  for (std::size_t i = 0; i < values.size(); i += 2) {
    data.rows.push_back({{1'641'092'645U + static_cast<std::uint32_t>(i), 0}, {{values[i], 0}, {values[i + 1], 0}}});
  }
  test::WriteLogFile(Path("v.vxl"), test::MakeConfiguration("Well 1"), {}, test::MakeDataBlock(data));
  const test::RunResult run = Tavisko({"rows", Path("v.vxl")});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<float> read;
  const std::vector<std::string> lines = SplitText(run.out, '\n');
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = SplitText(lines[i], ',');
    for (std::size_t f = 1; f < fields.size(); ++f) read.push_back(std::strtof(fields[f].c_str(), nullptr));
  }
  ASSERT_EQ(read.size(), values.size()) << run.out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(read[i]), std::bit_cast<std::uint32_t>(values[i])) << values[i];
  }
}

TEST_F(InfoCommandTest, FailedFilesGetOneLineEachAndTheRestIsReported) {
  const std::string good = WriteBinaryLog("a.vxl");
  const std::string missing = Path("missing.vxl");
  const std::string junk = WriteText("junk.vxl", "not a log\n");
  const std::string folder = folder_.Path().string();
  const test::RunResult run = Tavisko({"info", missing, good, junk, folder});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind(good + "\n", 0), 0u) << run.out;
  const std::vector<std::string> lines = SplitText(run.err, '\n');
  ASSERT_EQ(lines.size(), 3u) << run.err;
  EXPECT_EQ(lines[0], missing + ": No such file or directory");
  EXPECT_EQ(lines[1], junk + ": error 0x81020005: " + GetResultCodeMessage(kBadHeader));
  EXPECT_EQ(lines[2], folder + ": error 0x81020004: " + GetResultCodeMessage(kOpenFailed));
}

TEST_F(DamagedLogTest, EveryCommandSaysTheDataIsCutShort) {
  const std::string path = Path("cut.vxl");
  test::WriteLevelLog(test::AcceptedLevelLog(), path);  // three rows of 16 bytes behind 282 bytes of headers
  test::DamageLogFile(path, test::CutInData(282 + 2 * 16 + 9));
  const std::string reason = "the log data is cut short: 2 of 3 rows present";

  const test::RunResult check = Tavisko({"check", path});
  EXPECT_EQ(check.status, 1);
  EXPECT_EQ(check.out, path + ": " + reason + "\n");

  const test::RunResult info = Tavisko({"info", path});
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("  rows\n    count: 3\n    present: 2\n    damage: " + reason + "\n"), std::string::npos)
      << info.out;
  EXPECT_EQ(info.err, path + ": " + reason + "\n");

  const test::RunResult json = Tavisko({"info", "--json", path});
  EXPECT_EQ(json.status, 1);
  const auto rows = nlohmann::json::parse(json.out)[0]["rows"];
  EXPECT_EQ(rows["present"], 2);
  EXPECT_EQ(rows["damage"], reason);

  const test::RunResult csv = Tavisko({"rows", path});
  EXPECT_EQ(csv.status, 1);
  EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 3) << "the heading and the two rows present";
  EXPECT_EQ(csv.err, path + ": " + reason + "\n");

  const test::RunResult correct = Tavisko({"correct", path});
  EXPECT_EQ(correct.status, 1);
  EXPECT_EQ(correct.err, path + ": " + reason + "\n");
}

TEST_F(DamagedLogTest, AFailedWriteToStandardOutputFailsTheCommand) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string path = Path("good.vxl");
  test::WriteLevelLog(test::AcceptedLevelLog(), path);
  const std::string errPath = folder_.File("err.txt");
  for (const std::string command : {"rows", "info", "info --json", "check", "correct"}) {
    SCOPED_TRACE(command);
    const int raw = std::system(("'" + std::string(TAVISKO_EXE_PATH) + "' " + command + " '" + path +
                                 "' >/dev/full 2>'" + errPath + "'")
                                    .c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
    std::ifstream err(errPath);
    const std::string text{std::istreambuf_iterator<char>(err), {}};
    EXPECT_EQ(text, "tavisko: cannot write to standard output: No space left on device\n");
  }
}

}  // namespace
}  // namespace tvk
