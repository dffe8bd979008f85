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
constexpr const char* kConversionFailed = "Unit conversion failed";
constexpr const char* kInvalidMode = "Invalid measurement mode";

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

// State of the first pass that level-reference notes change along the rows.
struct HeadState {
  float sgOld = 0.0f;
  float ref = 0.0f;
  float refOffset = 0.0f;
  float off = 0.0f;
  bool dynamic = false;
};

const char* ApplyReferenceChange(const LevelReferenceChange& change, HeadState& state) {
  float ref = 0.0f;
  float depth = 0.0f;
  if (!ConvertToFloat(change.levelUnit, kUnitMetre, change.referenceValue, ref)) return kConversionFailed;
  if (!ConvertToFloat(change.levelUnit, kUnitMetre, change.depth, depth)) return kConversionFailed;
  state.ref = ref;
  const float h = depth * state.sgOld;
  if (state.dynamic) {
    state.off = h - state.refOffset;
    return nullptr;
  }
  float psi = 0.0f;
  if (!ConvertToFloat(change.pressureUnit, kUnitPsi, change.headPressure, psi)) return kConversionFailed;
  state.off = psi * kMetresOfWaterPerPsi - state.refOffset;
  return nullptr;
}

const char* ToHead(std::uint16_t mode, float v, const HeadState& state, float& head) {
  switch (mode) {
    case kModeDepth:
      head = v * state.sgOld;
      return nullptr;
    case kModeDepthToWater:
      head = (state.ref - v) * state.sgOld + state.off;
      return nullptr;
    case kModeSurfaceElevation:
      head = (v - state.ref) * state.sgOld + state.off;
      return nullptr;
    default:
      return kInvalidMode;
  }
}

const char* FromHead(std::uint16_t mode, float h, float refOffset, float ref, float base, float sgNew, float& v) {
  switch (mode) {
    case kModeDepth:
      v = (refOffset + h) / sgNew;
      return nullptr;
    case kModeDepthToWater:
      v = ref - (h - base) / sgNew;
      return nullptr;
    case kModeSurfaceElevation:
      v = (h - base) / sgNew + ref;
      return nullptr;
    default:
      return kInvalidMode;
  }
}

// The recorded reference of modes 4 and 5, in metres; a reference taken at the start of the test is 0.
const char* RecordedReference(const LevelSettings& original, HeadState& state) {
  if (const char* missing = MissingReference(original)) return missing;
  const std::uint16_t levelUnit = original.GetUInt16(LevelField::kLevelUnitId);
  float probe = 0.0f;
  if (!ConvertToFloat(levelUnit, kUnitMetre, ProbeDepthAtReference(original), probe)) return kConversionFailed;
  state.refOffset = probe * state.sgOld;
  float ref = 0.0f;
  if (!ConvertToFloat(levelUnit, kUnitMetre, original.GetFloat(LevelField::kLevelReferenceVal), ref)) {
    return kConversionFailed;
  }
  state.ref = ref;
  if (original.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest) {
    state.ref = 0.0f;
    state.refOffset = 0.0f;
  }
  return nullptr;
}

int RunToHead(const ToHeadInput& in, std::vector<CTMDataValue>& heads, float& referenceOffset,
              std::string& errorText, const RowProgress& progress) {
  const LevelSettings& original = in.original;
  if (const char* missing = MissingSetting(original)) return Fail(errorText, missing);
  HeadState state;
  state.dynamic = original.IsDynamicDensityUsed();
  state.sgOld = state.dynamic ? 1.0f : original.GetFloat(LevelField::kSpecificGravity);
  const std::uint16_t mode = original.GetUInt16(LevelField::kLevelMeasurementMode);
  if (UsesReference(mode)) {
    if (const char* failure = RecordedReference(original, state)) return Fail(errorText, failure);
  }
  referenceOffset = state.refOffset;

  const bool inPlace = &heads == &in.levels;
  if (!inPlace) {
    heads.clear();
    platform::ReserveLarge(heads, in.levels.size());
  }
  std::size_t next = 0;
  for (std::size_t i = 0; i < in.levels.size(); ++i) {
    if (progress && !progress(i, in.levels.size())) return Fail(errorText, kStoppedMessage);
    if (next < in.changes.size()) {
      if (i >= in.rowTimes.size()) {
        errorText = GetResultCodeMessage(kRowReadFailed);
        return 0;
      }
      const LevelReferenceChange& change = in.changes[next];
      if (!TMSystem::DeviceTimeLess(in.rowTimes[i], change.time)) {
        if (const char* failure = ApplyReferenceChange(change, state)) return Fail(errorText, failure);
        ++next;
      }
    }
    CTMDataValue cell = in.levels[i];
    if (!IsUnconvertedStatus(cell.status)) {
      float v = 0.0f;
      if (!ConvertToFloat(in.levelChannelUnit, kUnitMetre, cell.value, v)) return Fail(errorText, kConversionFailed);
      if (const char* failure = ToHead(mode, v, state, cell.value)) return Fail(errorText, failure);
    }
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
  const LevelSettings& updated = in.updated;
  if (const char* missing = MissingSetting(updated)) return Fail(errorText, missing);
  float sgNew = updated.GetFloat(LevelField::kSpecificGravity);
  if (updated.IsDynamicDensityUsed()) sgNew = 1.0f;
  // Every head is divided by it: a gravity of 0 would fill the column with infinities.
  if (sgNew == 0.0f) return Fail(errorText, kUnknownGravity);

  const std::uint16_t mode = updated.GetUInt16(LevelField::kLevelMeasurementMode);
  const std::uint16_t levelUnit = updated.GetUInt16(LevelField::kLevelUnitId);
  float ref = 0.0f;
  if (UsesReference(mode)) {
    if (const char* missing = MissingReference(updated)) return Fail(errorText, missing);
    if (!ConvertToFloat(levelUnit, kUnitMetre, updated.GetFloat(LevelField::kLevelReferenceVal), ref)) {
      return Fail(errorText, kConversionFailed);
    }
    if (updated.GetUInt16(LevelField::kLevelReferenceMode) == kReferenceAtStartOfTest) ref = 0.0f;
  }
  float base = 0.0f;
  if (in.referenceRowIndex >= 0 && static_cast<std::size_t>(in.referenceRowIndex) < in.heads.size()) {
    base = in.heads[static_cast<std::size_t>(in.referenceRowIndex)].value;
  }

  const bool inPlace = &newValues == &in.heads;
  if (!inPlace) {
    newValues.clear();
    platform::ReserveLarge(newValues, in.heads.size());
  }
  for (std::size_t i = 0; i < in.heads.size(); ++i) {
    if (progress && !progress(i, in.heads.size())) return Fail(errorText, kStoppedMessage);
    CTMDataValue cell = in.heads[i];
    float v = cell.value;
    if (!IsUnconvertedStatus(cell.status)) {
      if (const char* failure = FromHead(mode, cell.value, in.referenceOffset, ref, base, sgNew, v)) {
        return Fail(errorText, failure);
      }
    }
    if (!ConvertToFloat(kUnitMetre, levelUnit, v, cell.value)) return Fail(errorText, kConversionFailed);
    if (inPlace) {
      newValues[i] = cell;
    } else {
      newValues.push_back(cell);
    }
  }
  return 1;
}

}  // namespace

bool IsUnconvertedStatus(std::uint16_t status) {
  const unsigned code = status & 0xFFU;  // the status byte of the file
  return code == 3 || code == 4 || code == 7 || code == 8;
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
