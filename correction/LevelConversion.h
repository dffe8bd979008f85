#pragma once
// The two passes of a level correction: every level value back to a normalised pressure head (metres
// of fresh water) with the settings it was recorded with, then forward into the level column of the
// new settings. Pure functions over values, so they are tested without files.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/DeviceTime.h"
#include "correction/LevelSettings.h"
#include "correction/UnitConverter.h"
#include "logfile/DataBlock.h"

namespace tvk {

// What the conversion takes from a level-reference note: the reference was set again at `time`.
struct LevelReferenceChange {
  TMSystem::CTMDeviceTime time;
  float referenceValue = 0.0f;  // in levelUnit
  float depth = 0.0f;           // in levelUnit
  std::uint16_t levelUnit = 0;
  float headPressure = 0.0f;    // in pressureUnit
  std::uint16_t pressureUnit = 0;
};

// Metres of water per psi, as single precision.
constexpr float kMetresOfWaterPerPsi = 0.70307f;

// Cells with these status codes are not computed values; the mode formulas leave them alone.
inline bool IsUnconvertedStatus(std::uint16_t status) {
  const unsigned code = status & 0xFFU;  // the status byte of the file
  return code == 3 || code == 4 || code == 7 || code == 8;
}

inline constexpr const char* kConversionFailed = "Unit conversion failed";
inline constexpr const char* kInvalidMode = "Invalid measurement mode";

// Called with the index of the row about to be converted and the row count; returning false stops
// the pass, which then fails with kStoppedMessage.
using RowProgress = std::function<bool(std::size_t index, std::size_t count)>;

inline constexpr const char* kStoppedMessage = "Correction stopped.";

struct ToHeadInput {
  const LevelSettings& original;
  std::uint16_t levelChannelUnit = 0;  // unit of the recorded level values
  const std::vector<TMSystem::CTMDataValue>& levels;
  const std::vector<TMSystem::CTMDeviceTime>& rowTimes;
  const std::vector<LevelReferenceChange>& changes;  // in log order
};

struct FromHeadInput {
  const LevelSettings& updated;
  float referenceOffset = 0.0f;  // from the first pass
  const std::vector<TMSystem::CTMDataValue>& heads;
  int referenceRowIndex = -1;  // the row the new reference was taken at; negative for none
};

// The first pass one row at a time, rows in order from the first: what a correction that streams its
// rows uses, and what ToPressureHead is made of, so both give the same bits.
class CHeadPass {
 public:
  // 0 with the reason when the recorded settings cannot be turned back into heads.
  int Begin(const LevelSettings& original, std::uint16_t levelChannelUnit,
            const std::vector<LevelReferenceChange>& changes, std::string& errorText);
  float ReferenceOffset() const { return refOffset_; }
  // Whether a level-reference change is still to come (the next row's time is then needed).
  bool ChangePending() const { return next_ < changes_->size(); }
  // The next row: applies the change due at `time` (at most one per row), then turns `cell` into its
  // head in place. nullptr, or the reason it failed. Inline, as a streamed save calls it for every row.
  const char* Row(const TMSystem::CTMDeviceTime& time, TMSystem::CTMDataValue& cell) {
    if (ChangePending() && !TMSystem::DeviceTimeLess(time, (*changes_)[next_].time)) {
      if (const char* failure = ApplyNextChange()) return failure;
    }
    if (IsUnconvertedStatus(cell.status)) return nullptr;
    if (!convertible_) return kConversionFailed;
    const auto v = static_cast<float>(toMetre_.Apply(cell.value));
    switch (mode_) {
      case kModeDepth:
        cell.value = v * sgOld_;
        return nullptr;
      case kModeDepthToWater:
        cell.value = (ref_ - v) * sgOld_ + off_;
        return nullptr;
      case kModeSurfaceElevation:
        cell.value = (v - ref_) * sgOld_ + off_;
        return nullptr;
      default:
        return kInvalidMode;
    }
  }

 private:
  const std::vector<LevelReferenceChange>* changes_ = nullptr;
  std::size_t next_ = 0;
  std::uint16_t mode_ = 0;
  bool convertible_ = false;  // the recorded level unit has a rule into metres
  CUnitConversion toMetre_;
  float sgOld_ = 0.0f, ref_ = 0.0f, refOffset_ = 0.0f, off_ = 0.0f;
  bool dynamic_ = false;

  const char* ApplyNextChange();
};

// The second pass one row at a time; FromPressureHead is made of it.
class CLevelPass {
 public:
  // 0 with the reason when the new settings cannot be applied.
  int Begin(const LevelSettings& updated, float referenceOffset, std::string& errorText);
  // The head of the reference data point's row; 0 when there is none.
  void SetBase(float head) { base_ = head; }
  // One head into the new level, in place. nullptr, or the reason it failed.
  const char* Row(TMSystem::CTMDataValue& cell) const {
    float v = cell.value;
    if (!IsUnconvertedStatus(cell.status)) {
      if (const char* failure = FromHead(mode_, cell.value, refOffset_, ref_, base_, sgNew_, v)) return failure;
    }
    if (!convertible_) return kConversionFailed;
    cell.value = static_cast<float>(fromMetre_.Apply(v));
    return nullptr;
  }

 private:
  // A head `h` into the level of `mode`, in single precision as the log stores it.
  static const char* FromHead(std::uint16_t mode, float h, float refOffset, float ref, float base, float sgNew,
                              float& v) {
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

  std::uint16_t mode_ = 0;
  bool convertible_ = false;  // metres have a rule into the new level unit
  CUnitConversion fromMetre_;
  float refOffset_ = 0.0f, ref_ = 0.0f, base_ = 0.0f, sgNew_ = 1.0f;
};

// Fills `heads` (one per level value, statuses kept) and `referenceOffset`. 0 with the reason in
// `errorText` on failure; `heads` is then of no meaning. `heads` may be `in.levels` itself, converted
// in place.
int ToPressureHead(const ToHeadInput& in, std::vector<TMSystem::CTMDataValue>& heads, float& referenceOffset,
                   std::string& errorText, const RowProgress& progress = {});

// Fills `newValues` (one per head, statuses kept). 0 with the reason in `errorText` on failure.
// `newValues` may be `in.heads` itself, converted in place.
int FromPressureHead(const FromHeadInput& in, std::vector<TMSystem::CTMDataValue>& newValues,
                     std::string& errorText, const RowProgress& progress = {});

}  // namespace tvk
