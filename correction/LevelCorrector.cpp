#include "correction/LevelCorrector.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

#include "common/Calendar.h"
#include "common/Format.h"
#include "common/LocalTime.h"
#include "common/ResultCodes.h"
#include "common/ResultMessages.h"
#include "common/StringTable.h"
#include "common/TextUtil.h"
#include "correction/CorrectionChoices.h"
#include "correction/OutputNaming.h"
#include "logfile/ConfigKeys.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/UserNotes.h"
#include "platform/File.h"
#include "platform/SystemInfo.h"

namespace tvk {
namespace {

using TMSystem::CTMChannelInfo;
using TMSystem::CTMDeviceTime;
using TimeVector = std::vector<CTMDeviceTime>;
using TMSystem::CTMLogNotesRecord;

constexpr std::uint32_t kUserNoteType = 0;
constexpr std::uint32_t kAllLogNotesSubType = 20;
constexpr std::uint16_t kPressureParameter = 2;
constexpr ResultCode kWriteFailed = Code(0x8102000B);  // "Failure to write log file."

bool IsUserNote(const CTMLogNotesRecord& note, std::uint32_t subType) {
  return note.type == kUserNoteType && note.subType == subType;
}

// Index of the first channel with a level parameter; false when there is none.
bool FindLevelChannel(const std::vector<CTMChannelInfo>& channels, std::size_t& index) {
  for (std::size_t i = 0; i < channels.size(); ++i) {
    if (IsLevelMode(channels[i].parameterId)) {
      index = i;
      return true;
    }
  }
  return false;
}

LevelReferenceChange ChangeFromNote(const TMSystem::CTMUserNote_Calibrate_SetNewLevelRef& note) {
  const auto& values = note.GetValues();
  LevelReferenceChange change;
  change.time = note.GetTime();
  change.referenceValue = values.referenceValue;
  change.depth = values.depth;
  change.levelUnit = values.levelUnit;
  change.headPressure = values.headPressure;
  change.pressureUnit = values.pressureUnit;
  return change;
}

// Sensors whose level is offered only when the log holds barometrically adjusted values.
bool NeedsBaroAdjustment(std::uint16_t sensorId) {
  return (sensorId >= 8 && sensorId <= 13) || (sensorId >= 20 && sensorId <= 25) ||
         (sensorId >= 32 && sensorId <= 34) || (sensorId >= 51 && sensorId <= 54);
}

// Site kinds (the site header's first word) that are never corrected; the second is also exempt
// from the barometric rule.
constexpr std::uint16_t kSiteWordRefusedA = 7;
constexpr std::uint16_t kSiteWordVented = 26;

constexpr const char* kRefusedUnreadable = "the log cannot be read";
constexpr const char* kRefusedNoLevelUnit = "the log has no level unit";
constexpr const char* kRefusedSiteKind = "the log's site kind has no level to correct";
constexpr const char* kRefusedNoLevelChannel = "the log has no level channel";
constexpr const char* kRefusedNoAllNotes = "the log lacks the note its level mode needs";
constexpr const char* kRefusedReferenceChanges = "the level reference was set again in a log referenced at the start";
constexpr const char* kRefusedNotBaroAdjusted = "the level sensor's values are not barometrically adjusted";
constexpr const char* kRefusedCorrected = "the log has already been post-corrected";

// The reason `log` may not be corrected; nullptr when it may.
const char* RefusalOf(TMSystem::CTMLogFile& log) {
  TMSystem::CTMVariant value;
  if (Failed(log.GetValue(LevelFieldKey(LevelField::kLevelUnitId), value))) return kRefusedNoLevelUnit;
  TMSystem::CTMSiteHeader header;
  if (Failed(log.GetSiteHeader(header))) return kRefusedUnreadable;
  if (header.word1 == kSiteWordRefusedA || header.word1 == kSiteWordVented) return kRefusedSiteKind;
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  if (Failed(log.GetChannels(channels)) || !FindLevelChannel(channels, level)) return kRefusedNoLevelChannel;

  std::vector<CTMLogNotesRecord> notes;
  if (Failed(log.GetNotes(notes))) notes.clear();
  const auto count = [&notes](std::uint32_t subType) {
    return std::count_if(notes.begin(), notes.end(),
                         [subType](const CTMLogNotesRecord& note) { return IsUserNote(note, subType); });
  };
  const auto referenceChanges = count(TMSystem::CTMUserNote_Calibrate_SetNewLevelRef::kSubType);

  const std::uint16_t parameter = channels[level].parameterId;
  if (parameter == kModeDepthToWater || parameter == kModeSurfaceElevation) {
    if (count(kAllLogNotesSubType) == 0) return kRefusedNoAllNotes;
    TMSystem::CTMVariant referenceMode;
    const bool atStart = Succeeded(log.GetValueById(TMSystem::kKeyLevelReferenceMode, referenceMode)) &&
                         referenceMode.AsUInt16() == kReferenceAtStartOfTest;
    if (referenceChanges > 0 && atStart) return kRefusedReferenceChanges;
  }
  if (NeedsBaroAdjustment(channels[level].sensorId) && header.word1 != kSiteWordVented &&
      Failed(log.GetValueById(TMSystem::kKeyBaroAdjustedValues, value))) {
    return kRefusedNotBaroAdjusted;
  }
  if (count(TMSystem::CTMUserNote_Tavisko::kSubType) > 0) return kRefusedCorrected;
  return nullptr;
}

}  // namespace

int WriteLevelColumn(TMSystem::CTMLogFileDataAndCfg& log, const std::vector<TMSystem::CTMDataValue>& newValues,
                     std::uint16_t mode, std::uint16_t unit, std::string& errorText) {
  try {
    std::vector<CTMChannelInfo> channels;
    std::size_t level = 0;
    if (Failed(log.GetChannels(channels)) || !FindLevelChannel(channels, level)) {
      errorText = "Log file does not contain any level data.";
      return 0;
    }
    if (newValues.size() != log.GetRowCount()) {
      errorText = "New data size does not match original data count.";
      return 0;
    }
    channels[level].parameterId = mode;
    channels[level].unitId = unit;
    // The column is replaced in place: a million rows are never copied out and back.
    const ResultCode rc = log.SetColumn(static_cast<std::uint16_t>(level), newValues, channels[level]);
    if (Failed(rc)) {
      errorText = GetResultCodeMessage(rc);
      return 0;
    }
    return 1;
  } catch (const std::exception&) {
    errorText = GetResultCodeMessage(kUnexpected);
    return 0;
  }
}

// ---- Open ------------------------------------------------------------------------------------------

CLevelCorrector::CLevelCorrector() : rowTimes_(std::make_shared<const TimeVector>()) {}

int CLevelCorrector::Open(const std::string& path, Rows rows) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  try {
    streamed_ = rows == Rows::kStreamed;
    return OpenLog(path);
  } catch (const std::exception&) {
    return UnloadWithFailure(kUnexpected);
  }
}

int CLevelCorrector::OpenLog(const std::string& path) {
  if (loaded_) {
    log_.Reset();
    loaded_ = false;
  }
  path_ = path;
  if (path.empty()) return Fail("File path empty");
  newValues_.clear();
  levelRefNotes_.clear();
  readings_.clear();
  readingOutcomes_.clear();
  readingTimes_.clear();
  streamedRowCount_ = 0;
  streamCorrected_ = false;
  timeCache_ = TimeCache();
  PublishRowTimes(std::make_shared<const TimeVector>());

  // Taken before reading, so that a change while it is read also counts.
  sourceIdentity_ = platform::FileIdentity();
  platform::ReadFileIdentity(path.c_str(), sourceIdentity_);
  const ResultCode loadCode = log_.Load(path, streamed_ ? TMSystem::kLoadOnDemand : TMSystem::kLoadAll);
  if (Failed(loadCode)) return UnloadWithFailure(loadCode);
  // Rows read on demand are not checked by the load: a damaged block would fail half-way through.
  if (const std::string damage = streamed_ ? DescribeDataDamage(log_) : std::string(); !damage.empty()) {
    log_.Reset();
    return Fail(damage);
  }

  original_ = LevelSettings();
  std::vector<CTMLogNotesRecord> notes;
  if (Succeeded(log_.GetNotes(notes))) {
    for (const CTMLogNotesRecord& record : notes) {
      if (!IsUserNote(record, TMSystem::CTMUserNote_Calibrate_SetNewLevelRef::kSubType)) continue;
      TMSystem::CTMUserNote_Calibrate_SetNewLevelRef note;
      const ResultCode rc = note.FromRecord(record);
      if (Failed(rc)) return UnloadWithFailure(rc);
      levelRefNotes_.push_back(ChangeFromNote(note));
    }
  }

  if (streamed_) {
    streamedRowCount_ = log_.GetRowCount();
  } else {
    auto times = std::make_shared<TimeVector>();
    if (const ResultCode rc = log_.GetRowTimes(*times); Failed(rc)) return UnloadWithFailure(rc);
    PublishRowTimes(std::move(times));
  }

  if (ReadLevelSettings(log_, original_, errorText_) == 0) {
    log_.Reset();
    return 0;
  }
  updated_ = original_;
  loaded_ = true;
  return 1;
}

int CLevelCorrector::UnloadWithFailure(ResultCode code) {
  log_.Reset();
  loaded_ = false;
  return FailCode(code);
}

// ---- Correct ---------------------------------------------------------------------------------------

int CLevelCorrector::Correct() {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  correcting_.store(true, std::memory_order_release);
  int result = 0;
  try {
    result = CorrectLog();
  } catch (const std::exception&) {
    result = FailCode(kUnexpected);
  }
  correcting_.store(false, std::memory_order_release);
  return result;
}

// A stop is honoured before each step and between the rows of the passes; once the log in memory is
// being written, that finishes (SaveCorrected refuses anyway).
int CLevelCorrector::CorrectLog() {
  if (!loaded_) return 0;
  SetProgress(0);
  if (StopRequested()) return Fail(kStoppedMessage);
  if (streamed_) return CorrectStreamed();
  if (CheckTimestamps() == 0) return Fail("Inconsistent timestamps in data log file.");
  if (updated_.GetUInt16(LevelField::kLevelMeasurementMode) == kModeDepth && !CanConvertToDepth()) {
    return Fail("Log file data cannot be converted to depth mode.");
  }
  if (ReadLevelColumn() == 0) return Fail("Failed to get level data from log.");
  if (StopRequested()) return Fail(kStoppedMessage);
  if (ConvertColumn() == 0) return 0;
  if (CorrectDriftBetweenReadings() == 0) return 0;
  if (StopRequested()) return Fail(kStoppedMessage);
  if (WriteOriginalSettings(log_, original_, errorText_) == 0) return 0;
  return WriteNewData();
}

// Row times (as Open read them) must rise strictly, from after time 0.
int CLevelCorrector::CheckTimestamps() {
  double previous = 0.0;
  for (const CTMDeviceTime& time : *rowTimes_) {
    const double seconds = time.AsSeconds();
    if (!(seconds > previous)) return 0;
    previous = seconds;
  }
  return 1;
}

int CLevelCorrector::ReadLevelColumn() {
  newValues_.clear();
  const int base = GetProgress();
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  if (Failed(log_.GetChannels(channels)) || !FindLevelChannel(channels, level)) return 0;
  if (Failed(log_.GetColumn(static_cast<std::uint16_t>(level), newValues_))) return 0;
  SetProgress(base + kReadShare);
  return 1;
}

int CLevelCorrector::ConvertColumn() {
  int base = GetProgress();
  const ToHeadInput toHead{original_, GetLevelChannelUnitId(), newValues_, *rowTimes_, levelRefNotes_};
  const auto toHeadProgress = [this, base](std::size_t i, std::size_t n) {
    return StepProgress(base, kToHeadShare, i, n);
  };
  // A pass that fails leaves the column half converted: it is dropped.
  if (ToPressureHead(toHead, newValues_, referenceOffset_, errorText_, toHeadProgress) == 0) {
    newValues_.clear();
    return 0;
  }
  SetProgress(base + kToHeadShare);

  base = GetProgress();
  const FromHeadInput fromHead{updated_, referenceOffset_, newValues_, referenceRowIndex_};
  const auto fromHeadProgress = [this, base](std::size_t i, std::size_t n) {
    return StepProgress(base, kFromHeadShare, i, n);
  };
  if (FromPressureHead(fromHead, newValues_, errorText_, fromHeadProgress) == 0) {
    newValues_.clear();
    return 0;
  }
  SetProgress(base + kFromHeadShare);
  return 1;
}

int CLevelCorrector::CorrectDriftBetweenReadings() {
  readingOutcomes_.clear();
  if (readings_.empty()) return 1;
  if (!NeedsReference(updated_.GetUInt16(LevelField::kLevelMeasurementMode))) {
    newValues_.clear();
    return Fail("Manual readings need the mode depth to water or elevation.");
  }
  std::string reason;
  if (!CorrectDrift(readings_, *rowTimes_, newValues_, readingOutcomes_, reason)) {
    newValues_.clear();
    return Fail("The " + reason + ".");
  }
  return 1;
}

// ---- Streamed rows ---------------------------------------------------------------------------------

namespace {
constexpr std::uint32_t kScanChunkBytes = 1U << 20;
constexpr std::size_t kTimeCacheRows = 4096;
}  // namespace

// The steps of CorrectLog in its order, each failing with the same reason; the rows are only scanned.
int CLevelCorrector::CorrectStreamed() {
  streamCorrected_ = false;
  readingOutcomes_.clear();
  std::string conversionFailure;
  std::vector<TMSystem::CTMDataValue> readingHeads;
  const int scanned = ScanStreamedRows(conversionFailure, readingHeads);
  if (scanned < 0) return 0;
  if (scanned == 0) return Fail("Inconsistent timestamps in data log file.");
  if (updated_.GetUInt16(LevelField::kLevelMeasurementMode) == kModeDepth && !CanConvertToDepth()) {
    return Fail("Log file data cannot be converted to depth mode.");
  }
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  if (Failed(log_.GetChannels(channels)) || !FindLevelChannel(channels, level)) {
    return Fail("Failed to get level data from log.");
  }
  if (StopRequested()) return Fail(kStoppedMessage);
  if (!conversionFailure.empty()) return Fail(conversionFailure);
  if (levelPass_.Begin(updated_, headPass_.ReferenceOffset(), errorText_) == 0) return 0;
  levelPass_.SetBase(referenceHead_);
  // The level pass fails for a row only by its units, the same for every row: the first row stands for all.
  if (streamedRowCount_ > 0) {
    TMSystem::CTMDataValue probe = firstHead_;
    if (const char* failure = levelPass_.Row(probe)) return Fail(failure);
  }
  if (!readings_.empty()) {
    if (!NeedsReference(updated_.GetUInt16(LevelField::kLevelMeasurementMode))) {
      return Fail("Manual readings need the mode depth to water or elevation.");
    }
    for (std::size_t i = 0; i < readings_.size(); ++i) {
      const auto row = static_cast<std::size_t>(readings_[i].row);
      if (readings_[i].row < 0 || row >= streamedRowCount_ || (i > 0 && readings_[i].row <= readings_[i - 1].row) ||
          i >= readingHeads.size()) {
        return Fail("The manual reading " + std::to_string(i + 1) +
                    " is not on a row of the log after the reading before it.");
      }
      TMSystem::CTMDataValue cell = readingHeads[i];
      if (const char* failure = levelPass_.Row(cell)) return Fail(failure);
      ReadingOutcome outcome;
      std::string reason;
      if (!ReadingOutcomeAt(readings_, i, cell, outcome, reason)) return Fail("The " + reason + ".");
      readingOutcomes_.push_back(outcome);
    }
  }
  if (StopRequested()) return Fail(kStoppedMessage);
  if (WriteOriginalSettings(log_, original_, errorText_) == 0) return 0;
  if (WriteLevelChannel() == 0) return 0;
  if (WriteApplicationKeys() == 0) return 0;
  if (WriteNotes() == 0) return 0;
  levelChannel_ = static_cast<std::uint16_t>(level);
  streamCorrected_ = true;
  SetProgress(kReadShare + kToHeadShare + kFromHeadShare + kWriteShare);
  return 1;
}

// Reads every row once: their times must rise strictly from after time 0 (1; 0 when they do not, at the
// first that does not). The rows up to the reference row and the last reading's, and on to the first
// row with a level value, go through the head pass: the reference row's head, the readings' heads and
// times, and the first row's head are kept, and the first conversion failure is `conversionFailure`.
// -1 with the error text when a row cannot be read or a stop was asked.
int CLevelCorrector::ScanStreamedRows(std::string& conversionFailure,
                                      std::vector<TMSystem::CTMDataValue>& readingHeads) {
  referenceHead_ = 0.0f;
  firstHead_ = TMSystem::CTMDataValue{};
  readingTimes_.clear();
  const std::size_t count = streamedRowCount_;
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  bool converting = Succeeded(log_.GetChannels(channels)) && FindLevelChannel(channels, level);
  if (converting && headPass_.Begin(original_, GetLevelChannelUnitId(), levelRefNotes_, conversionFailure) == 0) {
    converting = false;
  }
  std::size_t needed = 1;
  if (referenceRowIndex_ >= 0) needed = std::max(needed, static_cast<std::size_t>(referenceRowIndex_) + 1);
  for (const PlacedReading& reading : readings_) {
    if (reading.row >= 0) needed = std::max(needed, static_cast<std::size_t>(reading.row) + 1);
  }
  bool sawLevel = false;
  std::size_t nextReading = 0;

  const std::uint32_t stride = TMSystem::RowFileSize(log_.GetColumnCount());
  const std::uint32_t rowsPerChunk = std::max<std::uint32_t>(1, kScanChunkBytes / stride);
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::size_t>(rowsPerChunk, count)) * stride);
  const int base = GetProgress();
  // Compared as whole 1/65536 s, which seconds + fraction / 65536 as a double holds exactly.
  std::uint64_t previous = 0;
  for (std::size_t first = 0; first < count; first += rowsPerChunk) {
    if (!StepProgress(base, kReadShare + kToHeadShare, first, count)) {
      Fail(kStoppedMessage);
      return -1;
    }
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(rowsPerChunk, count - first));
    if (const ResultCode rc = log_.ReadRowBytes(static_cast<std::uint32_t>(first), n, chunk.data()); Failed(rc)) {
      FailCode(rc);
      return -1;
    }
    for (std::uint32_t r = 0; r < n; ++r) {
      const std::uint8_t* row = chunk.data() + static_cast<std::size_t>(r) * stride;
      const CTMDeviceTime time = TMSystem::RowCodec::DecodeTime(row);
      const std::uint64_t ticks = std::uint64_t{time.seconds} << 16 | time.fraction;
      if (ticks <= previous) return 0;
      previous = ticks;
      const std::size_t k = first + r;
      if (!converting || (k >= needed && sawLevel)) continue;
      TMSystem::CTMDataValue cell = TMSystem::RowCodec::DecodeCell(row, static_cast<std::uint32_t>(level));
      sawLevel = sawLevel || !IsUnconvertedStatus(cell.status);
      if (const char* failure = headPass_.Row(time, cell)) {
        conversionFailure = failure;
        converting = false;
        continue;
      }
      if (k == 0) firstHead_ = cell;
      if (referenceRowIndex_ >= 0 && k == static_cast<std::size_t>(referenceRowIndex_)) referenceHead_ = cell.value;
      if (nextReading < readings_.size() && readings_[nextReading].row >= 0 &&
          k == static_cast<std::size_t>(readings_[nextReading].row)) {
        readingHeads.push_back(cell);
        readingTimes_.push_back(time.AsSeconds());
        ++nextReading;
      }
    }
  }
  return 1;
}

// The save's rows: the source's, a chunk at a time, with the level cell converted as Correct would
// have converted the column. Row 0 starts the passes again (a save may be tried under several names).
ResultCode CLevelCorrector::StreamRows(std::uint32_t first, std::uint32_t count, std::uint8_t* rows) {
  if (first == 0) {
    std::string failure;
    if (headPass_.Begin(original_, GetLevelChannelUnitId(), levelRefNotes_, failure) == 0 ||
        levelPass_.Begin(updated_, headPass_.ReferenceOffset(), failure) == 0) {
      streamError_ = failure;
      return kFail;
    }
    levelPass_.SetBase(referenceHead_);
    drift_.emplace(readingOutcomes_, readingTimes_);
  }
  if (const ResultCode rc = log_.ReadRowBytes(first, count, rows); Failed(rc)) {
    streamError_ = GetResultCodeMessage(rc);
    return rc;
  }
  const std::uint32_t stride = TMSystem::RowFileSize(log_.GetColumnCount());
  for (std::uint32_t r = 0; r < count; ++r) {
    std::uint8_t* row = rows + static_cast<std::size_t>(r) * stride;
    const CTMDeviceTime time = TMSystem::RowCodec::DecodeTime(row);
    TMSystem::CTMDataValue cell = TMSystem::RowCodec::DecodeCell(row, levelChannel_);
    const char* failure = headPass_.Row(time, cell);
    if (failure == nullptr) failure = levelPass_.Row(cell);
    if (failure != nullptr) {
      streamError_ = failure;
      return kFail;
    }
    const std::size_t k = std::size_t{first} + r;
    if (drift_->Covers(k) && !IsUnconvertedStatus(cell.status)) cell.value = drift_->Apply(k, time.AsSeconds(), cell.value);
    TMSystem::RowCodec::EncodeCell(row, levelChannel_, cell);
  }
  return kOk;
}

int CLevelCorrector::WriteLevelChannel() {
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  if (Failed(log_.GetChannels(channels)) || !FindLevelChannel(channels, level)) {
    return Fail("Log file does not contain any level data.");
  }
  channels[level].parameterId = updated_.GetUInt16(LevelField::kLevelMeasurementMode);
  channels[level].unitId = updated_.GetUInt16(LevelField::kLevelUnitId);
  if (const ResultCode rc = log_.SetChannel(static_cast<std::uint16_t>(level), channels[level]); Failed(rc)) {
    return FailCode(rc);
  }
  return 1;
}

RowTimeList CLevelCorrector::RowTimes() const {
  if (!streamed_) return RowTimeList(*rowTimes_);
  return RowTimeList(streamedRowCount_, [this](std::size_t index) {
    TimeCache& cache = timeCache_;
    const std::uint32_t stride = TMSystem::RowFileSize(log_.GetColumnCount());
    if (index < cache.first || index >= cache.first + cache.count) {
      cache.first = index - index % kTimeCacheRows;
      cache.count = std::min(kTimeCacheRows, streamedRowCount_ - cache.first);
      cache.bytes.resize(cache.count * stride);
      // The log object locks itself; reading rows changes nothing a caller sees.
      auto& log = const_cast<TMSystem::CTMLogFile&>(log_);
      if (Failed(log.ReadRowBytes(static_cast<std::uint32_t>(cache.first), static_cast<std::uint32_t>(cache.count),
                                  cache.bytes.data()))) {
        cache.count = 0;
        return CTMDeviceTime{};
      }
    }
    return TMSystem::RowCodec::DecodeTime(cache.bytes.data() + (index - cache.first) * stride);
  });
}

// ---- Writing the new data --------------------------------------------------------------------------

int CLevelCorrector::WriteNewData() {
  if (WriteLevelColumn(log_, newValues_, updated_.GetUInt16(LevelField::kLevelMeasurementMode),
                       updated_.GetUInt16(LevelField::kLevelUnitId), errorText_) == 0) {
    return 0;
  }
  if (WriteApplicationKeys() == 0) return 0;
  if (WriteNotes() == 0) return 0;
  SetProgress(GetProgress() + kWriteShare);
  return 1;
}

int CLevelCorrector::WriteApplicationKeys() {
  ResultCode rc = log_.SetStringValue("TVK_APPNAME", platform::ExecutableFileName());
  if (Failed(rc)) return FailCode(rc);
  rc = log_.SetStringValue("TVK_APPVERSION", platform::ExecutableVersion());
  if (Failed(rc)) return FailCode(rc);
  rc = log_.SetValue("TVK_TIMESTAMP", TMSystem::CTMVariant(CurrentUtcTime()));
  if (Failed(rc)) return FailCode(rc);
  return 1;
}

// The level-reference notes are now part of the data: they give way to one post-correction note.
int CLevelCorrector::WriteNotes() {
  std::vector<CTMLogNotesRecord> notes;
  if (Failed(log_.GetNotes(notes))) notes.clear();
  std::erase_if(notes, [](const CTMLogNotesRecord& note) {
    return IsUserNote(note, TMSystem::CTMUserNote_Calibrate_SetNewLevelRef::kSubType);
  });

  const RowTimeList rowTimes = RowTimes();
  const bool usesDataPoint = referenceRowIndex_ >= 0 && static_cast<std::size_t>(referenceRowIndex_) < rowTimes.size();
  const CTMDeviceTime dataPointTime = usesDataPoint ? rowTimes[static_cast<std::size_t>(referenceRowIndex_)] : CTMDeviceTime{};
  TMSystem::CTMUserNote_Tavisko note;
  ResultCode rc = note.Build(usesDataPoint ? 1U : 0U, dataPointTime,
                             updated_.GetUInt16(LevelField::kLevelMeasurementMode),
                             original_.IsDynamicDensityUsed() ? 1U : 0U, updated_.GetFloat(LevelField::kSpecificGravity),
                             original_.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest ? 1U : 0U,
                             updated_.GetFloat(LevelField::kLevelRefPressure),
                             updated_.GetUInt16(LevelField::kLevelRefPressureUnitId),
                             updated_.GetFloat(LevelField::kLevelReferenceVal),
                             updated_.GetUInt16(LevelField::kLevelUnitId));
  if (Failed(rc)) return FailCode(rc);
  // Each manual reading at its row, in time order, before the post-correction note that stays last.
  const std::string unit = GetUnitAbbreviation(updated_.GetUInt16(LevelField::kLevelUnitId));
  for (std::size_t i = 0; i < readingOutcomes_.size(); ++i) {
    TMSystem::CTMUserNote_Text reading;
    rc = reading.Build(ReadingNoteText(i + 1, readingOutcomes_.size(), readingOutcomes_[i], unit));
    if (Failed(rc)) return FailCode(rc);
    CTMLogNotesRecord record = reading.GetRecord();
    record.time = rowTimes[static_cast<std::size_t>(readingOutcomes_[i].row)];
    notes.push_back(std::move(record));
  }
  notes.push_back(note.GetRecord());
  rc = log_.SetNotes(notes);
  if (Failed(rc)) return FailCode(rc);
  return 1;
}

// ---- Saving ----------------------------------------------------------------------------------------

// The name carries the time to the second: when it is taken (another log of the same name, another
// run on this log, anything planted there), the next second gives the next name. Nothing is ever
// replaced, so the source cannot be written whatever it or the output is called.
int CLevelCorrector::SaveCorrected(const std::string& folder) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  if (StopRequested()) return Fail(kStoppedMessage);
  if (!loaded_) return 0;
  // Streamed rows are converted as they are written, with what Correct found.
  if (streamed_ && !streamCorrected_) return Fail("The log must be corrected before it is saved.");
  try {
    outputName_.clear();
    TMSystem::CTMVariant baro;
    const bool baroAdjusted = Succeeded(log_.GetValueById(TMSystem::kKeyBaroAdjustedValues, baro));
    // Asked between chunks of the rows and just before the file takes its name.
    std::string abandonReason;
    const auto abandon = [this, &abandonReason] {
      abandonReason = StopRequested() ? std::string(kStoppedMessage) : DescribeSourceChange();
      return !abandonReason.empty();
    };
    for (int attempt = 1;; ++attempt) {
      const SystemTime utc = CurrentUtcTime();
      const std::string name = MakeCorrectedFileName(log_.GetLogName(), path_, baroAdjusted, UtcToLocal(utc, false));
      const std::string path = MakeCorrectedFilePath(folder, name);
      streamError_.clear();
      const TMSystem::CTMLogFile::RowSource rows = [this](std::uint32_t first, std::uint32_t count, std::uint8_t* bytes) {
        return StreamRows(first, count, bytes);
      };
      const ResultCode rc = streamed_ ? log_.SaveAsNew(path, static_cast<std::uint32_t>(streamedRowCount_), rows, abandon)
                                      : log_.SaveAsNew(path, abandon);
      if (Succeeded(rc)) {
        outputName_ = name;
        return 1;
      }
      if (!abandonReason.empty()) return Fail(abandonReason);
      if (!streamError_.empty()) return Fail(streamError_);
      const int error = log_.GetLastWriteError();
      if (error != EEXIST || attempt == kOutputNameAttempts) {
        if (error != 0) return Fail(std::generic_category().message(error));
        return FailCode(rc == kFail ? kWriteFailed : rc);
      }
      // The next second, in slices short enough for a stop to be heard.
      const auto next = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(1000 - std::min<int>(utc.milliseconds, 999));
      while (std::chrono::steady_clock::now() < next && !StopRequested()) {
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(20), next - std::chrono::steady_clock::now()));
      }
    }
  } catch (const std::exception&) {
    return FailCode(kUnexpected);
  }
}

std::string CLevelCorrector::DescribeSourceChange() const {
  platform::FileIdentity now;
  const char* change = nullptr;
  if (const int error = platform::ReadFileIdentity(path_.c_str(), now); error == ENOENT || error == ENOTDIR) {
    change = "deleted";
  } else if (error != 0) {
    return StrFormat("The source log cannot be checked: %s: %s", path_.c_str(),
                     std::generic_category().message(error).c_str());
  } else if (!now.SameFile(sourceIdentity_)) {
    change = "replaced";
  } else if (now != sourceIdentity_) {
    change = "modified";
  }
  if (change == nullptr) return {};
  return StrFormat("The source log was %s after it was read: %s", change, path_.c_str());
}

// ---- Settings and queries --------------------------------------------------------------------------

int CLevelCorrector::SetNewLevelMeasurementMode(std::uint16_t mode) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  return tvk::SetNewLevelMeasurementMode(log_, updated_, mode, errorText_);
}

int CLevelCorrector::SetSetting(int (*setter)(TMSystem::CTMLogFileCfg&, LevelSettings&, float, std::string&),
                                float value) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  return setter(log_, updated_, value, errorText_);
}

int CLevelCorrector::GetRecordedLevels(std::vector<TMSystem::CTMDataValue>& out) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock() || !loaded_) return 0;
  std::vector<CTMChannelInfo> channels;
  std::size_t level = 0;
  try {
    return Succeeded(log_.GetChannels(channels)) && FindLevelChannel(channels, level) &&
                   Succeeded(log_.GetColumn(static_cast<std::uint16_t>(level), out))
               ? 1
               : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

int CLevelCorrector::SetManualReadings(std::vector<PlacedReading> readings) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  readings_ = std::move(readings);
  return 1;
}

int CLevelCorrector::SetReferenceRowIndex(int index) {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  if (!operation.owns_lock()) return 0;
  referenceRowIndex_ = index;
  return 1;
}

int CLevelCorrector::SetNewLevelReferenceVal(float value) { return SetSetting(&tvk::SetNewLevelReferenceVal, value); }
int CLevelCorrector::SetNewLevelOffset(float value) { return SetSetting(&tvk::SetNewLevelOffset, value); }
int CLevelCorrector::SetNewSpecificGravity(float value) { return SetSetting(&tvk::SetNewSpecificGravity, value); }

bool CLevelCorrector::CanConvertToDepth() const {
  if (!loaded_) return false;
  return GetLevelMeasurementMode() == kModeDepth || GetLevelReferenceMode() != kReferenceAtStartOfTest;
}

bool CLevelCorrector::IsDynamicDensityUsed() const { return loaded_ && original_.IsDynamicDensityUsed(); }

std::uint16_t CLevelCorrector::GetLevelMeasurementMode() const {
  return loaded_ ? original_.GetUInt16(LevelField::kLevelMeasurementMode) : 0;
}
float CLevelCorrector::GetLevelReferenceVal() const {
  return loaded_ ? original_.GetFloat(LevelField::kLevelReferenceVal) : 0.0f;
}
float CLevelCorrector::GetLevelRefPressure() const {
  return loaded_ ? original_.GetFloat(LevelField::kLevelRefPressure) : 0.0f;
}
float CLevelCorrector::GetSpecificGravity() const {
  return loaded_ ? original_.GetFloat(LevelField::kSpecificGravity) : 0.0f;
}
float CLevelCorrector::GetDynamicSpecificGravityFactor() const {
  return loaded_ ? original_.GetFloat(LevelField::kDynamicSpecificGravityFactor) : 0.0f;
}
std::uint16_t CLevelCorrector::GetAutomaticDensityCorrection() const {
  return loaded_ ? original_.GetUInt16(LevelField::kAutomaticDensityCorrection) : 0;
}
std::uint16_t CLevelCorrector::GetLevelReferenceMode() const {
  return loaded_ ? original_.GetUInt16(LevelField::kLevelReferenceMode) : 0;
}
std::uint16_t CLevelCorrector::GetLevelUnitId() const {
  return loaded_ ? original_.GetUInt16(LevelField::kLevelUnitId) : 0;
}
std::uint16_t CLevelCorrector::GetLevelRefPressureUnitId() const {
  return loaded_ ? original_.GetUInt16(LevelField::kLevelRefPressureUnitId) : 0;
}

std::uint16_t CLevelCorrector::ChannelUnit(bool level) const {
  if (!loaded_) return 0;
  std::vector<CTMChannelInfo> channels;
  if (Failed(log_.GetChannels(channels))) return 0;
  for (const CTMChannelInfo& channel : channels) {
    const bool match = level ? IsLevelMode(channel.parameterId) : channel.parameterId == kPressureParameter;
    if (match) return channel.unitId;
  }
  return 0;
}

std::uint16_t CLevelCorrector::GetLevelChannelUnitId() const { return ChannelUnit(true); }
std::uint16_t CLevelCorrector::GetPressureChannelUnitId() const { return ChannelUnit(false); }

// ---- Progress and failures -------------------------------------------------------------------------

int CLevelCorrector::GetProgress() const {
  std::lock_guard lock(sharedLock_);
  return progress_;
}

void CLevelCorrector::SetProgress(int value) {
  std::lock_guard lock(sharedLock_);
  progress_ = value;
  lastSetProgress_ = value;
}

// Called for every row: the lock is taken only when the figure moves.
bool CLevelCorrector::StepProgress(int base, int share, std::size_t index, std::size_t count) {
  if (count == 0) return !StopRequested();
  const int value = base + static_cast<int>(index * static_cast<std::size_t>(share) / count);
  if (value != lastSetProgress_) SetProgress(value);
  return !StopRequested();
}

std::string CLevelCorrector::GetErrorText() const {
  std::unique_lock operation(operationLock_, std::try_to_lock);
  return operation.owns_lock() ? errorText_ : std::string(kBusyMessage);
}

std::shared_ptr<const TimeVector> CLevelCorrector::ShareRowTimes() const {
  std::lock_guard lock(sharedLock_);
  return rowTimes_;
}

void CLevelCorrector::PublishRowTimes(std::shared_ptr<const TimeVector> times) {
  std::lock_guard lock(sharedLock_);
  rowTimes_ = std::move(times);
}

int CLevelCorrector::Fail(const std::string& message) {
  errorText_ = message;
  return 0;
}

int CLevelCorrector::FailCode(ResultCode code) { return Fail(GetResultCodeMessage(code)); }

// ---- Admission -------------------------------------------------------------------------------------

std::string DescribeDataDamage(const TMSystem::CTMLogFileDataAndCfg& log) {
  const TMSystem::CTMDataIntegrity facts = log.GetDataIntegrity();
  std::string text;
  // A corrected log is written with the regular row size: a source counted with another one would
  // lose rows or gain invented ones.
  if (!facts.rowSizeRegular) {
    text = StrFormat("the row size field says %u bytes, its channels need %u", unsigned{facts.rowByteCount},
                     unsigned{facts.regularRowByteCount});
  }
  if (facts.cutShort) {
    if (!text.empty()) text += "; ";
    text += StrFormat("the log data is cut short: %u of %u rows present", facts.rowsPresent, facts.rowsClaimed);
  }
  return text;
}

int CheckLogFile(const std::string& path) {
  std::string reason;
  return CheckLogFile(path, reason);
}

int CheckLogFile(const std::string& path, std::string& reason) {
  try {
    reason = kRefusedUnreadable;
    if (path.empty()) return 0;
    // A file that is not there, or not to be opened, is told in the system's words.
    platform::FileIdentity identity;
    if (const int error = platform::ReadFileIdentity(path.c_str(), identity); error != 0) {
      reason = std::generic_category().message(error);
      return 0;
    }
    TMSystem::CTMLogFile log;
    if (Failed(log.Load(path, TMSystem::kLoadOnDemand))) return 0;
    if (reason = DescribeDataDamage(log); !reason.empty()) return 0;
    const char* refusal = RefusalOf(log);
    reason = refusal != nullptr ? refusal : "";
    return refusal == nullptr ? 1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace tvk
