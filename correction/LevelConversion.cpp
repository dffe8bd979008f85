#include "correction/LevelConversion.h"

#include <exception>

#include "common/ResultCodes.h"
#include "common/ResultMessages.h"
#include "correction/UnitConverter.h"
#include "platform/Memory.h"

namespace tvk {
namespace {

using TMSystem::CTMDataValue;

constexpr const char* kUnknownMode = "Unknown measurement mode";
constexpr const char* kUnknownGravity = "Unknown specific gravity";
constexpr const char* kUnknownUnits = "Unknown level units";
constexpr const char* kUnknownReference = "Unknown reference value";
constexpr const char* kUnknownDepth = "Unknown reference depth";

// The converter works in double; every quantity of the passes is single precision.
bool ConvertToFloat(std::uint16_t from, std::uint16_t to, float value, float& out) {
  double result = 0.0;
  if (ConvertUnit(from, result, to, value) == 0) return false;
  out = static_cast<float>(result);
  return true;
}

int Fail(std::string& errorText, const char* message) {
  errorText = message;
  return 0;
}

// The checks shared by both passes.
const char* MissingSetting(const LevelSettings& settings) {
  if (!settings.Has(LevelField::kLevelMeasurementMode)) return kUnknownMode;
  if (!settings.Has(LevelField::kSpecificGravity)) return kUnknownGravity;
  if (!settings.Has(LevelField::kLevelUnitId)) return kUnknownUnits;
  return nullptr;
}

const char* MissingReference(const LevelSettings& settings) {
  if (!settings.Has(LevelField::kLevelReferenceVal)) return kUnknownReference;
  if (!settings.Has(LevelField::kLevelRefDepthOfProbe)) return kUnknownDepth;
  return nullptr;
}

bool UsesReference(std::uint16_t mode) { return mode == kModeDepthToWater || mode == kModeSurfaceElevation; }

// The probe-depth part of the recorded reference, in level units. Without a head pressure there is
// nothing to scale by, and the part is taken as 0 rather than spreading an infinity over the column.
float ProbeDepthAtReference(const LevelSettings& original) {
  const float pressure = original.GetFloat(LevelField::kLevelRefPressure);
  const float depth = original.GetFloat(LevelField::kLevelRefDepthOfProbe);
  const float headPressure = original.GetFloat(LevelField::kLevelRefHeadPressure);
  if (headPressure == 0.0f) return 0.0f;
  return pressure * depth / headPressure;
}

int RunToHead(const ToHeadInput& in, std::vector<CTMDataValue>& heads, float& referenceOffset,
              std::string& errorText, const RowProgress& progress) {
  CHeadPass pass;
  if (pass.Begin(in.original, in.levelChannelUnit, in.changes, errorText) == 0) return 0;
  referenceOffset = pass.ReferenceOffset();

  const bool inPlace = &heads == &in.levels;
  if (!inPlace) {
    heads.clear();
    platform::ReserveLarge(heads, in.levels.size());
  }
  for (std::size_t i = 0; i < in.levels.size(); ++i) {
    if (progress && !progress(i, in.levels.size())) return Fail(errorText, kStoppedMessage);
    if (pass.ChangePending() && i >= in.rowTimes.size()) {
      errorText = GetResultCodeMessage(kRowReadFailed);
      return 0;
    }
    CTMDataValue cell = in.levels[i];
    const TMSystem::CTMDeviceTime time = i < in.rowTimes.size() ? in.rowTimes[i] : TMSystem::CTMDeviceTime{};
    if (const char* failure = pass.Row(time, cell)) return Fail(errorText, failure);
    if (inPlace) {
      heads[i] = cell;
    } else {
      heads.push_back(cell);
    }
  }
  return 1;
}

int RunFromHead(const FromHeadInput& in, std::vector<CTMDataValue>& newValues, std::string& errorText,
                const RowProgress& progress) {
  CLevelPass pass;
  if (pass.Begin(in.updated, in.referenceOffset, errorText) == 0) return 0;
  if (in.referenceRowIndex >= 0 && static_cast<std::size_t>(in.referenceRowIndex) < in.heads.size()) {
    pass.SetBase(in.heads[static_cast<std::size_t>(in.referenceRowIndex)].value);
  }

  const bool inPlace = &newValues == &in.heads;
  if (!inPlace) {
    newValues.clear();
    platform::ReserveLarge(newValues, in.heads.size());
  }
  for (std::size_t i = 0; i < in.heads.size(); ++i) {
    if (progress && !progress(i, in.heads.size())) return Fail(errorText, kStoppedMessage);
    CTMDataValue cell = in.heads[i];
    if (const char* failure = pass.Row(cell)) return Fail(errorText, failure);
    if (inPlace) {
      newValues[i] = cell;
    } else {
      newValues.push_back(cell);
    }
  }
  return 1;
}

}  // namespace

int CHeadPass::Begin(const LevelSettings& original, std::uint16_t levelChannelUnit,
                     const std::vector<LevelReferenceChange>& changes, std::string& errorText) {
  *this = CHeadPass();
  changes_ = &changes;
  // Looked up once: every row converts from the same unit.
  convertible_ = toMetre_.Resolve(levelChannelUnit, kUnitMetre);
  if (const char* missing = MissingSetting(original)) return Fail(errorText, missing);
  dynamic_ = original.IsDynamicDensityUsed();
  sgOld_ = dynamic_ ? 1.0f : original.GetFloat(LevelField::kSpecificGravity);
  mode_ = original.GetUInt16(LevelField::kLevelMeasurementMode);
  if (!UsesReference(mode_)) return 1;
  // The recorded reference of modes 4 and 5, in metres; a reference taken at the start of the test is 0.
  if (const char* missing = MissingReference(original)) return Fail(errorText, missing);
  const std::uint16_t levelUnit = original.GetUInt16(LevelField::kLevelUnitId);
  float probe = 0.0f;
  if (!ConvertToFloat(levelUnit, kUnitMetre, ProbeDepthAtReference(original), probe)) {
    return Fail(errorText, kConversionFailed);
  }
  refOffset_ = probe * sgOld_;
  float ref = 0.0f;
  if (!ConvertToFloat(levelUnit, kUnitMetre, original.GetFloat(LevelField::kLevelReferenceVal), ref)) {
    return Fail(errorText, kConversionFailed);
  }
  ref_ = ref;
  if (original.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest) {
    ref_ = 0.0f;
    refOffset_ = 0.0f;
  }
  return 1;
}

const char* CHeadPass::ApplyNextChange() {
  const LevelReferenceChange& change = (*changes_)[next_];
  float ref = 0.0f;
  float depth = 0.0f;
  if (!ConvertToFloat(change.levelUnit, kUnitMetre, change.referenceValue, ref)) return kConversionFailed;
  if (!ConvertToFloat(change.levelUnit, kUnitMetre, change.depth, depth)) return kConversionFailed;
  ref_ = ref;
  const float h = depth * sgOld_;
  if (dynamic_) {
    off_ = h - refOffset_;
  } else {
    float psi = 0.0f;
    if (!ConvertToFloat(change.pressureUnit, kUnitPsi, change.headPressure, psi)) return kConversionFailed;
    off_ = psi * kMetresOfWaterPerPsi - refOffset_;
  }
  ++next_;
  return nullptr;
}

int CLevelPass::Begin(const LevelSettings& updated, float referenceOffset, std::string& errorText) {
  *this = CLevelPass();
  refOffset_ = referenceOffset;
  if (const char* missing = MissingSetting(updated)) return Fail(errorText, missing);
  sgNew_ = updated.GetFloat(LevelField::kSpecificGravity);
  if (updated.IsDynamicDensityUsed()) sgNew_ = 1.0f;
  // Every head is divided by it: a gravity of 0 would fill the column with infinities.
  if (sgNew_ == 0.0f) return Fail(errorText, kUnknownGravity);
  mode_ = updated.GetUInt16(LevelField::kLevelMeasurementMode);
  const std::uint16_t levelUnit = updated.GetUInt16(LevelField::kLevelUnitId);
  convertible_ = fromMetre_.Resolve(kUnitMetre, levelUnit);
  if (UsesReference(mode_)) {
    if (const char* missing = MissingReference(updated)) return Fail(errorText, missing);
    if (!ConvertToFloat(levelUnit, kUnitMetre, updated.GetFloat(LevelField::kLevelReferenceVal), ref_)) {
      return Fail(errorText, kConversionFailed);
    }
    if (updated.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest) ref_ = 0.0f;
  }
  return 1;
}

int ToPressureHead(const ToHeadInput& in, std::vector<CTMDataValue>& heads, float& referenceOffset,
                   std::string& errorText, const RowProgress& progress) {
  try {
    return RunToHead(in, heads, referenceOffset, errorText, progress);
  } catch (const std::exception&) {
    errorText = GetResultCodeMessage(kUnexpected);
    return 0;
  }
}

int FromPressureHead(const FromHeadInput& in, std::vector<CTMDataValue>& newValues, std::string& errorText,
                     const RowProgress& progress) {
  try {
    return RunFromHead(in, newValues, errorText, progress);
  } catch (const std::exception&) {
    errorText = GetResultCodeMessage(kUnexpected);
    return 0;
  }
}

}  // namespace tvk
