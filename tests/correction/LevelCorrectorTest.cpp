#include "correction/LevelCorrector.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/ResultCodes.h"
#include "common/ResultMessages.h"
#include "common/TextUtil.h"
#include "correction/OutputNaming.h"
#include "logfile/notes/LevelNotes.h"
#include "support/LogFiles.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

using TMSystem::CTMLogNotesRecord;
using TMSystem::CTMVariant;
using test::LevelLogLayout;

constexpr std::uint32_t kAllLogNotes = 20;

std::string Save(const test::TempFolder& dir, const LevelLogLayout& sample, const std::string& name = "log.vxl") {
  const std::string path = dir.File(name);
  test::WriteLevelLog(sample, path);
  return path;
}

// "<prefix>yyyymmdd_hhmmss.vxl"
bool IsStampedName(const std::string& name, const std::string& prefix) {
  std::string shape = name.starts_with(prefix) ? name.substr(prefix.size()) : "";
  for (char& c : shape) c = std::isdigit(static_cast<unsigned char>(c)) ? 'd' : c;
  return shape == "dddddddd_dddddd.vxl";
}

std::vector<std::string> KeysOf(const TMSystem::CTMLogFile& log) {
  std::vector<TMSystem::CTMConfigEntry> entries;
  EXPECT_EQ(log.GetEntries(entries), kOk);
  std::vector<std::string> keys;
  for (const auto& entry : entries) keys.push_back(entry.key);
  return keys;
}

std::vector<CTMLogNotesRecord> NotesOf(const TMSystem::CTMLogFile& log) {
  std::vector<CTMLogNotesRecord> notes;
  EXPECT_EQ(log.GetNotes(notes), kOk);
  return notes;
}

float LevelAt(TMSystem::CTMLogFile& log, std::uint32_t row) {
  TMSystem::CTMDataRow data;
  EXPECT_EQ(log.GetRow(row, data), kOk);
  return data.values.at(1).value;
}

TEST(LevelCorrector, OpenFailuresLeaveNothingLoaded) {
  test::TempFolder dir;
  LevelLogLayout badNote = test::AcceptedLevelLog();
  badNote.notes.push_back(test::UserNoteRecord(TMSystem::CTMUserNote_Calibrate_SetNewLevelRef::kSubType));
  struct Row {
    const char* name;
    std::string path;
    std::string expected;
  };
  const Row rows[] = {
      {"empty path", "", "File path empty"},
      {"no such file", dir.File("missing.vxl"), GetResultCodeMessage(kFileNotFound)},
      {"level-reference note without payload", Save(dir, badNote, "note.vxl"), GetResultCodeMessage(kFail)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(Save(dir, test::AcceptedLevelLog(), "good.vxl")), 1);
    const auto listed = corrector.ShareRowTimes();  // as a page listing the data points holds them
    EXPECT_EQ(corrector.Open(row.path), 0);
    EXPECT_EQ(corrector.GetErrorText(), row.expected);
    EXPECT_FALSE(corrector.IsLoaded());
    EXPECT_EQ(listed->size(), 3U);
    EXPECT_EQ(corrector.GetLevelMeasurementMode(), 0);
    EXPECT_EQ(corrector.Correct(), 0);
  }
}

TEST(LevelCorrector, CorrectRefusesWhatCannotBeConverted) {
  test::TempFolder dir;
  LevelLogLayout sameTime = test::AcceptedLevelLog();
  sameTime.firstTime = {};  // first row at time 0
  LevelLogLayout noLevel = test::AcceptedLevelLog();
  noLevel.withLevelChannel = false;
  struct Row {
    const char* name;
    LevelLogLayout sample;
    std::string expected;
  };
  const Row rows[] = {
      {"first row at time 0", sameTime, "Inconsistent timestamps in data log file."},
      {"no level channel", noLevel, "Failed to get level data from log."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(Save(dir, row.sample)), 1) << corrector.GetErrorText();
    EXPECT_EQ(corrector.Correct(), 0);
    EXPECT_EQ(corrector.GetErrorText(), row.expected);
    EXPECT_TRUE(corrector.IsLoaded()) << "a failed correction keeps the log open";
    CTMVariant value;
    EXPECT_EQ(corrector.GetLogFile().GetValue("OrgLevelMeasurementMode", value), kKeyNotFound);
  }
}

TEST(LevelCorrector, CorrectWritesColumnKeysAndNoteIntoTheLog) {
  test::TempFolder dir;
  LevelLogLayout sample = test::AcceptedLevelLog({1.0f, 2.0f, 3.0f, 4.0f});
  sample.notes = {test::UserNoteRecord(kAllLogNotes),
                test::LevelReferenceNote(test::RowTime(sample, 2), 11.0f, 0.0f, 35, 0.0f, 17),
                test::UserNoteRecord(3)};
  CLevelCorrector corrector;
  ASSERT_EQ(corrector.Open(Save(dir, sample)), 1) << corrector.GetErrorText();
  EXPECT_TRUE(corrector.IsLoaded());
  EXPECT_EQ(corrector.GetLevelMeasurementMode(), 4);
  EXPECT_EQ(corrector.GetLevelReferenceVal(), 10.0f);
  EXPECT_EQ(corrector.GetPressureChannelUnitId(), 17);
  EXPECT_EQ(corrector.GetRowTimes().size(), 4U);
  ASSERT_EQ(corrector.SetNewLevelMeasurementMode(5), 1);
  ASSERT_EQ(corrector.SetNewLevelReferenceVal(100.0f), 1);
  ASSERT_EQ(corrector.SetNewLevelOffset(0.5f), 1);
  ASSERT_EQ(corrector.SetNewSpecificGravity(1.0f), 1);
  ASSERT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
  EXPECT_EQ(corrector.GetProgress(), 98);

  TMSystem::CTMLogFile& log = corrector.GetLogFile();
  // Heads 9, 8 then, after the new reference of 11 m, 8, 7: surface elevation 100 + head.
  const float expected[] = {109.0f, 108.0f, 108.0f, 107.0f};
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(LevelAt(log, i), expected[i]) << "row " << i;
  TMSystem::CTMChannelInfo level;
  ASSERT_EQ(log.GetChannel(1, level), kOk);
  EXPECT_EQ(level.parameterId, 5);
  EXPECT_EQ(level.unitId, 35);

  const std::vector<std::string> keys = {
      "LevelMeasurementMode", "LevelUnitId", "SpecificGravity", "LevelReferenceMode", "LevelReferenceVal",
      "LevelRefDepthOfProbe", "LevelRefPressure", "LevelRefHeadPressure", "LevelRefPressureUnitId", "LevelOffset",
      "OrgLevelRefDepthOfProbe", "OrgLevelUnitId", "OrgLevelMeasurementMode", "OrgLevelReferenceMode",
      "OrgSpecificGravity", "OrgLevelReferenceVal", "OrgLevelRefPressure", "OrgLevelRefPressureUnitId",
      "OrgLevelRefHeadPressure", "TVK_APPNAME", "TVK_APPVERSION", "TVK_TIMESTAMP"};
  EXPECT_EQ(KeysOf(log), keys);
  CTMVariant value;
  ASSERT_EQ(log.GetValue("OrgLevelMeasurementMode", value), kOk);
  EXPECT_EQ(value, CTMVariant(std::uint16_t{4}));
  ASSERT_EQ(log.GetValue("LevelMeasurementMode", value), kOk);
  EXPECT_EQ(value, CTMVariant(std::uint16_t{5}));
  ASSERT_EQ(log.GetValue("TVK_APPNAME", value), kOk);
  EXPECT_EQ(value, CTMVariant("test_correction"));

  const std::vector<CTMLogNotesRecord> notes = NotesOf(log);
  ASSERT_EQ(notes.size(), 3U);
  EXPECT_EQ(notes[0].subType, kAllLogNotes);
  EXPECT_EQ(notes[1].subType, 3U);
  TMSystem::CTMUserNote_Tavisko note;
  ASSERT_EQ(note.FromRecord(notes[2]), kOk);
  const auto& values = note.GetValues();
  EXPECT_EQ(values.usesDataPoint, 0U);
  EXPECT_EQ(values.levelMode, 5);
  EXPECT_EQ(values.referenceValue, 100.0f);
}

TEST(LevelCorrector, ProgressCanBeReadFromAnotherThread) {
  test::TempFolder dir;
  CLevelCorrector corrector;
  ASSERT_EQ(corrector.Open(Save(dir, test::AcceptedLevelLog(std::vector<float>(200'000, 1.5f)))), 1) << corrector.GetErrorText();
  ASSERT_EQ(corrector.SetNewLevelMeasurementMode(5), 1);

  std::atomic<bool> done{false};
  int result = -1;
  std::thread worker([&] {
    result = corrector.Correct();
    done = true;
  });
  std::vector<int> seen;
  while (!done) seen.push_back(corrector.GetProgress());
  worker.join();
  ASSERT_EQ(result, 1) << corrector.GetErrorText();
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  for (int value : seen) EXPECT_LE(value, 98);
  EXPECT_EQ(corrector.GetProgress(), 98);
}

// The sheet closing while the correction runs: the worker ends early and nothing reaches the disk.
TEST(LevelCorrector, StopFromAnotherThreadEndsCorrectEarlyAndNothingIsSaved) {
  test::TempFolder dir;
  const std::string source = Save(dir, test::AcceptedLevelLog(std::vector<float>(400'000, 1.5f)));
  const std::filesystem::path out = dir.Path() / "out";
  std::filesystem::create_directories(out);
  // The stop races the rows; a machine fast enough to finish first gets another try.
  for (int attempt = 0; attempt < 3; ++attempt) {
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(source), 1) << corrector.GetErrorText();
    ASSERT_EQ(corrector.SetNewLevelMeasurementMode(5), 1);
    int result = -1;
    std::thread worker([&] { result = corrector.Correct(); });
    while (corrector.GetProgress() <= CLevelCorrector::kReadShare && !corrector.IsCorrecting()) std::this_thread::yield();
    while (corrector.GetProgress() <= CLevelCorrector::kReadShare && corrector.IsCorrecting()) std::this_thread::yield();
    const int changed = corrector.SetNewLevelMeasurementMode(3);
    const std::string text = corrector.GetErrorText();
    corrector.RequestStop();
    worker.join();
    if (result == 1) continue;
    // Stopped, so it ran all along: what the other thread asked of it meanwhile was refused.
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(text, CLevelCorrector::kBusyMessage);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(corrector.GetErrorText(), kStoppedMessage);
    EXPECT_LT(corrector.GetProgress(), 98);
    CTMVariant value;
    EXPECT_EQ(corrector.GetLogFile().GetValue("OrgLevelMeasurementMode", value), kKeyNotFound) << "nothing written";
    EXPECT_EQ(corrector.SaveCorrected(out.string()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(out));
    return;
  }
  FAIL() << "every correction ended before the stop";
}

TEST(LevelCorrector, SaveCorrectedWritesANewFileAndASecondCorrectionKeepsTheFirstOrgKeys) {
  struct Row {
    const char* name;
    bool baro;
    const char* prefix;
  };
  const Row rows[] = {
      {"plain", false, "Well 1_Tavisko_"},
      {"barometrically adjusted", true, "Well 1_Fenlock_Tavisko_"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempFolder dir;
    LevelLogLayout sample = test::AcceptedLevelLog();
    if (row.baro) sample.entries.emplace_back("baroadjustedvalues", CTMVariant(std::uint16_t{1}));
    const std::string source = Save(dir, sample);
    const auto sourceBytes = std::filesystem::file_size(source);
    const std::filesystem::path out = dir.Path() / kCorrectedFolderName;
    std::filesystem::create_directories(out);

    CLevelCorrector first;
    ASSERT_EQ(first.Open(source), 1);
    ASSERT_EQ(first.SetNewLevelMeasurementMode(5), 1);
    ASSERT_EQ(first.Correct(), 1) << first.GetErrorText();
    ASSERT_EQ(first.SaveCorrected(out.string() + kPathSeparator), 1) << first.GetErrorText();
    EXPECT_TRUE(IsStampedName(first.GetOutputName(), row.prefix)) << first.GetOutputName();
    const std::filesystem::path corrected = out / first.GetOutputName();
    ASSERT_TRUE(std::filesystem::exists(corrected));
    EXPECT_EQ(std::filesystem::file_size(source), sourceBytes) << "the source is never written";

    CLevelCorrector second;
    ASSERT_EQ(second.Open(corrected.string()), 1) << second.GetErrorText();
    EXPECT_EQ(second.GetLevelMeasurementMode(), 5);
    EXPECT_EQ(CheckLogFile(corrected.string()), 0) << "a corrected log is not offered again";
    ASSERT_EQ(second.SetNewLevelMeasurementMode(4), 1);
    ASSERT_EQ(second.Correct(), 1) << second.GetErrorText();
    CTMVariant value;
    ASSERT_EQ(second.GetLogFile().GetValue("OrgLevelMeasurementMode", value), kOk);
    EXPECT_EQ(value, CTMVariant(std::uint16_t{4}));
    EXPECT_EQ(LevelAt(second.GetLogFile(), 0), 1.0f) << "back to the recorded depth to water";
    const std::vector<CTMLogNotesRecord> notes = NotesOf(second.GetLogFile());
    EXPECT_EQ(std::count_if(notes.begin(), notes.end(),
                            [](const CTMLogNotesRecord& n) { return n.subType == TMSystem::CTMUserNote_Tavisko::kSubType; }),
              2);
  }
}

TEST(LevelCorrector, SaveIntoAMissingFolderFails) {
  test::TempFolder dir;
  CLevelCorrector corrector;
  EXPECT_EQ(corrector.SaveCorrected(dir.Path().string()), 0) << "nothing loaded";
  ASSERT_EQ(corrector.Open(Save(dir, test::AcceptedLevelLog())), 1);
  ASSERT_EQ(corrector.Correct(), 1);
  EXPECT_EQ(corrector.SaveCorrected((dir.Path() / "absent").string()), 0);
  EXPECT_NE(corrector.GetErrorText().find(std::strerror(ENOENT)), std::string::npos) << corrector.GetErrorText();
  EXPECT_EQ(corrector.GetOutputName(), "");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "absent"));
}

// Fails one kind of step of writing a file with a given errno; or, as another thread would, asks the
// corrector to stop at the first step of that kind (holding it until the test thread has asked).
class SaveStepOps : public platform::FileOps {
 public:
  enum Step { kCreate, kWriteRows, kSync };
  SaveStepOps(Step step, int error) : step_(step), error_(error) {}
  SaveStepOps(Step step, std::atomic<bool>& reached, std::atomic<bool>& release)
      : step_(step), reached_(&reached), release_(&release) {}
  int RowWritesAfterReached() const { return rowWritesAfter_; }

  int CreateUnnamed(int folder, int& fd) override {
    return At(kCreate) ? error_ : FileOps::CreateUnnamed(folder, fd);
  }
  int WriteAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset) override {
    const bool rows = count >= (1U << 20);
    if (rows && At(kWriteRows)) return error_;
    if (rows && reached_ != nullptr && reached_->load()) ++rowWritesAfter_;
    return FileOps::WriteAt(fd, bytes, count, offset);
  }
  int Sync(int fd) override { return At(kSync) ? error_ : FileOps::Sync(fd); }

 private:
  // Whether this step fails; a step that stops waits for the stop instead.
  bool At(Step step) {
    if (step != step_ || done_) return false;
    done_ = true;
    if (reached_ == nullptr) return true;
    reached_->store(true);
    while (!release_->load()) std::this_thread::yield();
    return false;
  }
  Step step_;
  int error_ = 0;
  bool done_ = false;
  std::atomic<bool>* reached_ = nullptr;
  std::atomic<bool>* release_ = nullptr;
  int rowWritesAfter_ = 0;
};

// A full disk or another refusal reads as the system's words, and nothing is left behind.
TEST(LevelCorrector, AFailedSaveGivesTheSystemsReason) {
  test::TempFolder dir;
  const std::string source = Save(dir, test::AcceptedLevelLog(std::vector<float>(300'000, 1.5f)));
  const std::filesystem::path out = dir.Path() / "out";
  std::filesystem::create_directories(out);
  struct Row {
    SaveStepOps::Step step;
    int error;
  };
  const Row rows[] = {
      {SaveStepOps::kWriteRows, ENOSPC}, {SaveStepOps::kSync, ENOSPC}, {SaveStepOps::kWriteRows, EDQUOT},
      {SaveStepOps::kSync, EIO},         {SaveStepOps::kCreate, EACCES},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::strerror(row.error));
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(source), 1);
    ASSERT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
    SaveStepOps ops(row.step, row.error);
    corrector.GetLogFile().SetFileOps(&ops);
    EXPECT_EQ(corrector.SaveCorrected(out.string()), 0);
    EXPECT_EQ(corrector.GetErrorText(), std::strerror(row.error));
    EXPECT_TRUE(std::filesystem::is_empty(out));
  }
}

// The window closing while the output is written: the unfinished file is dropped, nothing remains.
TEST(LevelCorrector, StopWhileSavingDropsTheUnfinishedFile) {
  test::TempFolder dir;
  // 1.5 million rows: several chunks of rows.
  const std::string source = Save(dir, test::AcceptedLevelLog(std::vector<float>(1'500'000, 1.5f)));
  const std::filesystem::path out = dir.Path() / "out";
  std::filesystem::create_directories(out);
  for (const SaveStepOps::Step step : {SaveStepOps::kWriteRows, SaveStepOps::kSync}) {
    SCOPED_TRACE(step);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(source), 1);
    ASSERT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
    std::atomic<bool> reached{false};
    std::atomic<bool> release{false};
    SaveStepOps ops(step, reached, release);
    corrector.GetLogFile().SetFileOps(&ops);
    int result = -1;
    std::thread worker([&] { result = corrector.SaveCorrected(out.string()); });
    while (!reached) std::this_thread::yield();
    corrector.RequestStop();
    release = true;
    worker.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(corrector.GetErrorText(), kStoppedMessage);
    EXPECT_EQ(ops.RowWritesAfterReached(), step == SaveStepOps::kWriteRows ? 1 : 0) << "only the chunk under way";
    EXPECT_TRUE(std::filesystem::is_empty(out));
  }

  CLevelCorrector corrector;
  ASSERT_EQ(corrector.Open(source), 1);
  ASSERT_EQ(corrector.Correct(), 1);
  ASSERT_EQ(corrector.SaveCorrected(out.string()), 1) << corrector.GetErrorText();
  corrector.RequestStop();
  TMSystem::CTMLogFile saved;
  EXPECT_EQ(saved.Load((out / corrector.GetOutputName()).string(), TMSystem::kLoadOnDemand), kOk);
  EXPECT_EQ(saved.GetRowCount(), 1'500'000u) << "a stop after the save leaves the output whole";
}

// The wizard holds a log for minutes: a source that changed meanwhile is never corrected from the old copy.
TEST(LevelCorrector, ASourceChangedAfterOpenIsNotSaved) {
  using Path = const std::string&;
  const std::pair<const char*, void (*)(Path source, Path other)> rows[] = {
      {"deleted", [](Path source, Path) { std::filesystem::remove(source); }},
      {"modified", [](Path source, Path) { std::filesystem::resize_file(source, 100); }},
      {"replaced", [](Path source, Path other) { std::filesystem::rename(other, source); }},
      {"modified",  // the same size, a later time
       [](Path source, Path) {
         const auto when = std::filesystem::last_write_time(source);
         test::Bytes bytes = test::ReadFileBytes(source);
         bytes.back() ^= 1;
         test::WriteFileBytes(source, bytes);
         std::filesystem::last_write_time(source, when + std::chrono::seconds(1));
       }},
  };
  for (const auto& [change, mutate] : rows) {
    SCOPED_TRACE(change);
    test::TempFolder dir;
    const std::string source = Save(dir, test::AcceptedLevelLog());
    const std::string other = Save(dir, test::AcceptedLevelLog(), "other.vxl");
    const std::filesystem::path out = dir.Path() / "out";
    std::filesystem::create_directories(out);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(source), 1);
    ASSERT_EQ(corrector.Correct(), 1);
    mutate(source, other);
    EXPECT_EQ(corrector.SaveCorrected(out.string()), 0);
    EXPECT_EQ(corrector.GetErrorText(), std::string("The source log was ") + change + " after it was read: " + source);
    EXPECT_TRUE(std::filesystem::is_empty(out));
  }
}

TEST(CheckLogFile, EachRuleAcceptsOneLogAndRefusesAnother) {
  const LevelLogLayout good = test::AcceptedLevelLog();
  struct Row {
    const char* name;
    LevelLogLayout sample;
    int expected;
  };
  std::vector<Row> rows;
  const auto add = [&rows, &good](const char* name, int expected, auto&& change) {
    LevelLogLayout sample = good;
    change(sample);
    rows.push_back({name, sample, expected});
  };
  add("a plain depth-to-water log", 1, [](LevelLogLayout&) {});
  add("no level unit", 0, [](LevelLogLayout& s) { test::SetEntry(s.entries, "LevelUnitId", CTMVariant()); });
  add("site word 7", 0, [](LevelLogLayout& s) { s.siteWord1 = 7; });
  add("site word 5", 1, [](LevelLogLayout& s) { s.siteWord1 = 5; });
  add("no level channel", 0, [](LevelLogLayout& s) { s.withLevelChannel = false; });
  add("depth to water without the all-notes note", 0, [](LevelLogLayout& s) { s.notes.clear(); });
  add("depth without the all-notes note", 1, [](LevelLogLayout& s) { s.levelMode = 3; s.notes.clear(); });
  const auto startOfTest = [](LevelLogLayout& s) {
    test::SetEntry(s.entries, "LevelReferenceMode", CTMVariant(std::uint16_t{1}));
  };
  add("reference changes and start of test", 0, [&](LevelLogLayout& s) {
    startOfTest(s);
    s.notes.push_back(test::UserNoteRecord(15));
  });
  add("start of test without reference changes", 1, startOfTest);
  add("gauged sensor without baro adjustment", 0, [](LevelLogLayout& s) { s.levelSensorId = 22; });
  add("gauged sensor with baro adjustment", 1, [](LevelLogLayout& s) {
    s.levelSensorId = 53;
    s.entries.emplace_back("BaroAdjustedValues", CTMVariant(std::uint16_t{0}));
  });
  add("unknown sensor becomes 5000", 1,
      [](LevelLogLayout& s) { s.levelMode = 3; s.levelSensorId = 0; s.levelSerial = 0; });

  test::TempFolder dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = Save(dir, row.sample);
    std::string reason;
    EXPECT_EQ(CheckLogFile(path, reason), row.expected);
    EXPECT_EQ(reason.empty(), row.expected == 1) << reason;
  }
  EXPECT_EQ(CheckLogFile(""), 0);
  EXPECT_EQ(CheckLogFile(dir.File("missing.vxl")), 0);
}

// A corrected log is written with the rows its source was read with: a log whose rows cannot all be
// read, or would be counted with a row size other than the one written, is never offered.
TEST(CheckLogFile, RefusesADamagedDataBlockWithTheReason) {
  constexpr std::uint32_t kHeaders = 262 + 20;  // then three rows of 16 bytes
  struct Row {
    const char* name;
    test::LogDamage damage;
    const char* reason;
  };
  const Row rows[] = {
      {"cut inside the last row", test::CutInData(kHeaders + 2 * 16 + 9),
       "the log data is cut short: 2 of 3 rows present"},
      {"size field 0xFFFFFFFF", test::DataSizeField(0xFFFFFFFF),
       "the log data is cut short: 3 of 268435438 rows present"},
      {"row size 22", test::RowSizeField(22), "the row size field says 22 bytes, its channels need 16"},
      {"row size 21000", test::RowSizeField(21000), "the row size field says 21000 bytes, its channels need 16"},
      {"row size 0xFFFF and cut", {kHeaders + 20, {}, 0xFFFF},
       "the row size field says 65535 bytes, its channels need 16; the log data is cut short: 0 of 0 rows present"},
  };
  test::TempFolder dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = Save(dir, test::AcceptedLevelLog(), std::string(row.name) + ".vxl");
    test::DamageLogFile(path, row.damage);
    std::string reason;
    EXPECT_EQ(CheckLogFile(path, reason), 0);
    EXPECT_EQ(reason, row.reason);
  }
}

}  // namespace
}  // namespace tvk
