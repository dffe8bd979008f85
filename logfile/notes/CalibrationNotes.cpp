#include "logfile/notes/CalibrationNotes.h"

#include "common/Format.h"
#include "common/StringTable.h"
#include "logfile/notes/NoteStrings.h"

namespace TMSystem {

using namespace note_text;
using tvk::GetSystemString;
using tvk::StrFormat;

namespace {

constexpr std::uint32_t kTdsFactor = 10167;
constexpr std::uint32_t kConductivityCalibration = 10609;
constexpr std::uint32_t kCellConstant = 10543;
constexpr std::uint32_t kCellOffset = 10542;
constexpr std::uint32_t kCurveCoefficient = 10546;
constexpr std::uint32_t kPressureZeroed = 10607;
constexpr std::uint32_t kTurbidityCalibration = 10662;  // then slope, offset
constexpr std::uint32_t kLuvoCalibration = 10665;       // then cap serial number, slope, offset
constexpr std::uint32_t kOrpCalibration = 10669;        // then offset

const char* S(std::uint32_t id) { return GetSystemString(id).c_str(); }

}  // namespace

// --- TDS factor -------------------------------------------------------------------------------------

void CTMUserNote_Calibrate_TDSFactor::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.tdsFactor);
  if (Record().version > 0) p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibrate_TDSFactor::FromRecord(const CTMLogNotesRecord& record) {
  const PayloadSize size = record.version == 0 ? PayloadSize{8, true} : PayloadSize{10};
  return DecodeUserNote(record, kSubType, size, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibrate_TDSFactor::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibrate_TDSFactor::Build(std::uint32_t serialNumber, float tdsFactor) {
  return ComposeUserNote(kSubType, 1, [&](CTMNotePayload& p) {
    values_ = {serialNumber, tdsFactor, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibrate_TDSFactor::GetText() const {
  return GuardedText([this] {
    std::string text = StrFormat("%s: %u  %s: %g", S(kSensorSn), values_.serialNumber, S(kTdsFactor),
                                 static_cast<double>(values_.tdsFactor));
    if (!values_.userName.empty()) text += StrFormat(" %s: %s", S(kUserName), values_.userName.c_str());
    return text;
  });
}

// --- Conductivity -----------------------------------------------------------------------------------

void CTMUserNote_Calibrate_Conductivity::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.cellConstant);
  p.Field(values_.cellOffset);
  p.Field(values_.referenceTemperature);
  p.Field(values_.temperatureCoefficient);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibrate_Conductivity::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {22}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibrate_Conductivity::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibrate_Conductivity::Build(std::uint32_t serialNumber, float cellConstant, float cellOffset,
                                                     float referenceTemperature, float temperatureCoefficient) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, cellConstant, cellOffset, referenceTemperature, temperatureCoefficient, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibrate_Conductivity::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    return StrFormat("%s\n%s: %u\n%s: %g  %s: %g\n%s: %g  %s: %g", S(kConductivityCalibration), S(kSensorSn),
                     v.serialNumber, S(kCellConstant), static_cast<double>(v.cellConstant), S(kCellOffset),
                     static_cast<double>(v.cellOffset), S(kReferenceTemperature),
                     static_cast<double>(v.referenceTemperature), S(kTemperatureCoefficient),
                     static_cast<double>(v.temperatureCoefficient)) +
           UserNameTail(v.userName);
  });
}

// --- Specific-conductance curve ---------------------------------------------------------------------

void CTMUserNote_SpecCondCurve::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.referenceTemperature);
  p.Field(values_.temperatureCoefficient);
  p.Floats(values_.curveCoefficients, kCoefficientCount);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_SpecCondCurve::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {46}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_SpecCondCurve::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_SpecCondCurve::Build(std::uint32_t serialNumber, float referenceTemperature,
                                            float temperatureCoefficient) {
  try {
    const std::vector<float> zeros(kCoefficientCount, 0.0f);
    return BuildFromValues(serialNumber, referenceTemperature, temperatureCoefficient, zeros);
  } catch (const std::exception&) {
    return tvk::kUnexpected;
  }
}

ResultCode CTMUserNote_SpecCondCurve::BuildFromValues(std::uint32_t serialNumber, float referenceTemperature,
                                                      float temperatureCoefficient,
                                                      const std::vector<float>& curveCoefficients) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, referenceTemperature, temperatureCoefficient, curveCoefficients, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_SpecCondCurve::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    std::string coefficients;
    for (float c : v.curveCoefficients) {
      if (!coefficients.empty()) coefficients += ' ';
      coefficients += StrFormat("%g", static_cast<double>(c));
    }
    return StrFormat("%s: %u  %s: %g  %s: %g  %s: %s", S(kSensorSn), v.serialNumber, S(kReferenceTemperature),
                     static_cast<double>(v.referenceTemperature), S(kTemperatureCoefficient),
                     static_cast<double>(v.temperatureCoefficient), S(kCurveCoefficient), coefficients.c_str()) +
           UserNameTail(v.userName);
  });
}

// --- Serial number and value ------------------------------------------------------------------------

void CTMSerialValueNote::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.value);
  p.CountedString(values_.userName);
}

ResultCode CTMSerialValueNote::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, subType_, {10}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMSerialValueNote::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMSerialValueNote::Build(std::uint32_t serialNumber, float value) {
  return ComposeUserNote(subType_, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, value, CurrentUser()};
    Layout(p);
  });
}

std::string CTMSerialValueNote::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s: %u  %s: %g", S(kSensorSn), values_.serialNumber, S(labelId_),
                     static_cast<double>(values_.value)) +
           UserNameTail(values_.userName);
  });
}

// --- Zero pressure sensor ---------------------------------------------------------------------------

void CTMUserNote_Calibration_ZeroPressureSensor::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.pressureOffset);
  p.Field(values_.pressureUnit);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibration_ZeroPressureSensor::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {12}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibration_ZeroPressureSensor::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibration_ZeroPressureSensor::Build(std::uint32_t serialNumber, float pressureOffset,
                                                             std::uint16_t pressureUnit) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, pressureOffset, pressureUnit, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibration_ZeroPressureSensor::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    return StrFormat("%s: %u  %s [%s: %g(%s)]", S(kSensorSn), v.serialNumber, S(kPressureZeroed), S(kPressureOffset),
                     static_cast<double>(v.pressureOffset), tvk::GetUnitAbbreviation(v.pressureUnit).c_str()) +
           UserNameTail(v.userName);
  });
}

// --- Turbidity --------------------------------------------------------------------------------------

void CTMUserNote_Calibrate_Turbidity::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.slope);
  p.Field(values_.offset);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibrate_Turbidity::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {14}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibrate_Turbidity::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibrate_Turbidity::Build(std::uint32_t serialNumber, float slope, float offset) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, slope, offset, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibrate_Turbidity::GetText() const {
  return GuardedText([this] {
    const std::uint32_t id = kTurbidityCalibration;
    return StrFormat("%s\n%s: %u\n%s: %g  %s: %g", S(id), S(kSensorSn), values_.serialNumber, S(id + 1),
                     static_cast<double>(values_.slope), S(id + 2), static_cast<double>(values_.offset)) +
           UserNameTail(values_.userName);
  });
}

// --- Luvo -------------------------------------------------------------------------------------------

void CTMUserNote_Calibrate_Luvo::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.capSerialNumber);
  p.Field(values_.slope);
  p.Field(values_.offset);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibrate_Luvo::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {18}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibrate_Luvo::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibrate_Luvo::Build(std::uint32_t serialNumber, std::uint32_t capSerialNumber, float slope,
                                             float offset) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, capSerialNumber, slope, offset, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibrate_Luvo::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    const std::uint32_t id = kLuvoCalibration;
    return StrFormat("%s\n%s: %u  %s: %u\n%s: %g  %s: %g", S(id), S(kSensorSn), v.serialNumber, S(id + 1),
                     v.capSerialNumber, S(id + 2), static_cast<double>(v.slope), S(id + 3),
                     static_cast<double>(v.offset)) +
           UserNameTail(v.userName);
  });
}

// --- ORP --------------------------------------------------------------------------------------------

void CTMUserNote_Calibrate_ORP::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.offset);
  p.CountedString(values_.userName);
}

ResultCode CTMUserNote_Calibrate_ORP::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, kSubType, {10}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMUserNote_Calibrate_ORP::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMUserNote_Calibrate_ORP::Build(std::uint32_t serialNumber, float offset) {
  return ComposeUserNote(kSubType, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, offset, CurrentUser()};
    Layout(p);
  });
}

std::string CTMUserNote_Calibrate_ORP::GetText() const {
  return GuardedText([this] {
    return StrFormat("%s\n%s: %u\n%s: %g", S(kOrpCalibration), S(kSensorSn), values_.serialNumber,
                     S(kOrpCalibration + 1), static_cast<double>(values_.offset)) +
           UserNameTail(values_.userName);
  });
}

// --- Two-segment calibrations -----------------------------------------------------------------------

void CTMTwoSegmentCalibrationNote::Layout(CTMNotePayload& p) {
  p.Field(values_.serialNumber);
  p.Field(values_.segmentCount);
  p.Field(values_.slope1);
  p.Field(values_.offset1);
  p.Field(values_.slope2);
  p.Field(values_.offset2);
  p.CountedString(values_.userName);
}

ResultCode CTMTwoSegmentCalibrationNote::FromRecord(const CTMLogNotesRecord& record) {
  return DecodeUserNote(record, subType_, {26}, [this](CTMNotePayload& p) { Layout(p); });
}

void CTMTwoSegmentCalibrationNote::Reset() {
  CTMStdNote::Reset();
  values_ = {};
}

ResultCode CTMTwoSegmentCalibrationNote::Build(std::uint32_t serialNumber, std::uint16_t segmentCount, float slope1,
                                               float offset1, float slope2, float offset2) {
  return ComposeUserNote(subType_, 0, [&](CTMNotePayload& p) {
    values_ = {serialNumber, segmentCount, slope1, offset1, slope2, offset2, CurrentUser()};
    Layout(p);
  });
}

std::string CTMTwoSegmentCalibrationNote::GetText() const {
  return GuardedText([this] {
    const Values& v = values_;
    const std::uint32_t title = firstLabelId_;
    const char* slope = S(title + 3);
    const char* offset = S(title + 4);
    std::string text = StrFormat("%s\n%s: %u\n%s:\n%s: %g  %s: %g", S(title), S(kSensorSn), v.serialNumber,
                                 S(title + 1), slope, static_cast<double>(v.slope1), offset,
                                 static_cast<double>(v.offset1));
    if (v.segmentCount == 2) {
      text += StrFormat("\n%s:\n%s: %g  %s: %g", S(title + 2), slope, static_cast<double>(v.slope2), offset,
                        static_cast<double>(v.offset2));
    }
    return text + UserNameTail(v.userName);
  });
}

}  // namespace TMSystem
