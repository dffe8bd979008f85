#include "correction/CorrectionChoices.h"

#include <algorithm>
#include <cstdlib>

#include "common/Utf.h"
#include "correction/LevelCorrector.h"

namespace tvk {

float SpecificGravityOf(SpecificGravityPreset preset) {
  switch (preset) {
    case SpecificGravityPreset::Fresh: return kFreshWaterSpecificGravity;
    case SpecificGravityPreset::Brackish: return kBrackishWaterSpecificGravity;
    case SpecificGravityPreset::Sea: return kSeaWaterSpecificGravity;
    case SpecificGravityPreset::Custom: break;
  }
  return 0.0f;
}

SpecificGravityPreset PresetOf(float value) {
  for (const auto preset : {SpecificGravityPreset::Fresh, SpecificGravityPreset::Brackish, SpecificGravityPreset::Sea}) {
    if (value == SpecificGravityOf(preset)) return preset;
  }
  return SpecificGravityPreset::Custom;
}

bool NeedsReference(std::uint16_t mode) { return mode == kModeDepthToWater || mode == kModeSurfaceElevation; }

bool ShouldStoreSpecificGravity(const CLevelCorrector& corrector) {
  // Both queries answer 0 for a corrector without a log.
  return corrector.GetDynamicSpecificGravityFactor() == 0.0f && corrector.GetAutomaticDensityCorrection() == 0;
}

CorrectionChoices DefaultChoices(const CLevelCorrector& corrector) {
  CorrectionChoices choices;
  choices.mode = corrector.GetLevelMeasurementMode();
  const bool recordedAsHead = corrector.IsLoaded() && choices.mode == kModeDepth;
  choices.referenceRow = recordedAsHead && corrector.GetRowCount() > 0 ? 0 : -1;
  choices.referenceValue = corrector.GetLevelReferenceVal();
  choices.specificGravity = corrector.GetSpecificGravity();
  return choices;
}

int ApplyMode(CLevelCorrector& corrector, std::uint16_t mode, std::string& error) {
  if (corrector.SetNewLevelMeasurementMode(mode)) return 1;
  error = corrector.GetErrorText();
  return 0;
}

int ApplyReference(CLevelCorrector& corrector, int referenceRow, float value, std::string& error) {
  if (corrector.IsLoaded()) corrector.SetReferenceRowIndex(referenceRow);
  const bool stored = corrector.SetNewLevelReferenceVal(value) &&
                      (corrector.GetLevelReferenceMode() != kReferenceAtStartOfTest || corrector.SetNewLevelOffset(value));
  if (!stored) error = corrector.GetErrorText();
  return stored ? 1 : 0;
}

int ApplySpecificGravity(CLevelCorrector& corrector, float value, std::string& error) {
  if (!ShouldStoreSpecificGravity(corrector) || corrector.SetNewSpecificGravity(value)) return 1;
  error = corrector.GetErrorText();
  return 0;
}

int ApplyChoices(CLevelCorrector& corrector, const CorrectionChoices& choices, std::string& error) {
  if (choices.mode != kModeDepth && !NeedsReference(choices.mode)) {
    error = "no level measurement mode chosen";
    return 0;
  }
  const auto rows = corrector.GetRowCount();
  if (choices.referenceRow < -1 || (choices.referenceRow >= 0 && static_cast<std::size_t>(choices.referenceRow) >= rows)) {
    error = "row " + std::to_string(choices.referenceRow) + " is not in the log (" + std::to_string(rows) + " rows)";
    return 0;
  }
  if (!ApplyMode(corrector, choices.mode, error)) return 0;
  if (NeedsReference(choices.mode) && !ApplyReference(corrector, choices.referenceRow, choices.referenceValue, error)) {
    return 0;
  }
  return ApplySpecificGravity(corrector, choices.specificGravity, error);
}

namespace {

// Both parts of the display text, for calendar fields as shown.
std::string FieldsText(const DisplaySnapshot& snapshot, const SystemTime& shown) {
  return FormatWithPicture(snapshot.datePicture, shown) + " " + FormatWithPicture(snapshot.timePicture, shown);
}

double Seconds(const TMSystem::CTMDeviceTime& time) { return time.AsSeconds(); }

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

DataPointDisplay::DataPointDisplay(const DisplaySnapshot& snapshot) : snapshot_(snapshot) {
  // A field is shown when changing it alone changes the text.
  const SystemTime base = MakeSystemTime(2021, 3, 4, 5, 6, 7, 0);
  const std::string baseText = FieldsText(snapshot_, base);
  const auto shows = [&](std::uint16_t SystemTime::*field, int value) {
    SystemTime changed = base;
    changed.*field = static_cast<std::uint16_t>(value);
    return FieldsText(snapshot_, changed) != baseText;
  };
  showsYear_ = shows(&SystemTime::year, 2022);
  showsMonth_ = shows(&SystemTime::month, 4);
  showsDay_ = shows(&SystemTime::day, 5);
  showsHour_ = shows(&SystemTime::hour, 6);
  showsMinute_ = shows(&SystemTime::minute, 7);
  showsSecond_ = shows(&SystemTime::second, 8);

  // Texts of one length begin one with the other only when equal; showing every field down to the
  // minute and the half of the day, equal texts then lie within a minute of local time, plus the
  // daylight shift of the zone when local time is shown.
  const std::size_t length = baseText.size();
  bool fixedLength = true;
  const auto probe = [&](const SystemTime& time) { fixedLength = fixedLength && FieldsText(snapshot_, time).size() == length; };
  for (int year : {1970, 2009, 2049}) probe(MakeSystemTime(year, 3, 4, 5, 6, 7, 0));
  for (int month = 1; month <= 12; ++month) {
    for (int day : {1, 9, 10, 28}) probe(MakeSystemTime(2021, month, day, 5, 6, 7, 0));
  }
  for (int hour = 0; hour < 24; ++hour) probe(MakeSystemTime(2021, 3, 4, hour, 6, 7, 0));
  for (int value : {0, 9, 10, 59}) {
    probe(MakeSystemTime(2021, 3, 4, 5, value, 7, 0));
    probe(MakeSystemTime(2021, 3, 4, 5, 6, value, 0));
    probe(MakeSystemTime(2021, 3, 4, 5, 6, 7, value * 10));
  }
  // Texts of varying length keep apart too when no field without leading zeros can grow into a longer
  // one that begins with it (3 seconds, then 34).
  const auto grows = [&](const SystemTime& small, const SystemTime& large) {
    const std::string a = FieldsText(snapshot_, small), b = FieldsText(snapshot_, large);
    return a.size() != b.size() && (b.starts_with(a) || a.starts_with(b));
  };
  const SystemTime early = MakeSystemTime(2021, 1, 3, 1, 3, 3, 0);
  bool grown = false;
  for (const SystemTime& later : {MakeSystemTime(2021, 1, 3, 1, 3, 34, 0), MakeSystemTime(2021, 1, 3, 1, 34, 3, 0),
                                  MakeSystemTime(2021, 1, 3, 13, 3, 3, 0), MakeSystemTime(2021, 1, 3, 11, 3, 3, 0),
                                  MakeSystemTime(2021, 1, 31, 1, 3, 3, 0), MakeSystemTime(2021, 11, 3, 1, 3, 3, 0)}) {
    grown = grown || grows(early, later);
  }
  const bool showsHalfDay = FieldsText(snapshot_, MakeSystemTime(2021, 3, 4, 17, 6, 7, 0)) != baseText;
  if ((fixedLength || !grown) && showsHalfDay && showsYear_ && showsMonth_ && showsDay_ && showsHour_ && showsMinute_) {
    const auto& zone = snapshot_.zone;
    const bool shifts = !snapshot_.useUtc && !snapshot_.ignoreDst && zone.HasDaylightRule();
    const auto shiftMinutes = shifts ? std::abs(zone.daylightBias - zone.standardBias) : 0;
    sameTextSpan_ = 60 + 60 * static_cast<std::uint32_t>(shiftMinutes);
  }
}

std::string DataPointDisplay::Text(const TMSystem::CTMDeviceTime& utc) const {
  return FormatDateTime(TMSystem::DeviceTimeToSystemTime(utc), snapshot_);
}

TMSystem::CTMDeviceTime DataPointDisplay::ReadBack(const TMSystem::CTMDeviceTime& utc) const {
  const SystemTime shown = DisplayedFields(TMSystem::DeviceTimeToSystemTime(utc), snapshot_);
  // A year the text does not show is read as the one shown, which is as good as any.
  return TMSystem::DeviceTimeFromFields(shown.year, showsMonth_ ? shown.month : 1, showsDay_ ? shown.day : 1,
                                        showsHour_ ? shown.hour : 0, showsMinute_ ? shown.minute : 0,
                                        showsSecond_ ? shown.second : 0);
}

int FindNearestRow(const RowTimeList& rowTimes, const TMSystem::CTMDeviceTime& target, const DataPointDisplay& display) {
  if (rowTimes.empty()) return -1;
  const auto shown = [&](std::size_t i) { return Seconds(display.ReadBack(rowTimes[i])); };
  const double wanted = Seconds(target);
  std::size_t lo = 0;
  std::size_t hi = rowTimes.size() - 1;
  // hi shrinks by the half step only, so it can stay one row above mid: still a row at or after target.
  while (hi - lo > 1) {
    const std::size_t h = (hi - lo) / 2;
    if (wanted <= shown(lo + h)) {
      hi -= h;
    } else {
      lo += h;
    }
  }
  const std::size_t nearest = shown(hi) - wanted < wanted - shown(lo) ? hi : lo;

  const std::string text = display.Text(rowTimes[nearest]);
  const auto matches = [&](std::size_t line) { return StartsWithIgnoreCase(display.Text(rowTimes[line]), text); };
  // Rows rising in time: only those within the span can show the text, a block of lines around the
  // nearest row, so the line search starts at the block's first line.
  const std::uint32_t span = display.SameTextSpan();
  if (span > 0 && rowTimes.Rising()) {
    const double from = Seconds(rowTimes[nearest]) - span - 1;
    std::size_t first = 0;  // the first row at or after `from`, by bisection below `nearest`
    for (std::size_t end = nearest; first < end;) {
      const std::size_t mid = first + (end - first) / 2;
      if (Seconds(rowTimes[mid]) < from) {
        first = mid + 1;
      } else {
        end = mid;
      }
    }
    std::size_t line = std::max<std::size_t>(first, 1);
    for (; line < nearest; ++line) {
      if (matches(line)) return static_cast<int>(line);
    }
    if (nearest > 0) return static_cast<int>(nearest);
    // The nearest is line 0, searched last: a later row of the same text comes first.
    const double to = Seconds(rowTimes[0]) + span + 1;
    for (line = 1; line < rowTimes.size() && Seconds(rowTimes[line]) <= to; ++line) {
      if (matches(line)) return static_cast<int>(line);
    }
    return 0;
  }
  for (std::size_t k = 1; k <= rowTimes.size(); ++k) {
    const std::size_t line = k % rowTimes.size();
    if (line == nearest || StartsWithIgnoreCase(display.Text(rowTimes[line]), text)) return static_cast<int>(line);
  }
  return static_cast<int>(nearest);
}

}  // namespace tvk
