// `correct` streams its rows; the wizard corrects in memory. Both must write the same log, byte for
// byte, but for what records the moment of writing (the container's creation time, TVK_TIMESTAMP and
// the post-correction note's time).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "common/LocalTime.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "logfile/LogFile.h"
#include "logfile/LogFileReader.h"
#include "support/LogFiles.h"
#include "support/RunTavisko.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

namespace fs = std::filesystem;
using TMSystem::CTMLogFileReader;

struct Sections {
  test::Bytes configuration, data;
  std::vector<TMSystem::CTMLogNotesRecord> notes;
  std::string user, computer;
};

Sections ReadSections(const std::string& path) {
  Sections s;
  CTMLogFileReader reader;
  EXPECT_EQ(reader.Open(path), kOk) << path;
  TMSystem::CTMByteBuffer buffer;
  EXPECT_EQ(reader.ReadConfiguration(buffer), kOk);
  // TVK_TIMESTAMP says when the file was written: the configuration is compared without it.
  TMSystem::CTMLogFile log;
  EXPECT_EQ(log.ParseConfiguration(buffer), kOk);
  EXPECT_EQ(log.SetValue("TVK_TIMESTAMP", TMSystem::CTMVariant(MakeSystemTime(2000, 1, 1))), kOk);
  EXPECT_EQ(log.SerializeConfiguration(buffer), kOk);
  s.configuration = test::ToBytes(buffer);
  EXPECT_EQ(reader.ReadNotes(reader.NotesSize(), buffer), kOk);
  s.notes = TMSystem::ReadNotesSection(buffer);
  EXPECT_EQ(reader.ReadLogData(reader.LogDataSize(), buffer), kOk);
  s.data = test::ToBytes(buffer);
  s.user = reader.CreatorUserName();
  s.computer = reader.CreatorComputerName();
  return s;
}

void ExpectSameLog(const std::string& inMemory, const std::string& streamed) {
  const Sections a = ReadSections(inMemory), b = ReadSections(streamed);
  EXPECT_EQ(fs::file_size(inMemory), fs::file_size(streamed));
  EXPECT_TRUE(a.data == b.data) << "log data differs";
  EXPECT_TRUE(a.configuration == b.configuration) << "configuration differs";
  EXPECT_EQ(a.user + a.computer, b.user + b.computer);
  ASSERT_EQ(a.notes.size(), b.notes.size());
  for (std::size_t i = 0; i < a.notes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a.notes[i].type, b.notes[i].type);
    EXPECT_EQ(a.notes[i].subType, b.notes[i].subType);
    EXPECT_TRUE(test::ToBytes(a.notes[i].payload) == test::ToBytes(b.notes[i].payload));
    // The post-correction note, last, is stamped when it is made.
    if (i + 1 < a.notes.size()) {
      EXPECT_EQ(a.notes[i].time, b.notes[i].time);
    }
  }
}

struct Choice {
  std::uint16_t mode;
  bool readings;
};

// One pass with the same choices on a corrector of each kind; the reason when the correction failed.
std::string CorrectInto(const std::string& log, CLevelCorrector::Rows rows, const Choice& choice,
                        const std::string& folder, std::string& output) {
  auto corrector = std::make_shared<CLevelCorrector>();
  if (!corrector->Open(log, rows)) return "open: " + corrector->GetErrorText();
  CCorrectionPass pass(corrector);
  std::string reason;
  if (!pass.ChooseMode(choice.mode, reason)) return reason;
  const std::size_t count = pass.RowCount();
  if (pass.NeedsReference() && count > 0 && !pass.SetReference(static_cast<int>(count / 3), 12.5f, reason)) {
    return reason;
  }
  if (choice.readings) {
    const RowTimeList times = corrector->RowTimes();
    std::vector<ManualReading> readings;
    for (const auto& [row, value] : {std::pair{count / 4, 11.0f}, {count / 2, 12.25f}, {count - 1, 13.5f}}) {
      readings.push_back({times[row], value});
    }
    if (!pass.SetReadings(readings, DataPointDisplay(TakeDisplaySnapshot()), reason)) return reason;
  }
  if (!pass.SetGravity(1.012f, reason) || !pass.Apply(reason)) return reason;
  if (!corrector->Correct()) return "correct: " + corrector->GetErrorText();
  fs::create_directories(folder);
  if (!corrector->SaveCorrected(folder)) return "save: " + corrector->GetErrorText();
  output = (fs::path(folder) / corrector->GetOutputName()).string();
  return {};
}

// Every sample log, and a large one named by TAVISKO_COMPARE_LOG (bench/make_large_log makes one).
TEST(StreamedCorrection, WritesWhatTheInMemoryCorrectionWrites) {
  test::TempFolder folder;
  ASSERT_EQ(test::RunTavisko({"samples", folder.Path().string()}, folder.Path().string()).status, 0);
  std::vector<std::string> logs;
  for (const auto& entry : fs::directory_iterator(folder.Path() / "Site Data")) logs.push_back(entry.path().string());
  if (const char* large = std::getenv("TAVISKO_COMPARE_LOG")) logs.push_back(large);
  int compared = 0;
  for (const std::string& log : logs) {
    for (const Choice choice : {Choice{3, false}, Choice{4, false}, Choice{5, false}, Choice{4, true}, Choice{5, true}}) {
      SCOPED_TRACE(log + " mode " + std::to_string(choice.mode) + (choice.readings ? " with readings" : ""));
      std::string inMemory, streamed;
      const std::string tag = std::to_string(compared) + "-" + std::to_string(choice.mode) + (choice.readings ? "r" : "");
      const std::string a = CorrectInto(log, CLevelCorrector::Rows::kInMemory, choice,
                                        (folder.Path() / ("memory" + tag)).string(), inMemory);
      const std::string b = CorrectInto(log, CLevelCorrector::Rows::kStreamed, choice,
                                        (folder.Path() / ("streamed" + tag)).string(), streamed);
      // The damaged sample fails to open in memory and is refused with its damage when streamed.
      if (a.starts_with("open: ") && b.starts_with("open: ")) continue;
      EXPECT_EQ(a, b);
      if (a.empty() && b.empty()) {
        ExpectSameLog(inMemory, streamed);
        ++compared;
      }
    }
  }
  EXPECT_GE(compared, 20);
}

TEST(StreamedCorrection, ASourceChangedBeforeTheSaveIsRefusedAndNothingIsWritten) {
  test::TempFolder folder;
  ASSERT_EQ(test::RunTavisko({"samples", folder.Path().string()}, folder.Path().string()).status, 0);
  const std::string log = (folder.Path() / "Site Data" / "Slug Test.vxl").string();
  CLevelCorrector corrector;
  ASSERT_TRUE(corrector.Open(log, CLevelCorrector::Rows::kStreamed));
  ASSERT_TRUE(corrector.Correct()) << corrector.GetErrorText();
  test::WriteWholeFile(log, "replaced by another program");
  const std::string out = (folder.Path() / "out").string();
  fs::create_directories(out);
  EXPECT_FALSE(corrector.SaveCorrected(out));
  EXPECT_EQ(corrector.GetErrorText(), "The source log was modified after it was read: " + log);
  EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace tvk
