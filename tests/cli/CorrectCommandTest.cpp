#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "common/TextUtil.h"
#include "logfile/LogFile.h"
#include "logfile/notes/UserNotes.h"
#include "support/LogFiles.h"
#include "support/RunTavisko.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

class CorrectCommandTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(Run({"samples", folder_.Path().string()}).status, 0); }

  test::RunResult Run(const std::vector<std::string>& args) { return test::RunTavisko(args, folder_.Path().string()); }

  std::string Sample(const std::string& name) const {
    return (folder_.Path() / "Site Data" / (name + ".vxl")).string();
  }
  std::string Out(const std::string& name) const { return (folder_.Path() / name).string(); }

  static std::unique_ptr<TMSystem::CTMLogFile> Load(const std::string& path) {
    auto log = std::make_unique<TMSystem::CTMLogFile>();
    EXPECT_EQ(log->Load(path, TMSystem::kLoadAll), kOk) << path;
    return log;
  }
  static std::vector<TMSystem::CTMDataRow> Rows(const std::unique_ptr<TMSystem::CTMLogFile>& log) {
    std::vector<TMSystem::CTMDataRow> rows;
    EXPECT_EQ(log->GetRows(rows), kOk);
    return rows;
  }
  // The level column (channel 1) of a log.
  static std::vector<float> Levels(const std::string& path) {
    std::vector<float> levels;
    for (const auto& row : Rows(Load(path))) levels.push_back(row.values.at(1).value);
    return levels;
  }
  // The texts of a log's notes, in order.
  static std::vector<std::string> NoteTexts(const std::unique_ptr<TMSystem::CTMLogFile>& log) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < log->GetNoteCount(); ++i) {
      TMSystem::CTMUserNote_Text text;
      const TMSystem::CTMLogNotesRecord& note = log->GetNote(i);
      texts.push_back(Succeeded(text.FromRecord(note)) ? text.GetValues().text : "<" + std::to_string(note.subType) + ">");
    }
    return texts;
  }
  static std::string IsoTime(const TMSystem::CTMDeviceTime& time) {
    const std::time_t seconds = time.seconds;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
  }
  // The output paths `correct` printed: its lines that are not indented.
  static std::vector<std::string> Outputs(const std::string& out) {
    std::vector<std::string> paths = SplitText(out, '\n');
    std::erase_if(paths, [](const std::string& line) { return line.empty() || line.starts_with("  "); });
    return paths;
  }
  static std::string FirstLine(const std::string& out) { return out.substr(0, out.find('\n')); }

  test::TempFolder folder_;
};
using ManualReadingsCommandTest = CorrectCommandTest;

TEST_F(CorrectCommandTest, WritesTheCorrectedLogBesideTheSourceAndLeavesTheSource) {
  const std::string source = Sample("Pumping Test MW-3");
  const test::Bytes before = test::ReadFileBytes(source);
  const test::RunResult run = Run({"correct", source, "--mode", "pressure-head", "--sg", "sea"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string output = FirstLine(run.out);
  EXPECT_EQ(GetFolderPart(output), (folder_.Path() / "Site Data" / "Post Corrected Files").string());
  EXPECT_EQ(GetFileNamePart(output).rfind("Pumping Test MW-3_Tavisko_", 0), 0u);
  EXPECT_EQ(test::ReadFileBytes(source), before);

  // Depth to water below a 45 ft reference becomes the water column over the probe, in sea water.
  const std::vector<float> dtw = Levels(source);
  const std::vector<float> depth = Levels(output);
  ASSERT_EQ(depth.size(), dtw.size());
  EXPECT_NEAR(depth[0], (45.0f - dtw[0]) / 1.024f, 1e-3);
  TMSystem::CTMLogFile corrected;
  ASSERT_EQ(corrected.Load(output, TMSystem::kLoadOnDemand), kOk);
  TMSystem::CTMChannelInfo level;
  ASSERT_EQ(corrected.GetChannel(1, level), kOk);
  EXPECT_EQ(level.parameterId, 3);
}

TEST_F(CorrectCommandTest, ReferenceAtADataPointSetsThatRowToTheReference) {
  const std::string source = Sample("Long-Term Monitoring MW-1");
  const std::string out = (folder_.Path() / "out").string() + kPathSeparator;
  const test::RunResult byRow =
      Run({"correct", source, "--mode", "depth-to-water", "--reference", "30", "--at-row", "100", "--output-dir", out});
  ASSERT_EQ(byRow.status, 0) << byRow.err;
  EXPECT_EQ(GetFolderPart(FirstLine(byRow.out)), TrimTrailingSeparators(out));
  EXPECT_FLOAT_EQ(Levels(FirstLine(byRow.out))[100], 30.0f);

  // Row 100 is 100 hours after the first row: the nearest row to a time a little later. An unusual
  // specific gravity is warned about, and leaves the data point at the reference.
  std::filesystem::remove_all(out);
  const test::RunResult byTime = Run({"correct", source, "--mode", "elevation", "--reference", "250", "--at",
                                      "2011-03-17T11:20:00Z", "--sg", "1.5e0", "--output-dir", out});
  ASSERT_EQ(byTime.status, 0) << byTime.err;
  EXPECT_EQ(byTime.err, "warning: specific gravity 1.5e0 is outside 0.9 to 1.3\n");
  EXPECT_FLOAT_EQ(Levels(FirstLine(byTime.out))[100], 250.0f);
}

TEST_F(CorrectCommandTest, EachFileGetsALineAndFailuresSetTheStatus) {
  const test::RunResult run = Run({"correct", Sample("Slug Test"),
                                   Sample("Slug Test (already corrected)"),
                                   Sample("Pump Test MW-4 Start Of Test"), "--mode",
                                   "pressure-head"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Outputs(run.out).size(), 1u) << run.out;
  const std::vector<std::string> failures = SplitText(run.err, '\n');
  ASSERT_EQ(failures.size(), 2u) << run.err;
  EXPECT_NE(failures[0].find("already been post-corrected"), std::string::npos);
  EXPECT_NE(failures[1].find("Log file data cannot be converted to depth mode."), std::string::npos);
}

// Log names are the file's to choose, output places are not: a hostile name stays in the output folder,
// and logs of one name (twice the same file, or one name from two folders) get one output each.
TEST_F(CorrectCommandTest, OutputsStayInTheFolderAndNeverReplaceEachOther) {
  test::LevelLogLayout sample = test::AcceptedLevelLog();
  sample.logName = "../../../escaped";
  std::filesystem::create_directories(folder_.Path() / "a");
  std::filesystem::create_directories(folder_.Path() / "b");
  const std::string first = (folder_.Path() / "a" / "x.vxl").string();
  const std::string second = (folder_.Path() / "b" / "x.vxl").string();
  test::WriteLevelLog(sample, first);
  test::WriteLevelLog(sample, second);
  const std::string out = (folder_.Path() / "out").string();

  const test::RunResult run = Run({"correct", first, second, first, "--mode", "elevation", "--output-dir", out});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> outputs = Outputs(run.out);
  ASSERT_EQ(outputs.size(), 3u) << run.out;
  for (const std::string& output : outputs) {
    EXPECT_EQ(GetFolderPart(output), out);
    EXPECT_EQ(GetFileNamePart(output).rfind("_.._.._escaped_Tavisko_", 0), 0u) << output;
    EXPECT_EQ(std::count(outputs.begin(), outputs.end(), output), 1);
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3);
}

// A real full file system, mounted in a private namespace where that is allowed (root); skipped elsewhere.
TEST_F(CorrectCommandTest, AFullDiskIsReportedInTheSystemsWords) {
  const std::string source = Sample("Slug Test");
  const std::string out = (folder_.Path() / "full").string();
  const std::string errPath = (folder_.Path() / "err.txt").string();
  std::filesystem::create_directories(out);
  const std::string script = "mount -t tmpfs -o size=64k tmpfs '" + out + "' || exit 99; head -c 1M /dev/zero >'" +
                             out + "/fill' 2>/dev/null; exec '" + TAVISKO_EXE_PATH + "' correct '" + source +
                             "' --output-dir '" + out + "' 2>'" + errPath + "'";
  const int raw = std::system(("unshare -m sh -c \"" + script + "\" >/dev/null 2>&1").c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (status != 0 && status != 1) GTEST_SKIP() << "no private mount namespace here (" << status << ")";
  EXPECT_EQ(status, 1);
  std::ifstream err(errPath);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(err), {}),
            source + ": cannot write the corrected log into " + out + ": No space left on device\n");
}

TEST_F(CorrectCommandTest, UsageErrorsExitWithTwo) {
  const std::string source = Sample("Slug Test");
  struct Row {
    const char* reason;
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {"unknown mode", {"correct", source, "--mode", "depth"}},
      {"unknown water", {"correct", source, "--sg", "water"}},
      {"negative specific gravity", {"correct", source, "--sg", "-1"}},
      {"zero specific gravity", {"correct", source, "--sg", "0"}},
      {"specific gravity only a denormal float holds", {"correct", source, "--sg", "1e-45"}},
      {"hexadecimal specific gravity", {"correct", source, "--sg", "0x10"}},
      {"reference not a number", {"correct", source, "--reference", "nan"}},
      {"infinite reference", {"correct", source, "--reference", "inf"}},
      {"reference beyond a float", {"correct", source, "--reference", "1e39"}},
      {"reference with trailing text", {"correct", source, "--reference", "12ft"}},
      {"not a time", {"correct", source, "--at", "yesterday"}},
      {"row and time together", {"correct", source, "--at-row", "3", "--at", "2011-03-17T11:20:00Z"}},
      {"no file", {"correct"}},
      // Options that cannot act on the chosen mode are refused, not ignored.
      {"reference with pressure head", {"correct", source, "--mode", "pressure-head", "--reference", "3"}},
      {"data point row with pressure head", {"correct", source, "--mode", "pressure-head", "--at-row", "3"}},
      {"data point time with pressure head",
       {"correct", source, "--mode", "pressure-head", "--at", "2011-03-13T07:08:00Z"}},
  };
  for (const Row& row : rows) {
    const test::RunResult run = Run(row.args);
    EXPECT_EQ(run.status, 2) << row.reason;
    EXPECT_EQ(run.out, "") << row.reason;
  }
}

// Options that name something the log does not have fail for that log with the reason, exit 1.
TEST_F(CorrectCommandTest, AReferenceTheLogCannotTakeFailsWithTheReason) {
  const std::string source = Sample("Long-Term Monitoring MW-1");  // 2011-03-13 07:06:40 to 2012-03-12 06:06:40
  const std::string out = (folder_.Path() / "out").string();
  struct Row {
    std::vector<std::string> options;
    std::string reason;
  };
  const Row rows[] = {
      {{"--at", "2020-01-01T00:00:00Z"},
       "the time 2020-01-01 00:00:00 lies after the last row of the log (2012-03-12 06:06:40)"},
      {{"--at", "2011-03-13T07:06:00Z"},
       "the time 2011-03-13 07:06:00 lies before the first row of the log (2011-03-13 07:06:40)"},
      {{"--at-row", "8760"}, "row 8760 is not in the log (8760 rows)"},
      {{"--at-row", "-1"}, "row -1 is not in the log (8760 rows)"},
      // Left to the log's own mode, a log recorded as pressure head takes no reference.
      {{"--reference", "3"}, ""},
  };
  for (const Row& row : rows) {
    const bool head = row.reason.empty();
    std::vector<std::string> args = {"correct", head ? Sample("Slug Test") : source, "--output-dir", out};
    args.insert(args.end(), row.options.begin(), row.options.end());
    const test::RunResult run = Run(args);
    SCOPED_TRACE(run.err);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    const std::string reason = head ? "a level reference acts on depth to water and elevation only, and this pass converts to pressure head" : row.reason;
    EXPECT_EQ(run.err, args[1] + ": " + reason + "\n");
    EXPECT_FALSE(std::filesystem::exists(out));
  }
}

// The path alone on the first line, then what was applied and what it replaced.
TEST_F(CorrectCommandTest, SaysWhatItAppliedAfterThePath) {
  struct Row {
    const char* sample;
    std::vector<std::string> options;
    const char* applied;
  };
  const Row rows[] = {
      {"Long-Term Monitoring MW-1",
       {"--mode", "depth-to-water", "--reference", "12.5", "--at-row", "100", "--sg", "sea"},
       "  depth to water (was elevation), reference 12.5 ft at 2011-03-17 11:06:40 (was 312.4 ft), "
       "specific gravity 1.024 (was 1)"},
      // A log recorded in pressure head takes its first data point.
      {"Slug Test", {"--mode", "elevation", "--reference", "100"},
       "  elevation (was pressure head), reference 100 m at 2011-03-13 07:06:40 (was 0 m), specific gravity 1"},
      {"Slug Test", {}, "  pressure head, specific gravity 1"},
      {"Pump Test MW-4 Start Of Test", {"--reference", "3"},
       "  depth to water, reference 3 ft at the start of the test (was 0 ft), specific gravity 1"},
      {"Estuary Depth", {"--sg", "sea"}, "  pressure head, specific gravity by dynamic density"},
  };
  int index = 0;  // each run a folder of its own, not the next second's name
  for (const Row& row : rows) {
    const std::string out = (folder_.Path() / std::to_string(++index)).string();
    std::vector<std::string> args = {"correct", Sample(row.sample), "--output-dir", out};
    args.insert(args.end(), row.options.begin(), row.options.end());
    const test::RunResult run = Run(args);
    ASSERT_EQ(run.status, 0) << row.applied << run.err;
    const std::vector<std::string> lines = SplitText(run.out, '\n');
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_TRUE(std::filesystem::is_regular_file(lines[0])) << lines[0];
    EXPECT_EQ(lines[1], row.applied);
    args[3] = out + "-quiet";
    args.push_back("--quiet");
    const test::RunResult quiet = Run(args);
    EXPECT_EQ(quiet.out, Outputs(quiet.out).at(0) + "\n") << "the path only";
  }
}

TEST_F(CorrectCommandTest, JsonReportsEachFileWithItsSettingsReadingsOrError) {
  const std::string good = Sample("Monitoring With Manual Checks");
  const std::string refused = Sample("Slug Test (already corrected)");
  const std::filesystem::path table = folder_.Path() / "readings.csv";
  test::WriteWholeFile(table, "file,time,value\n" + GetFileNamePart(good) + ",2011-03-13T08:00:00Z,12.5\n" +
                                  GetFileNamePart(good) + ",2011-03-20T09:30:00Z,12.8\n");
  const test::RunResult run = Run({"correct", "--json", good, refused, "--readings", table.string(), "--output-dir",
                                   (folder_.Path() / "out").string()});
  EXPECT_EQ(run.status, 1);
  const auto doc = nlohmann::json::parse(run.out);
  ASSERT_EQ(doc.size(), 2u);
  EXPECT_EQ(doc[0]["file"], good);
  EXPECT_TRUE(std::filesystem::is_regular_file(doc[0]["output"].get<std::string>()));
  EXPECT_EQ(doc[0]["old"], nlohmann::json::parse(R"({"mode": "depth to water", "reference": 38, "unit": "ft",
                                                     "specific gravity": 1})"));
  EXPECT_EQ(doc[0]["new"]["reference"], 12.5);
  EXPECT_EQ(doc[0]["data point"], nlohmann::json::parse(R"({"row": 1, "time": "2011-03-13T08:06:40Z"})"));
  ASSERT_EQ(doc[0]["readings"].size(), 2u);
  EXPECT_EQ(doc[0]["readings"][1]["manual"], 12.8) << "a float as its shortest text";
  EXPECT_EQ(doc[0]["readings"][1]["row"], 170);
  EXPECT_NEAR(doc[0]["readings"][1]["drift correction"].get<double>(), 12.8 - doc[0]["readings"][1]["logged"].get<double>(), 1e-5);
  EXPECT_EQ(doc[1], (nlohmann::json{{"file", refused}, {"error", "the log has already been post-corrected"}}));
}

TEST_F(ManualReadingsCommandTest, OneReadingCorrectsAsTheReferenceOptionsDoPlusItsNote) {
  const std::string source = Sample("Long-Term Monitoring MW-1");
  const std::string at = IsoTime(Rows(Load(source))[100].time);
  const test::RunResult plain = Run({"correct", source, "--mode", "elevation", "--reference", "250.5", "--at-row",
                                     "100", "--output-dir", Out("plain")});
  const test::RunResult reading =
      Run({"correct", source, "--mode", "elevation", "--reading", at + "=250.5", "--output-dir", Out("reading")});
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(reading.status, 0) << reading.err;
  const std::vector<std::string> lines = SplitText(reading.out, '\n');
  ASSERT_EQ(lines.size(), 3u) << reading.out;
  EXPECT_TRUE(lines[2].starts_with("  manual reading at ")) << lines[2];

  const auto a = Load(FirstLine(plain.out));
  const auto b = Load(FirstLine(reading.out));
  EXPECT_EQ(Rows(a), Rows(b));
  std::vector<std::string> notes = NoteTexts(b);
  ASSERT_GE(notes.size(), 2u);
  EXPECT_TRUE(notes[notes.size() - 2].starts_with("Manual reading 1 of 1: 250.5 ")) << notes[notes.size() - 2];
  notes.erase(notes.end() - 2);
  EXPECT_EQ(notes, NoteTexts(a)) << "the post-correction note is unchanged and stays last";
}

// Across the reference changes recorded mid-log, the corrected record passes through every reading.
TEST_F(ManualReadingsCommandTest, TheCorrectedRecordPassesThroughEveryReading) {
  const std::string source = Sample("Monitoring With Manual Checks");
  const std::vector<TMSystem::CTMDataRow> rows = Rows(Load(source));
  const std::pair<std::size_t, const char*> readings[] = {{1500, "36.9"}, {30, "38.25"}, {700, "37.5"}, {2100, "37"}};
  std::vector<std::string> args = {"correct", source, "--output-dir", Out("out")};
  for (const auto& [row, value] : readings) {
    args.push_back("--reading");
    args.push_back(IsoTime(rows[row].time) + "=" + value);
  }
  const test::RunResult run = Run(args);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(SplitText(run.out, '\n').size(), 6u) << run.out;
  const auto corrected = Load(FirstLine(run.out));
  const std::vector<TMSystem::CTMDataRow> after = Rows(corrected);
  for (const auto& [row, value] : readings) EXPECT_EQ(after[row].values.at(1).value, std::stof(value)) << row;
  const std::vector<std::string> notes = NoteTexts(corrected);
  ASSERT_GE(notes.size(), 5u);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_TRUE(notes[notes.size() - 6 + static_cast<std::size_t>(i)].starts_with("Manual reading " + std::to_string(i) + " of 4: "))
        << notes[notes.size() - 6 + static_cast<std::size_t>(i)];
  }
}

TEST_F(ManualReadingsCommandTest, ReadingsThatCannotActAreRefused) {
  const std::string source = Sample("Long-Term Monitoring MW-1");
  const std::string other = Sample("Pumping Test MW-3");
  const std::string at = IsoTime(Rows(Load(source))[10].time);
  const auto table = [this](const std::string& name, const std::string& text) {
    test::WriteWholeFile(folder_.Path() / name, text);
    return (folder_.Path() / name).string();
  };
  struct Row {
    const char* name;
    std::vector<std::string> args;
    const char* err;  // part of what standard error says
  };
  const Row rows[] = {
      {"pressure head", {"correct", source, "--mode", "pressure-head", "--reading", at + "=1"}, "depth to water and elevation only"},
      {"with a data point", {"correct", source, "--reading", at + "=1", "--at-row", "3"}, "excludes"},
      {"with a reference", {"correct", source, "--reading", at + "=1", "--reference", "3"}, "excludes"},
      {"two files", {"correct", source, other, "--reading", at + "=1"}, "exactly one FILE"},
      {"not a value", {"correct", source, "--reading", at + "=deep"}, "decimal number"},
      {"not a time", {"correct", source, "--reading", "noon=1"}, "ISO 8601"},
      {"table without header", {"correct", source, "--readings", table("a.csv", "x.vxl,1,2\n")}, "a.csv:1: the header"},
      {"table with a bad line",
       {"correct", source, "--readings", table("b.csv", "# readings\nfile,time,value\n\nx,y\n")},
       "b.csv:4: not three fields"},
      {"table naming another log",
       {"correct", source, "--readings", table("c.csv", "file,time,value\nLake.vxl," + at + ",1\n")},
       "c.csv:2: Lake.vxl is not a FILE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const test::RunResult run = Run(row.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Site Data" / "Post Corrected Files"));

  // A table serves the logs it names; the others are corrected without readings, and told so.
  const std::string readings = table("d.csv", "file,time,value\n\"Long-Term Monitoring MW-1.vxl\"," + at + ",30\n");
  const test::RunResult run = Run({"correct", source, other, "--mode", "depth-to-water", "--readings", readings,
                                   "--output-dir", Out("out")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, other + ": no manual readings in " + readings + "; corrected without them\n");
  EXPECT_EQ(SplitText(run.out, '\n').size(), 5u) << "two paths, what each applied, one reading\n" << run.out;
}

}  // namespace
}  // namespace tvk
