#pragma once
// The user's choices for one log and how they reach the corrector: the rules the wizard's pages apply
// on leaving and that `tavisko correct` repeats, kept here once so both faces correct alike. Qt-free.
//
// A wizard page calls the Apply function of its step when it is left; a batch run fills a
// CorrectionChoices (DefaultChoices gives what the pages preselect) and calls ApplyChoices.

#include <cstdint>
#include <string>
#include <vector>

#include "common/DeviceTime.h"
#include "common/LocalTime.h"
#include "correction/LevelSettings.h"
#include "correction/RowTimes.h"

namespace tvk {

class CLevelCorrector;

// The three presets of the specific gravity; compared with a recorded value exactly, as floats.
enum class SpecificGravityPreset { Fresh, Brackish, Sea, Custom };
inline constexpr float kFreshWaterSpecificGravity = 0.999f;
inline constexpr float kBrackishWaterSpecificGravity = 1.012f;
inline constexpr float kSeaWaterSpecificGravity = 1.024f;

// The preset's value; 0 for Custom, which has none.
float SpecificGravityOf(SpecificGravityPreset preset);
// The preset whose value equals `value` exactly, else Custom: the button a page preselects.
SpecificGravityPreset PresetOf(float value);

// Whether the reference step belongs to a pass that converts into `mode` (pressure head has none).
bool NeedsReference(std::uint16_t mode);

// Whether the specific gravity chosen for the loaded log is stored: not for a log recorded with a
// dynamic density, where any non-zero factor counts (a negative one too) besides automatic density
// correction. The page still offers the choice for a negative factor; only the storing refuses it.
bool ShouldStoreSpecificGravity(const CLevelCorrector& corrector);

struct CorrectionChoices {
  std::uint16_t mode = kModeDepth;         // kModeDepth, kModeDepthToWater or kModeSurfaceElevation
  int referenceRow = -1;                   // the data point of the reference; -1 = set at test definition
  float referenceValue = 0.0f;             // in the log's level unit
  float specificGravity = 1.0f;            // ignored when ShouldStoreSpecificGravity is false
};

// What the pages preselect for the loaded log: its recorded mode, reference value and specific
// gravity, and, for a log recorded in pressure head (which has no reference at test definition),
// its first data point.
CorrectionChoices DefaultChoices(const CLevelCorrector& corrector);

// Each of these returns 1, or 0 with the reason in `error` (the corrector's error text when one of its
// setters failed). They write the log in memory only.
//
// The mode page: the new level measurement mode.
int ApplyMode(CLevelCorrector& corrector, std::uint16_t mode, std::string& error);
// The reference page: the data point (-1 for none; set only on a loaded log), the new reference value
// and, for a log referenced at the start of the test, the same value as the new level offset.
int ApplyReference(CLevelCorrector& corrector, int referenceRow, float value, std::string& error);
// The specific gravity page: stores `value` unless ShouldStoreSpecificGravity says no (then 1).
int ApplySpecificGravity(CLevelCorrector& corrector, float value, std::string& error);
// All steps in the wizard's order: mode; the reference only when NeedsReference(mode); the specific
// gravity. Refuses a mode other than 3, 4, 5 and a reference row outside the log.
int ApplyChoices(CLevelCorrector& corrector, const CorrectionChoices& choices, std::string& error);

// How the reference page shows row times: each as its FormatDateTime text, and the time that text
// reads back as. Reading back gives the displayed calendar fields (UTC or local time, as the settings
// say) as a device time, with the seconds' fraction and every field the pictures do not show cleared,
// so two times with the same text read back alike.
class DataPointDisplay {
 public:
  explicit DataPointDisplay(const DisplaySnapshot& snapshot);

  std::string Text(const TMSystem::CTMDeviceTime& utc) const;
  TMSystem::CTMDeviceTime ReadBack(const TMSystem::CTMDeviceTime& utc) const;

  // How far apart (in seconds) two times can be whose texts begin one with the other; 0 when that
  // cannot be bounded (a field without leading zeros that grows into a longer text beginning with the
  // shorter, or a text that leaves out the year, month, day, hour, minute or the half of the day).
  std::uint32_t SameTextSpan() const { return sameTextSpan_; }

 private:
  DisplaySnapshot snapshot_;
  bool showsYear_ = true, showsMonth_ = true, showsDay_ = true;
  bool showsHour_ = true, showsMinute_ = true, showsSecond_ = true;
  std::uint32_t sameTextSpan_ = 0;
};

// The list line the reference page selects for a picked time. `target` is in the display's terms: the
// pickers' date and time of day through DeviceTimeFromFields, or ReadBack of a UTC time. Row times are compared through ReadBack,
// so at the resolution of their text: a binary search finds the two rows around `target`, the nearer
// wins and a tie goes to the earlier. The answer is then the first line whose text begins with the
// nearest row's text (letter case ignored), searching from the second line to the last and then the
// first, as a list box finds a string: rows that show the same text select the first of them in that
// order. -1 for a log without rows. The line search formats the texts of the rows within
// SameTextSpan of the nearest one when the rows rise in time, else up to one text per row.
int FindNearestRow(const RowTimeList& rowTimes, const TMSystem::CTMDeviceTime& target, const DataPointDisplay& display);

}  // namespace tvk
