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

TEST(LevelCorrector, CanConvertToDepthUnlessTheReferenceWasTakenAtTheStart) {
  struct Row {
    const char* name;
    std::uint16_t mode;
    CTMVariant referenceMode;
    bool expected;
  };
  const Row rows[] = {
      {"depth to water, pressure-head reference", 4, CTMVariant(std::uint16_t{3}), true},
      {"depth to water, start of test", 4, CTMVariant(std::uint16_t{1}), false},
      {"depth, start of test", 3, CTMVariant(std::uint16_t{1}), true},
      {"reference mode missing", 5, CTMVariant(), true},
  };
  test::TempFolder dir;
  EXPECT_FALSE(CLevelCorrector().CanConvertToDepth());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LevelLogLayout sample = test::AcceptedLevelLog();
    test::SetEntry(sample.entries, "LevelMeasurementMode", CTMVariant(row.mode));
    test::SetEntry(sample.entries, "LevelReferenceMode", row.referenceMode);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(Save(dir, sample)), 1) << corrector.GetErrorText();
    EXPECT_EQ(corrector.CanConvertToDepth(), row.expected);
    ASSERT_EQ(corrector.SetNewLevelMeasurementMode(3), 1);
    EXPECT_EQ(corrector.Correct(), row.expected ? 1 : 0) << corrector.GetErrorText();
    if (!row.expected) {
      EXPECT_EQ(corrector.GetErrorText(), "Log file data cannot be converted to depth mode.");
    }
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

TEST(LevelCorrector, DataPointGoesIntoTheColumnAndTheNote) {
  test::TempFolder dir;
  LevelLogLayout sample = test::AcceptedLevelLog({1.0f, 2.0f, 3.0f});
  test::SetEntry(sample.entries, "LevelMeasurementMode", CTMVariant(std::uint16_t{3}));
  sample.levelMode = 3;
  CLevelCorrector corrector;
  ASSERT_EQ(corrector.Open(Save(dir, sample)), 1) << corrector.GetErrorText();
  ASSERT_EQ(corrector.SetNewLevelMeasurementMode(4), 1);
  ASSERT_EQ(corrector.SetNewLevelReferenceVal(20.0f), 1);
  corrector.SetReferenceRowIndex(1);
  ASSERT_EQ(corrector.Correct(), 1) << corrector.GetErrorText();
  EXPECT_EQ(LevelAt(corrector.GetLogFile(), 1), 20.0f);
  EXPECT_EQ(LevelAt(corrector.GetLogFile(), 2), 19.0f);

  const std::vector<CTMLogNotesRecord> notes = NotesOf(corrector.GetLogFile());
  TMSystem::CTMUserNote_Tavisko note;
  ASSERT_EQ(note.FromRecord(notes.back()), kOk);
  EXPECT_EQ(note.GetValues().usesDataPoint, 1U);
  EXPECT_EQ(note.GetValues().dataPointTime, test::RowTime(sample, 1).AsSeconds());
}

TEST(LevelCorrector, WritingTheColumnRefusesMismatchedData) {
  TMSystem::CTMLogFile log;
  test::BuildLevelLog(test::AcceptedLevelLog({1.0f, 2.0f}), log);
  std::string error;
  EXPECT_EQ(WriteLevelColumn(log, test::Levels({1.0f}), 5, 35, error), 0);
  EXPECT_EQ(error, "New data size does not match original data count.");

  TMSystem::CTMLogFile withoutLevel;
  LevelLogLayout noLevel = test::AcceptedLevelLog({1.0f});
  noLevel.withLevelChannel = false;
  test::BuildLevelLog(noLevel, withoutLevel);
  EXPECT_EQ(WriteLevelColumn(withoutLevel, test::Levels({1.0f}), 5, 35, error), 0);
  EXPECT_EQ(error, "Log file does not contain any level data.");
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

TEST(LevelCorrector, OutputNameCarriesTheLogNameSuffixAndLocalTime) {
  const SystemTime local = MakeSystemTime(2011, 2, 3, 14, 5, 9);
  EXPECT_EQ(MakeCorrectedFileName("Well 1", "a.vxl", true, local), "Well 1_Fenlock_Tavisko_20110203_140509.vxl");
  EXPECT_EQ(MakeCorrectedFileName("Well 1", "a.vxl", false, local), "Well 1_Tavisko_20110203_140509.vxl");
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(MakeCorrectedFilePath("out" + sep + sep, "a.vxl"), "out" + sep + "a.vxl");
  EXPECT_EQ(MakeCorrectedFilePath("out", "a.vxl"), "out" + sep + "a.vxl");
  EXPECT_EQ(DefaultOutputFolder("site" + sep + "a.vxl"), "site" + sep + kCorrectedFolderName);
  EXPECT_EQ(DefaultOutputFolder(sep + "a.vxl"), sep + kCorrectedFolderName);
  EXPECT_EQ(DefaultOutputFolder("a.vxl"), kCorrectedFolderName);
}

TEST(LevelCorrector, LogNamesFromTheFileNeverLeaveTheOutputFolder) {
  const SystemTime local = MakeSystemTime(2011, 2, 3, 14, 5, 9);
  const std::string stamp = "_Tavisko_20110203_140509.vxl";
  const std::string longName(300, 'a');
  std::string accented;
  for (int i = 0; i < 150; ++i) accented += "\xC3\xA9";  // 300 bytes of two-byte characters
  struct Row {
    std::string logName;
    std::string expected;  // the name before the stamp
  };
  const Row rows[] = {
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
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.logName);
    const std::string name = MakeCorrectedFileName(row.logName, "site/source file.VXL", false, local);
    EXPECT_EQ(name, row.expected + stamp);
    EXPECT_LE(name.size(), 255u);
  }
  EXPECT_EQ(MakeCorrectedFileName("", "/x/. .vxl", false, local), "Log" + stamp);
  EXPECT_EQ(MakeCorrectedFileName("..", "/x/.well.vxl", false, local), "_" + stamp);
  EXPECT_EQ(MakeCorrectedFileName(". ", "/x/.well.vxl", false, local), "well" + stamp);
}

TEST(LevelCorrector, OutputFolderMadeForNothingIsRemovedAgain) {
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
  struct Row {
    const char* change;  // empty: untouched
    void (*mutate)(const std::string& source, const std::string& other);
  };
  const Row rows[] = {
      {"", [](const std::string&, const std::string&) {}},
      {"deleted", [](const std::string& source, const std::string&) { std::filesystem::remove(source); }},
      {"modified",
       [](const std::string& source, const std::string&) {
         std::filesystem::resize_file(source, std::filesystem::file_size(source) / 2);
       }},
      {"replaced", [](const std::string& source, const std::string& other) { std::filesystem::rename(other, source); }},
      {"modified",  // the same size, a later time
       [](const std::string& source, const std::string&) {
         const auto when = std::filesystem::last_write_time(source);
         test::Bytes bytes = test::ReadFileBytes(source);
         bytes.back() ^= 1;
         test::WriteFileBytes(source, bytes);
         std::filesystem::last_write_time(source, when + std::chrono::seconds(1));
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.change);
    test::TempFolder dir;
    const std::string source = Save(dir, test::AcceptedLevelLog());
    const std::string other = Save(dir, test::AcceptedLevelLog(), "other.vxl");
    const std::filesystem::path out = dir.Path() / "out";
    std::filesystem::create_directories(out);
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(source), 1);
    ASSERT_EQ(corrector.Correct(), 1);
    row.mutate(source, other);
    const bool untouched = *row.change == '\0';
    EXPECT_EQ(corrector.SaveCorrected(out.string()), untouched ? 1 : 0);
    EXPECT_EQ(corrector.GetErrorText(),
              untouched ? "" : std::string("The source log was ") + row.change + " after it was read: " + source);
    EXPECT_EQ(std::filesystem::is_empty(out), !untouched);
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
  add("depth without the all-notes note", 1, [](LevelLogLayout& s) {
    s.levelMode = 3;
    s.notes.clear();
  });
  add("reference changes and start of test", 0, [](LevelLogLayout& s) {
    test::SetEntry(s.entries, "LevelReferenceMode", CTMVariant(std::uint16_t{1}));
    s.notes.push_back(test::UserNoteRecord(15));
  });
  add("start of test without reference changes", 1, [](LevelLogLayout& s) {
    test::SetEntry(s.entries, "LevelReferenceMode", CTMVariant(std::uint16_t{1}));
  });
  add("gauged sensor without baro adjustment", 0, [](LevelLogLayout& s) { s.levelSensorId = 22; });
  add("gauged sensor with baro adjustment", 1, [](LevelLogLayout& s) {
    s.levelSensorId = 53;
    s.entries.emplace_back("BaroAdjustedValues", CTMVariant(std::uint16_t{0}));
  });
  add("unknown sensor becomes 5000", 1, [](LevelLogLayout& s) {
    s.levelMode = 3;
    s.levelSensorId = 0;
    s.levelSerial = 0;
  });

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
