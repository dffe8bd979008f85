#include "logfile/notes/LevelNotes.h"

#include "common/Format.h"
#include "common/StringTable.h"
#include "common/Utf.h"
#include "logfile/notes/NoteStrings.h"

namespace TMSystem {

using namespace note_text;
using tvk::GetSystemString;
using tvk::StrFormat;

namespace {

constexpr std::uint16_t kDepthMode = 3;
constexpr std::uint16_t kDepthToWaterMode = 4;
constexpr std::uint16_t kSurfaceElevationMode = 5;
constexpr std::uint32_t kDepthToWater = 10302;
constexpr std::uint32_t kSurfaceElevation = 10303;
constexpr std::uint32_t kSetNewReference = 10178;
constexpr std::uint32_t kLevelCalibration = 10608;
constexpr std::uint32_t kLevelRefHeadPressure = 10186;
constexpr std::uint32_t kHeadCalibration = 10611;
constexpr std::uint32_t kHeadReference = 10612;
constexpr std::uint32_t kHeadReferencePressure = 10613;
constexpr std::uint32_t kTemperature = 10299;

const char* S(std::uint32_t id) { return GetSystemString(id).c_str(); }

const char* ModeName(std::uint16_t mode) {
  if (mode == kDepthToWaterMode) return S(kDepthToWater);
  if (mode == kSurfaceElevationMode) return S(kSurfaceElevation);
  return S(kDepth);
}

}  // namespace

// --- Post-correction note ---------------------------------------------------------------------------

void CTMUserNote_Tavisko::Layout(CTMNotePayload& p) {
  Values& v = values_;
  p.Field(v.reserved);
  p.Field(v.usesDataPoint);
  p.Field(v.dataPointTime);
  p.Field(v.levelMode);
  p.Field(v.dynamicDensity);
  p.Field(v.specificGravity);
  p.Field(v.startOfTest);
  p.Field(v.referencePressure);
  p.Field(v.referencePressureUnit);
  p.Field(v.referenceValue);
  p.Field(v.levelUnit);
  p.CountedString(v.userName);
}

ResultCode CTMUserNote_Tavisko::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {34}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Tavisko::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Tavisko::Build(std::uint32_t usesDataPoint, const CTMDeviceTime& dataPointTime,
                                      std::uint16_t levelMode, std::uint32_t dynamicDensity, float specificGravity,
                                      std::uint32_t startOfTest, float referencePressure,
                                      std::uint16_t referencePressureUnit, float referenceValue,
                                      std::uint16_t levelUnit) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {0,
               usesDataPoint,
               dataPointTime.AsSeconds(),
               levelMode,
               dynamicDensity,
               specificGravity,
               startOfTest,
               referencePressure,
               referencePressureUnit,
               referenceValue,
               levelUnit,
               tvk::TruncateUtf16(CurrentUser(), kMaxUserNameUnits)};
    Layout(p);
  });
}

std::string CTMUserNote_Tavisko::ReferenceLines() const {
  const Values& v = values_;
  std::string text;
  if (v.usesDataPoint != 0) {
    const std::string when = DateTimeText(DeviceTimeFromSeconds(v.dataPointTime));
    text = StrFormat("   Level Reference Mode: Using data point at %s\n", when.c_str());
  } else if (v.startOfTest != 0) {
    text = "   Level Reference Mode: Start of test\n";
  } else {
    text = StrFormat("   Level Reference Mode: %g %s pressure head\n", static_cast<double>(v.referencePressure),
                     tvk::GetUnitAbbreviation(v.referencePressureUnit).c_str());
  }
  return text + StrFormat("   Level reference: %g %s\n", static_cast<double>(v.referenceValue),
                          tvk::GetUnitName(v.levelUnit).c_str());
}

std::string CTMUserNote_Tavisko::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    std::string text = "Post correction\n";
    text += StrFormat("   Level Measurement Mode: %s\n", ModeName(v.levelMode));
    text += v.dynamicDensity != 0
                ? std::string("   Specific gravity: Dynamic density used\n")
                : StrFormat("   Specific gravity: %g\n", static_cast<double>(v.specificGravity));
    if (v.levelMode != kDepthMode) text += ReferenceLines();
    return text + UserNameTail(v.userName);
  });
}

// --- Level and head reference -----------------------------------------------------------------------

void CTMReferenceCalibrationNote::Layout(CTMNotePayload& p) {
  Values& v = values_;
  p.Field(v.serialNumber);
  p.Field(v.referenceValue);
  p.Field(v.depth);
  p.Field(v.levelUnit);
  p.Field(v.headPressure);
  p.Field(v.pressureOffset);
  p.Field(v.pressureUnit);
  p.Field(v.temperature);
  p.Field(v.temperatureUnit);
  p.CountedString(v.userName);
}

ResultCode CTMReferenceCalibrationNote::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, subType_, {32}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMReferenceCalibrationNote::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMReferenceCalibrationNote::Build(std::uint32_t serialNumber, float referenceValue, float depth,
                                              std::uint16_t levelUnit, float headPressure, float pressureOffset,
                                              std::uint16_t pressureUnit, float temperature,
                                              std::uint16_t temperatureUnit) {
  return ComposeUserNote(subType_, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, referenceValue, depth,       levelUnit,       headPressure,
               pressureOffset, pressureUnit, temperature, temperatureUnit, CurrentUser()};
    Layout(p);
  });
}

std::string CTMReferenceCalibrationNote::ValuesText(std::uint32_t titleId, std::uint32_t referenceId,
                                                    std::uint32_t headPressureId) const {
  const Values& v = values_;
  const char* levelUnit = tvk::GetUnitAbbreviation(v.levelUnit).c_str();
  const char* pressureUnit = tvk::GetUnitAbbreviation(v.pressureUnit).c_str();
  return StrFormat("%s: %u %s\n%s: %g\n%s: %g(%s)\n%s: %g(%s)\n%s: %g(%s)\n%s: %g(%s)", S(kSensorSn), v.serialNumber,
                   S(titleId), S(referenceId), static_cast<double>(v.referenceValue), S(kDepth),
                   static_cast<double>(v.depth), levelUnit, S(headPressureId), static_cast<double>(v.headPressure),
                   pressureUnit, S(kPressureOffset), static_cast<double>(v.pressureOffset), pressureUnit,
                   S(kTemperature), static_cast<double>(v.temperature),
                   tvk::GetUnitAbbreviation(v.temperatureUnit).c_str());
}

std::string CTMUserNote_Calibrate_SetNewLevelRef::GetText() const {
  return GuardedText([this] {
    std::string text = ValuesText(kLevelCalibration, kSetNewReference, kLevelRefHeadPressure) + "\n";
    const std::string& userName = GetValues().userName;
    if (!userName.empty()) text += StrFormat("%s: %s", S(kUserName), userName.c_str());
    return text;
  });
}

std::string CTMUserNote_Calibrate_SetNewHeadRef::GetText() const {
  return GuardedText([this] {
    return ValuesText(kHeadCalibration, kHeadReference, kHeadReferencePressure) + UserNameTail(GetValues().userName);
  });
}

}  // namespace TMSystem
