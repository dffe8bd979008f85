#include "logfile/notes/UserNotes.h"

#include "common/Format.h"
#include "common/StringTable.h"
#include "common/Utf.h"
#include "logfile/notes/NoteStrings.h"

namespace TMSystem {

using namespace note_text;
using tvk::GetSystemString;
using tvk::StrFormat;

namespace {

constexpr std::uint32_t kLogDownload = 10572;
constexpr std::uint32_t kInterval = 10080;
constexpr std::uint32_t kStartTime = 10152;
constexpr std::uint32_t kStopTime = 10153;
constexpr std::uint32_t kCacheTimeout = 10547;
constexpr std::uint32_t kCalibrationExpired = 10579;
constexpr std::uint32_t kExternalVoltage = 10538;
constexpr std::uint32_t kInternalVoltage = 10539;

// Reset messages of the factory-reset note by sensor kind.
constexpr std::uint32_t kResetMessages[CTMUserNote_RestoreFactoryCal_Sensor::kSensorKindCount] = {
    10604, 10605, 10606, 10614, 10676, 10677, 10678, 10679, 10680, 10742, 10743, 10744};

const char* S(std::uint32_t id) { return GetSystemString(id).c_str(); }

bool IsAt(const tvk::SystemTime& time, int year) {
  return time.year == year && time.month == 1 && time.day == 1 && time.hour == 0 && time.minute == 0 &&
         time.second == 0;
}

}  // namespace

// --- Text -------------------------------------------------------------------------------------------

void CTMUserNote_Text::Layout(CTMNotePayload& p) { p.TrailingText(values_.text); }

ResultCode CTMUserNote_Text::FromRecord(const CTMLogNotesRecord& record) {
  ResultCode rc = DecodeUserNote(record, kSubType, {2}, [this](CTMNotePayload& p) { Layout(p); });
  if (rc == tvk::kOk && Record().payload.Size() % 2 != 0) rc = tvk::kFail;
  return rc;
}

void CTMUserNote_Text::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

std::string CTMUserNote_Text::GetText() const {
  return GuardedText([this] { return GetSystemString(kUserNote) + ": \"" + values_.text + "\""; });
}

ResultCode CTMUserNote_Text::Build(std::string_view text) {
  if (text.empty()) return tvk::kMissingArgument;
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_.text = tvk::Utf16Length(text) > kMaxTextUnits ? tvk::TruncateUtf16(text, kCutTextUnits) : std::string(text);
    Layout(p);
  });
}

// --- Download ---------------------------------------------------------------------------------------

void CTMUserNote_Download::Layout(CTMNotePayload& p) {
  p.Field(values_.usedBattery);
  p.Field(values_.usedMemory);
  p.Field(values_.startTime);
  p.Field(values_.stopTime);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Download::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {38}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Download::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Download::Build(std::uint16_t usedBattery, std::uint16_t usedMemory,
                                       const tvk::SystemTime& startTime, const tvk::SystemTime& stopTime) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {usedBattery, usedMemory, startTime, stopTime, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Download::IntervalText() const {
  const bool hasStart = !IsAt(values_.startTime, 1970);
  const bool hasStop = !IsAt(values_.stopTime, 1970) && !IsAt(values_.stopTime, 2050);
  if (!hasStart && !hasStop) return {};
  std::string text = StrFormat(" %s - ", S(kInterval));
  if (hasStart) text += StrFormat(" %s: %s", S(kStartTime), DateTimeText(values_.startTime).c_str());
  return text + StrFormat(" %s: %s", S(kStopTime), DateTimeText(values_.stopTime).c_str());
}

std::string CTMUserNote_Download::GetText() const {
  return GuardedText([this] {
    const std::string used = StrFormat("%s: %d%% %s: %d%%", S(kUsedBattery), values_.usedBattery, S(kUsedMemory),
                                       values_.usedMemory);
    return StrFormat("%s - %s", S(kLogDownload), used.c_str()) + IntervalText() + UserNameTail(values_.userName);
  });
}

// --- Memory and battery status ----------------------------------------------------------------------

void CTMUserNote_MemoryBatteryStatus::Layout(CTMNotePayload& p) {
  p.Field(values_.usedMemory);
  p.Field(values_.usedBattery);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_MemoryBatteryStatus::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {6}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_MemoryBatteryStatus::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_MemoryBatteryStatus::Build(std::uint16_t usedMemory, std::uint16_t usedBattery) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {usedMemory, usedBattery, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_MemoryBatteryStatus::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s: %d%% %s: %d%%", S(kUsedBattery), values_.usedBattery, S(kUsedMemory), values_.usedMemory) +
           UserNameTail(values_.userName);
  });
}

// --- Measurement cache timeout ----------------------------------------------------------------------

void CTMUserNote_SensorMeasCacheTO::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.cacheTimeout);
  if (Record().version == 1) p.CountedString(values_.userName);
}

ResultCode CTMUserNote_SensorMeasCacheTO::FromRecord(const CTMLogNotesRecord& record) {
  const PayloadSize size = record.version == 0 ? PayloadSize{6, true} : PayloadSize{record.version == 1 ? 8U : 6U};
  return DecodeUserNote(record, kSubType, size, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_SensorMeasCacheTO::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_SensorMeasCacheTO::Build(std::uint32_t serialNumber, std::uint16_t cacheTimeout) {
  return ComposeUserNote(kSubType, 1, [&](CTMNotePayload& p) {
    values_ = {serialNumber, cacheTimeout, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_SensorMeasCacheTO::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s: %u  %s: %u", S(kSensorSn), values_.serialNumber, S(kCacheTimeout),
                     static_cast<unsigned>(values_.cacheTimeout)) +
           UserNameTail(values_.userName);
  });
}

// --- Factory calibration restored -------------------------------------------------------------------

void CTMUserNote_RestoreFactoryCal_Sensor::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.CountedString(values_.userName);
  if (Record().version >= 1) p.Field(values_.sensorKind);
}

ResultCode CTMUserNote_RestoreFactoryCal_Sensor::FromRecord(const CTMLogNotesRecord& record) {
  const ResultCode rc = DecodeUserNote(record, kSubType, {6}, [this](CTMNotePayload& p) {
    // Notes from before the kind was recorded only ever reset the level reference.
    values_.sensorKind = 1;
    Layout(p);
  });
  if (rc == tvk::kOk && values_.sensorKind >= kSensorKindCount) return tvk::kFail;
  return rc;
}

void CTMUserNote_RestoreFactoryCal_Sensor::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_RestoreFactoryCal_Sensor::Build(std::uint32_t serialNumber, std::uint16_t sensorKind) {
  return ComposeUserNote(kSubType, 1, [&](CTMNotePayload& p) {
    values_ = {serialNumber, CurrentUser(), sensorKind};
    Layout(p);
  });
}

std::string CTMUserNote_RestoreFactoryCal_Sensor::GetText() const {
  return GuardedText([this] {
    std::string text = StrFormat("%s: %u", S(kSensorSn), values_.serialNumber);
    if (values_.userName.empty()) return text;
    const std::uint32_t message = values_.sensorKind < kSensorKindCount ? kResetMessages[values_.sensorKind] : 0;
    return text + StrFormat("   %s  %s: %s", S(message), S(kUserName), values_.userName.c_str());
  });
}

// --- Factory calibration expired --------------------------------------------------------------------

void CTMUserNote_SensorFactoryCalExpired::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.expiryTime);
}

ResultCode CTMUserNote_SensorFactoryCalExpired::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {20}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_SensorFactoryCalExpired::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_SensorFactoryCalExpired::Build(std::uint32_t serialNumber, const tvk::SystemTime& expiryTime) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, expiryTime};
    Layout(p);
  });
}

std::string CTMUserNote_SensorFactoryCalExpired::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s: %u  %s: %s", S(kSensorSn), values_.serialNumber, S(kCalibrationExpired),
                     DateTimeText(values_.expiryTime).c_str());
  });
}

// --- Power status -----------------------------------------------------------------------------------

void CTMUserNote_PowerStatus::Layout(CTMNotePayload& p) {
  p.Field(values_.externalVoltage);
  p.Field(values_.internalVoltage);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_PowerStatus::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {6}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_PowerStatus::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_PowerStatus::Build(std::uint16_t externalVoltage, std::uint16_t internalVoltage) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {externalVoltage, internalVoltage, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_PowerStatus::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s: %g%% %s: %g%%", S(kExternalVoltage), values_.externalVoltage / 1000.0,
                     S(kInternalVoltage), values_.internalVoltage / 1000.0) +
           UserNameTail(values_.userName);
  });
}

// --- Manual time sync -------------------------------------------------------------------------------

void CTMUserNote_ManualTimeSync::Layout(CTMNotePayload& p) {
  p.Field(values_.newTime);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_ManualTimeSync::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {6}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_ManualTimeSync::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_ManualTimeSync::Build(const tvk::SystemTime& newTime) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {newTime, CurrentUser()};
    Layout(p);
  });
}

ResultCode CTMUserNote_ManualTimeSync::BuildFromDeviceTime(const CTMDeviceTime& newTime) {
  return Build(DeviceTimeToSystemTime(newTime));
}

std::string CTMUserNote_ManualTimeSync::GetText() const {
  return GuardedText([this] {
    return GetSystemString(kUserAdjustedTime) + " " + DateTimeText(values_.newTime) + UtcSuffix() +
           UserNameTail(values_.userName);
  });
}

// --- All log notes ----------------------------------------------------------------------------------

ResultCode CTMUserNote_AllLogNotes::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {0}, [](CTMNotePayload&) {});
}

ResultCode CTMUserNote_AllLogNotes::Build() {
  return ComposeUserNote(kSubType, 0, [](CTMNotePayload&) {});
}

}  // namespace TMSystem
