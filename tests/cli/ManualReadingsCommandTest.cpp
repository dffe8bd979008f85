#include <gtest/gtest.h>

#include <ctime>

#include "common/TextUtil.h"
#include "logfile/LogFile.h"
#include "logfile/notes/UserNotes.h"
#include "support/RunTavisko.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

class ManualReadingsCommandTest : public testing::Test {
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
  static std::string FirstLine(const std::string& out) { return out.substr(0, out.find('\n')); }

  test::TempFolder folder_;
};

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
