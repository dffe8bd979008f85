#pragma once
// The correction of one log: opens it, holds its recorded and its new level settings, re-computes the
// level column and writes the corrected log under a new name. Every operation returns 1 / 0 and keeps
// the message of the last failure.
//
// Rows are held in memory (what the wizard's pages show), or streamed: Open then reads the headers
// only, Correct reads the rows once to check their times and find what the correction needs from the
// whole log (the reference row's head, the levels at the manual readings), and SaveCorrected reads them
// again a chunk at a time, converting and writing as it goes; memory stays flat whatever the log's
// size, and the output is the same, byte for byte.
//
// Threads: Correct may run on a worker thread (and SaveCorrected after it, on the same thread). While
// it runs, other threads call only GetProgress, RequestStop, IsCorrecting, ShareRowTimes and the
// queries of the recorded settings; Open, the setters, a second Correct and SaveCorrected are refused
// (0, with the error text left alone) and GetErrorText gives kBusyMessage. References handed out
// (GetRowTimes, GetNewValues, GetNewSettings, GetLogFile) are for the thread that runs the operations.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/DeviceTime.h"
#include "correction/LevelConversion.h"
#include "correction/LevelSettings.h"
#include "correction/ManualReadings.h"
#include "correction/RowTimes.h"
#include "logfile/LogFile.h"

namespace tvk {

class CLevelCorrector {
 public:
  // Shares of the progress bar taken by the steps of Correct; they add up to 98 with the start at 0.
  static constexpr int kReadShare = 23;
  static constexpr int kToHeadShare = 36;
  static constexpr int kFromHeadShare = 31;
  static constexpr int kWriteShare = 8;

  static constexpr const char* kBusyMessage = "The corrector is busy with another operation.";

  CLevelCorrector();
  CLevelCorrector(const CLevelCorrector&) = delete;
  CLevelCorrector& operator=(const CLevelCorrector&) = delete;

  enum class Rows { kInMemory, kStreamed };
  // Loads the log, its level-reference notes and level settings, and with kInMemory all rows and their
  // times. A streamed log with a damaged data block is refused with the damage.
  int Open(const std::string& path, Rows rows = Rows::kInMemory);
  bool IsStreamed() const { return streamed_; }
  // Re-computes the level column with the new settings and writes the column, the Org keys, the
  // application keys and a post-correction note into the log in memory. A stop requested before the
  // writing begins makes it return 0 with kStoppedMessage, the log in memory untouched.
  int Correct();
  // Saves the corrected log into `folder` under a new name (see OutputNaming.h), never replacing a
  // file; a name that is taken is tried again with the next second, up to kOutputNameAttempts names.
  // 1 when written; 0 with the reason in the error text: for a failed system call the system's own
  // words ("No space left on device"), to follow the caller's "could not be written: ".
  // A stop request, before or while the file is written, makes it 0 with kStoppedMessage and nothing
  // left in the folder; once the file has its name it stays and the save succeeded. Refused, nothing
  // written, when the source file is no longer what Open read (deleted, replaced, modified).
  int SaveCorrected(const std::string& folder);
  static constexpr int kOutputNameAttempts = 10;

  // Any thread: asks a running (or the next) Correct to stop between rows, or a running SaveCorrected
  // to drop its unfinished file. It stays requested for the life of the object, so nothing of a stopped
  // correction is ever saved.
  void RequestStop() { stopRequested_.store(true, std::memory_order_relaxed); }
  bool IsCorrecting() const { return correcting_.load(std::memory_order_acquire); }
  int GetProgress() const;
  std::string GetErrorText() const;
  bool IsLoaded() const { return loaded_; }
  // Modes 4 and 5 convert to depth unless the reference was taken at the start of the test.
  bool CanConvertToDepth() const;

  // The wizard's choices; each also writes its key into the log's configuration.
  int SetNewLevelMeasurementMode(std::uint16_t mode);
  int SetNewLevelReferenceVal(float value);
  int SetNewLevelOffset(float value);
  int SetNewSpecificGravity(float value);
  int SetReferenceRowIndex(int index);
  // Manual readings beyond the reference data point, in row order, the first on the reference row: the
  // correction then spreads the drift between them (see ManualReadings.h) and records each in a note.
  // An empty list corrects without them.
  int SetManualReadings(std::vector<PlacedReading> readings);
  // What the last Correct made of each manual reading.
  const std::vector<ReadingOutcome>& GetReadingOutcomes() const { return readingOutcomes_; }
  int GetReferenceRowIndex() const { return referenceRowIndex_; }

  // Queries of the recorded settings; 0 when no log is loaded or the field is absent.
  bool IsDynamicDensityUsed() const;
  std::uint16_t GetLevelMeasurementMode() const;
  float GetLevelReferenceVal() const;
  float GetLevelRefPressure() const;
  float GetSpecificGravity() const;
  float GetDynamicSpecificGravityFactor() const;
  std::uint16_t GetAutomaticDensityCorrection() const;
  std::uint16_t GetLevelReferenceMode() const;
  std::uint16_t GetLevelUnitId() const;
  std::uint16_t GetLevelRefPressureUnitId() const;
  // Unit of the first level channel (parameter 3, 4 or 5) / pressure channel (parameter 2).
  std::uint16_t GetLevelChannelUnitId() const;
  std::uint16_t GetPressureChannelUnitId() const;

  const LevelSettings& GetOriginalSettings() const { return original_; }
  const LevelSettings& GetNewSettings() const { return updated_; }
  // Valid until the next Open or the object's end; a page that lists them keeps ShareRowTimes instead.
  // Empty when the rows are streamed: RowTimes serves both.
  const std::vector<TMSystem::CTMDeviceTime>& GetRowTimes() const { return *rowTimes_; }
  std::size_t GetRowCount() const { return streamed_ ? streamedRowCount_ : rowTimes_->size(); }
  // The row times held, or read from the file as asked for (a streamed log); a time that cannot be
  // read is 0. Valid until the next Open.
  RowTimeList RowTimes() const;
  std::shared_ptr<const std::vector<TMSystem::CTMDeviceTime>> ShareRowTimes() const;
  // The level column as the log records it (before any correction); 0 without a log or level channel.
  int GetRecordedLevels(std::vector<TMSystem::CTMDataValue>& out);
  // Empty when the rows are streamed.
  const std::vector<TMSystem::CTMDataValue>& GetNewValues() const { return newValues_; }
  std::string GetPath() const { return path_; }
  // The file name SaveCorrected wrote; empty after a failed save.
  std::string GetOutputName() const { return outputName_; }
  TMSystem::CTMLogFile& GetLogFile() { return log_; }

 private:
  int OpenLog(const std::string& path);
  int CorrectLog();
  int CheckTimestamps();
  int ReadLevelColumn();
  int ConvertColumn();
  int CorrectDriftBetweenReadings();
  int CorrectStreamed();
  int ScanStreamedRows(std::string& conversionFailure, std::vector<TMSystem::CTMDataValue>& readingHeads);
  ResultCode StreamRows(std::uint32_t first, std::uint32_t count, std::uint8_t* rows);
  int WriteLevelChannel();
  int WriteNewData();
  int WriteApplicationKeys();
  int WriteNotes();
  std::uint16_t ChannelUnit(bool level) const;
  // Why the source file is no longer the one Open read; empty when it still is.
  std::string DescribeSourceChange() const;
  int Fail(const std::string& message);
  int FailCode(ResultCode code);
  bool StopRequested() const { return stopRequested_.load(std::memory_order_relaxed); }
  int UnloadWithFailure(ResultCode code);
  void SetProgress(int value);
  void PublishRowTimes(std::shared_ptr<const std::vector<TMSystem::CTMDeviceTime>> times);
  // Moves the progress within a step; false when a stop was requested.
  bool StepProgress(int base, int share, std::size_t index, std::size_t count);
  int SetSetting(int (*setter)(TMSystem::CTMLogFileCfg&, LevelSettings&, float, std::string&), float value);

  TMSystem::CTMLogFile log_;
  std::string path_;
  std::string outputName_;
  platform::FileIdentity sourceIdentity_;  // as Open found the source before reading it
  int referenceRowIndex_ = -1;
  // Held by Open, Correct, SaveCorrected and the setters: an overlapping call is refused, not raced.
  mutable std::mutex operationLock_;
  std::atomic<bool> correcting_{false};
  std::atomic<bool> stopRequested_{false};
  // Guards what other threads read while Correct runs: the progress and the row-times pointer.
  mutable std::mutex sharedLock_;
  int progress_ = 0;
  int lastSetProgress_ = 0;  // progress_ as last set; only the thread running Correct touches it
  bool loaded_ = false;
  std::string errorText_;
  LevelSettings original_;
  LevelSettings updated_;
  float referenceOffset_ = 0.0f;
  // The level column, converted in place into heads and then into the new values: a million-row log
  // needs one column in memory, not three.
  std::vector<TMSystem::CTMDataValue> newValues_;
  std::vector<LevelReferenceChange> levelRefNotes_;
  std::vector<PlacedReading> readings_;
  std::vector<ReadingOutcome> readingOutcomes_;
  // A streamed log: its rows, the level channel, what the scan found and the passes the save runs.
  bool streamed_ = false;
  std::size_t streamedRowCount_ = 0;
  std::uint16_t levelChannel_ = 0;
  bool streamCorrected_ = false;
  float referenceHead_ = 0.0f;
  TMSystem::CTMDataValue firstHead_;
  std::vector<double> readingTimes_;
  CHeadPass headPass_;
  CLevelPass levelPass_;
  std::optional<CDriftSpread> drift_;
  std::string streamError_;  // why the last save's rows could not be given
  // A few thousand rows' times around the last one asked for by RowTimes on a streamed log.
  struct TimeCache {
    std::vector<std::uint8_t> bytes;
    std::size_t first = 0;
    std::size_t count = 0;
  };
  mutable TimeCache timeCache_;
  // Never changed once shared: Open puts new times behind a new pointer.
  std::shared_ptr<const std::vector<TMSystem::CTMDeviceTime>> rowTimes_;
};

// Replaces the level column of `log` (rows in memory) and gives its channel the new mode and unit.
int WriteLevelColumn(TMSystem::CTMLogFileDataAndCfg& log, const std::vector<TMSystem::CTMDataValue>& newValues,
                     std::uint16_t mode, std::uint16_t unit, std::string& errorText);

// What is wrong with the data block `log` was loaded from, in words; empty when it is sound.
std::string DescribeDataDamage(const TMSystem::CTMLogFileDataAndCfg& log);

// Whether the log at `path` may be offered for correction: a level unit and a level channel, the
// notes its mode needs and none that it must not carry (an earlier post-correction in particular), and
// a data block that is neither cut short nor has a row size other than its channels need.
int CheckLogFile(const std::string& path);
// The same, with the reason for a refusal in `reason` (empty when accepted).
int CheckLogFile(const std::string& path, std::string& reason);

}  // namespace tvk
