#include "correction/CorrectionPass.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/Format.h"
#include "common/StringTable.h"
#include "common/TextUtil.h"
#include "correction/LevelConversion.h"
#include "correction/LevelCorrector.h"

namespace tvk {

bool ParseDecimalFloat(std::string_view text, float& value) {
  // Digits with an optional point and exponent: no hexadecimal, "nan", "inf" or surrounding blanks.
  std::size_t i = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    return i - from;
  };
  std::size_t mantissa = digits();
  if (i < text.size() && text[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (digits() == 0) return false;
  }
  if (i != text.size()) return false;
  const std::size_t from = text.starts_with('+') ? 1 : 0;
  float parsed = 0;
  const auto [end, ec] = std::from_chars(text.data() + from, text.data() + text.size(), parsed);
  // Out of range either way: too large for a float, or so small that only a denormal holds it.
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(parsed) ||
      std::fpclassify(parsed) == FP_SUBNORMAL) {
    return false;
  }
  value = parsed;
  return true;
}

std::string SpecificGravityRefusal(float value) {
  return value > 0.0f ? std::string() : "The specific gravity must be above 0.";
}

bool IsUnusualSpecificGravity(float value) { return value < 0.9f || value > 1.3f; }

namespace {

const char* ModeName(std::uint16_t mode) {
  switch (mode) {
    case kModeDepth: return "Pressure head (Depth)";
    case kModeDepthToWater: return "Depth to water";
    case kModeSurfaceElevation: return "Elevation or gauge height/stage";
    default: return "";
  }
}

// Surrounding blanks are the field's, not the number's.
std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

CCorrectionPass::CCorrectionPass(std::shared_ptr<CLevelCorrector> corrector) : corrector_(std::move(corrector)) {
  rowCount_ = corrector_->GetRowCount();
  choices_ = DefaultChoices(*corrector_);
  if (!IsLevelMode(choices_.mode)) choices_.mode = 0;
  referenceText_ = StrFormat("%g", static_cast<double>(choices_.referenceValue));
  gravityPreset_ = PresetOf(choices_.specificGravity);
  gravityText_ = FormatGravity(choices_.specificGravity);
}

std::string CCorrectionPass::DescribeLog() const {
  const CLevelCorrector& c = *corrector_;
  const std::uint16_t mode = c.GetLevelMeasurementMode();
  std::string reference = "N/A";
  if (mode != kModeDepth) {
    const double value = c.GetLevelReferenceVal();
    if (c.GetLevelReferenceMode() == kReferenceAtStartOfTest) {
      reference = StrFormat("%0.3f %s", value, "Start of test");
    } else {
      reference = StrFormat("%0.3f %s, Pressure head:  %g %s", value, GetUnitAbbreviation(c.GetLevelUnitId()).c_str(),
                            static_cast<double>(c.GetLevelRefPressure()),
                            GetUnitAbbreviation(c.GetLevelRefPressureUnitId()).c_str());
    }
  }
  const std::string gravity = c.IsDynamicDensityUsed()
                                  ? std::string("Determined by dynamic density")
                                  : StrFormat("%1.3f", static_cast<double>(c.GetSpecificGravity()));
  return StrFormat("File information\r\n        %s: %s\r\n        %s: %s\r\n        %s: %s\r\n        %s: %s",
                   "File name", GetFileNamePart(c.GetPath()).c_str(), "Level measurement option", ModeName(mode),
                   "Level reference", reference.c_str(), "Specific gravity", gravity.c_str());
}

bool CCorrectionPass::IsModeOffered(std::uint16_t mode) const {
  if (mode == kModeDepthToWater || mode == kModeSurfaceElevation) return true;
  if (mode != kModeDepth || !corrector_->IsLoaded()) return false;
  return corrector_->GetLevelMeasurementMode() == kModeDepth ||
         corrector_->GetLevelReferenceMode() != kReferenceAtStartOfTest;
}

bool CCorrectionPass::ChooseMode(std::uint16_t mode, std::string& reason) {
  if (!IsLevelMode(mode)) {
    reason = "Choose a level measurement mode.";
    return false;
  }
  if (!IsModeOffered(mode)) {
    reason = "Log file data cannot be converted to depth mode.";
    return false;
  }
  choices_.mode = mode;
  return true;
}

bool CCorrectionPass::CanLeaveMode(std::string& reason) const {
  if (IsLevelMode(choices_.mode)) return true;
  reason = "Choose a level measurement mode.";
  return false;
}

std::string CCorrectionPass::ReferenceTitle() const {
  if (!NeedsReference()) return {};
  return StrFormat("Enter corrected level reference for \"%s\"", ModeName(choices_.mode));
}

std::string CCorrectionPass::RecordedReferenceText() const {
  if (corrector_->GetLevelReferenceMode() == kReferenceAtStartOfTest) {
    return StrFormat("%s %s", "Reference set with pressure head:", "Start of test");
  }
  return StrFormat("%s %g %s", "Reference set with pressure head:",
                   static_cast<double>(corrector_->GetLevelRefPressure()),
                   GetUnitAbbreviation(corrector_->GetLevelRefPressureUnitId()).c_str());
}

bool CCorrectionPass::CanReferenceAtTestDefinition() const {
  return !(HasRows() && corrector_->IsLoaded() && corrector_->GetLevelMeasurementMode() == kModeDepth);
}

bool CCorrectionPass::SetReference(int row, float value, std::string& reason) {
  if (row < 0 && !CanReferenceAtTestDefinition()) {
    reason = "This log has no reference set at test definition: choose a data point.";
    return false;
  }
  if (row >= 0 && static_cast<std::size_t>(row) >= rowCount_) {
    reason = "row " + std::to_string(row) + " is not in the log (" + std::to_string(rowCount_) + " rows)";
    return false;
  }
  SetReferenceChoice(row, value);
  readings_.clear();  // one reference replaces the readings
  return true;
}

void CCorrectionPass::SetReferenceChoice(int row, float value) {
  choices_.referenceRow = row < 0 ? -1 : row;
  choices_.referenceValue = value;
  referenceText_ = StrFormat("%g", static_cast<double>(value));
}

bool CCorrectionPass::SetReferenceText(int row, const std::string& valueText, std::string& reason) {
  const std::string text = Trimmed(valueText);
  float value = choices_.referenceValue;
  if (text != referenceText_ && !ParseDecimalFloat(text, value)) {
    reason = "The level reference must be a decimal number, such as 12.5.";
    return false;
  }
  if (!SetReference(row, value, reason)) return false;
  referenceText_ = text;
  return true;
}

std::string CCorrectionPass::ReferenceRefusal() const {
  if (NeedsReference()) return {};
  return "a level reference acts on depth to water and elevation only, and this pass converts to pressure head";
}

bool CCorrectionPass::DataPointAt(const TMSystem::CTMDeviceTime& utc, const DataPointDisplay& display, int& row,
                                  std::string& reason) const {
  const RowTimeList times = corrector_->RowTimes();
  if (times.empty()) {
    reason = "the log has no rows to take a data point at";
    return false;
  }
  const TMSystem::CTMDeviceTime target = display.ReadBack(utc);
  const bool before = target.AsSeconds() < display.ReadBack(times.front()).AsSeconds();
  if (before || target.AsSeconds() > display.ReadBack(times.back()).AsSeconds()) {
    reason = "the time " + display.Text(utc) + " lies " + (before ? "before the first row of the log (" : "after the last row of the log (") +
             display.Text(before ? times.front() : times.back()) + ")";
    return false;
  }
  row = FindNearestRow(times, target, display);
  return true;
}

bool CCorrectionPass::SetReadings(const std::vector<ManualReading>& readings, const DataPointDisplay& display,
                                  std::string& reason) {
  if (readings.empty()) {
    readings_.clear();
    return true;
  }
  if (!NeedsReference()) {
    reason = "Manual readings need the mode depth to water or elevation.";
    return false;
  }
  std::vector<PlacedReading> placed;
  if (!PlaceReadings(readings, corrector_->RowTimes(), display, placed, reason)) return false;
  if (!SetReference(placed.front().row, placed.front().manual, reason)) return false;
  readings_ = std::move(placed);
  return true;
}

bool CCorrectionPass::AddReading(int row, const std::string& valueText, std::string& reason) {
  float value = 0.0f;
  if (!NeedsReference()) {
    reason = "Manual readings need the mode depth to water or elevation.";
  } else if (row < 0 || static_cast<std::size_t>(row) >= rowCount_) {
    reason = "Choose the data point of the reading.";
  } else if (!ParseDecimalFloat(Trimmed(valueText), value)) {
    reason = "The level of a reading must be a decimal number, such as 12.5.";
  } else if (std::any_of(readings_.begin(), readings_.end(), [row](const PlacedReading& r) { return r.row == row; })) {
    reason = "This data point has a reading already: two readings cannot share a row.";
  } else if (static_cast<std::size_t>(row) < recordedLevels_->size() &&
             IsUnconvertedStatus((*recordedLevels_)[static_cast<std::size_t>(row)].status)) {
    reason = "This data point has no level value to compare a reading with.";
  } else {
    const auto at = std::find_if(readings_.begin(), readings_.end(), [row](const PlacedReading& r) { return r.row > row; });
    readings_.insert(at, PlacedReading{row, value});
    SetReferenceChoice(readings_.front().row, readings_.front().manual);
    return true;
  }
  return false;
}

void CCorrectionPass::RemoveReading(std::size_t index) {
  if (index >= readings_.size()) return;
  readings_.erase(readings_.begin() + static_cast<std::ptrdiff_t>(index));
  if (!readings_.empty()) SetReferenceChoice(readings_.front().row, readings_.front().manual);
}

void CCorrectionPass::LoadRecordedLevels() {
  auto levels = std::make_shared<std::vector<TMSystem::CTMDataValue>>();
  if (corrector_->GetRecordedLevels(*levels)) recordedLevels_ = std::move(levels);
}

std::string CCorrectionPass::LevelUnitAbbreviation() const {
  return GetUnitAbbreviation(corrector_->GetLevelUnitId());
}

bool CCorrectionPass::UsesDynamicDensity() const {
  return corrector_->GetDynamicSpecificGravityFactor() > 0.0f ||
         (corrector_->IsLoaded() && corrector_->GetAutomaticDensityCorrection() != 0);
}

void CCorrectionPass::ChooseGravityPreset(SpecificGravityPreset preset) {
  gravityPreset_ = preset;
  if (preset == SpecificGravityPreset::Custom) return;
  choices_.specificGravity = SpecificGravityOf(preset);
  gravityText_ = FormatGravity(choices_.specificGravity);
}

bool CCorrectionPass::SetGravity(float value, std::string& reason) {
  if (reason = SpecificGravityRefusal(value); !reason.empty()) return false;
  choices_.specificGravity = value;
  gravityPreset_ = PresetOf(value);
  gravityText_ = FormatGravity(value);
  return true;
}

bool CCorrectionPass::SetCustomGravityText(const std::string& valueText, std::string& reason) {
  const std::string text = Trimmed(valueText);
  // Left as shown, the value is the log's own (or a preset's) and stays, whatever it is.
  if (text != gravityText_) {
    float value = 0.0f;
    if (!ParseDecimalFloat(text, value)) {
      reason = "The specific gravity must be a decimal number, such as 1.000.";
      return false;
    }
    if (!SetGravity(value, reason)) return false;
  }
  gravityPreset_ = SpecificGravityPreset::Custom;
  gravityText_ = text;
  return true;
}

std::string CCorrectionPass::FormatGravity(float value) { return StrFormat("%1.6f", static_cast<double>(value)); }

int CCorrectionPass::Apply(std::string& reason) {
  if (!ApplyChoices(*corrector_, choices_, reason)) return 0;
  // Readings go with the reference they start from; a pass without one corrects without them.
  if (corrector_->SetManualReadings(NeedsReference() ? readings_ : std::vector<PlacedReading>{})) return 1;
  reason = corrector_->GetErrorText();
  return 0;
}

}  // namespace tvk
