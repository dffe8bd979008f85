#pragma once
// One correction pass over one loaded log, as every front end walks it: the mode, the level reference
// (left out for pressure head), the specific gravity, then the correction. It holds what each step
// preselects, offers and skips, checks what the user gives with a reason for every refusal, and hands
// the choices to the corrector in one go. Qt-free: the wizard's pages are views over it, `tavisko correct`
// fills it from its options, and another front end needs nothing else.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "correction/CorrectionChoices.h"
#include "correction/ManualReadings.h"

namespace tvk {

class CLevelCorrector;

// A finite decimal number ("12", "-0.5", "1.2e3", no blanks) that a float holds without overflow or
// denormal loss; false for anything else, hexadecimal, "nan" and "inf" included.
bool ParseDecimalFloat(std::string_view text, float& value);

// A specific gravity the corrector takes: above 0. Empty when accepted, else why not.
std::string SpecificGravityRefusal(float value);
// Whether a specific gravity is unusual enough to warn about (outside 0.9 to 1.3).
bool IsUnusualSpecificGravity(float value);

class CCorrectionPass {
 public:
  // `corrector` holds the log (loaded or not: a log that failed to open still walks the pages and fails
  // at the correction, with the corrector's reason). Shared, so a correction running on a worker keeps it
  // alive after the front end has let the pass go.
  explicit CCorrectionPass(std::shared_ptr<CLevelCorrector> corrector);

  CLevelCorrector& Corrector() const { return *corrector_; }
  const std::shared_ptr<CLevelCorrector>& SharedCorrector() const { return corrector_; }
  bool HasRows() const { return rowCount_ > 0; }
  std::size_t RowCount() const { return rowCount_; }

  // What a user sees of the log's recorded settings, one line each ("File information", file name,
  // level measurement option, level reference, specific gravity), lines ended by "\r\n".
  std::string DescribeLog() const;

  // --- Mode -------------------------------------------------------------------------------------------
  // 3, 4 or 5 (pressure head, depth to water, elevation); 0 until one is chosen (a log of none of them).
  std::uint16_t Mode() const { return choices_.mode; }
  // Whether `mode` may be chosen: a reference taken at the start of the test cannot be turned back into
  // a pressure head, and nothing is offered on a log that did not open.
  bool IsModeOffered(std::uint16_t mode) const;
  // Chooses `mode`; false with the reason when it is not offered.
  bool ChooseMode(std::uint16_t mode, std::string& reason);
  // Whether the reference step belongs to the pass (not for pressure head).
  bool NeedsReference() const { return tvk::NeedsReference(choices_.mode); }
  // Whether the pass may go on from the mode step; the reason when not.
  bool CanLeaveMode(std::string& reason) const;

  // --- Level reference --------------------------------------------------------------------------------
  // The step's heading for the chosen mode.
  std::string ReferenceTitle() const;
  // "Reference set with pressure head: ..." as recorded.
  std::string RecordedReferenceText() const;
  // A log recorded as pressure head has no reference at test definition; a log without rows has no data
  // point to take one at.
  bool CanReferenceAtTestDefinition() const;
  bool CanReferenceAtDataPoint() const { return HasRows(); }
  bool ReferenceAtDataPoint() const { return choices_.referenceRow >= 0; }
  int ReferenceRow() const { return choices_.referenceRow; }
  // The reference value as the user last gave it (or as recorded, "%g").
  const std::string& ReferenceText() const { return referenceText_; }
  // Sets the reference, in place of any manual readings: at test definition (`row` -1) or at a data
  // point. False, with the reason and nothing changed, for a row outside the log or a way the log does
  // not offer.
  bool SetReference(int row, float value, std::string& reason);
  // The same with the value as typed; also refused when it is not a decimal number a float holds. The
  // text as last shown stands for the value behind it, which "%g" may have rounded.
  bool SetReferenceText(int row, const std::string& valueText, std::string& reason);

  // Why a reference (value, data point or readings) cannot act on the chosen mode; empty when it can.
  std::string ReferenceRefusal() const;
  // The data point nearest `utc` (as `display` shows row times, see FindNearestRow); false with the
  // reason when the log has no rows or `utc` lies before the first row's or after the last row's time
  // as displayed.
  bool DataPointAt(const TMSystem::CTMDeviceTime& utc, const DataPointDisplay& display, int& row,
                   std::string& reason) const;

  // Manual readings instead of a single reference: sorted by time and placed on their nearest rows (as
  // `display` shows row times), the first becoming the reference data point with its value. An empty
  // list goes back to the single reference. False with the reason, nothing changed, when the mode has no
  // reference or a reading cannot be placed (see PlaceReadings).
  bool SetReadings(const std::vector<ManualReading>& readings, const DataPointDisplay& display, std::string& reason);
  const std::vector<PlacedReading>& Readings() const { return readings_; }
  // A reading at data point `row` with its value as typed, kept in time order; the first is the
  // reference. False with the reason, nothing changed, when the value is no decimal number, the row has
  // a reading already or no level value, or the mode has no reference.
  bool AddReading(int row, const std::string& valueText, std::string& reason);
  void RemoveReading(std::size_t index);

  // The log's level column as recorded, to show beside the rows' times: read once by
  // LoadRecordedLevels (the wizard does it off the user-interface thread), empty before.
  void LoadRecordedLevels();
  const std::shared_ptr<const std::vector<TMSystem::CTMDataValue>>& RecordedLevels() const { return recordedLevels_; }
  // The abbreviation of the log's level unit ("ft", "m").
  std::string LevelUnitAbbreviation() const;

  // --- Specific gravity -------------------------------------------------------------------------------
  // A log recorded with a dynamic density keeps its own: the step shows it and offers no choice.
  bool UsesDynamicDensity() const;
  SpecificGravityPreset GravityPreset() const { return gravityPreset_; }
  // The value as shown ("%1.6f" of a preset, or what the user typed for a custom one).
  const std::string& GravityText() const { return gravityText_; }
  void ChooseGravityPreset(SpecificGravityPreset preset);
  // A value of the user's; false with the reason (and nothing changed) unless it is above 0.
  bool SetGravity(float value, std::string& reason);
  // A custom value as typed; also refused unless it reads as a decimal number. The text as last shown
  // stands for the value behind it.
  bool SetCustomGravityText(const std::string& valueText, std::string& reason);
  static std::string FormatGravity(float value);

  // --- Correction -------------------------------------------------------------------------------------
  const CorrectionChoices& Choices() const { return choices_; }
  // Hands the choices to the corrector in the steps' order (ApplyChoices); 0 with the reason.
  int Apply(std::string& reason);

 private:
  // The reference at a data point without letting go of the readings.
  void SetReferenceChoice(int row, float value);

 private:
  std::shared_ptr<CLevelCorrector> corrector_;
  std::size_t rowCount_ = 0;
  CorrectionChoices choices_;
  std::string referenceText_;
  std::vector<PlacedReading> readings_;
  std::shared_ptr<const std::vector<TMSystem::CTMDataValue>> recordedLevels_ =
      std::make_shared<const std::vector<TMSystem::CTMDataValue>>();
  SpecificGravityPreset gravityPreset_ = SpecificGravityPreset::Custom;
  std::string gravityText_;
};

}  // namespace tvk
