#pragma once
// The notes about the level channel: the post-correction note and the level- and head-reference
// calibration notes. GetValues() gives the decoded fields.

#include <cstdint>
#include <string>

#include "common/DeviceTime.h"
#include "logfile/notes/StdNote.h"

namespace TMSystem {

// Sub-type 21: the settings a log was post-corrected to.
class CTMUserNote_Tavisko : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 21;
  static constexpr std::size_t kMaxUserNameUnits = 50;
  struct Values {
    std::uint16_t reserved = 0;
    std::uint32_t usesDataPoint = 0;    // 1 when the new reference was taken at a chosen data point
    double dataPointTime = 0;           // seconds + fraction / 65536 of that data point; 0 when none
    std::uint16_t levelMode = 0;        // new level measurement mode
    std::uint32_t dynamicDensity = 0;   // 1 when the original settings used a dynamic density
    float specificGravity = 0;          // new specific gravity
    std::uint32_t startOfTest = 0;      // 1 when the original reference was set at the start of the test
    float referencePressure = 0;
    std::uint16_t referencePressureUnit = 0;
    float referenceValue = 0;           // new level reference
    std::uint16_t levelUnit = 0;        // new level unit
    std::string userName;               // at most kMaxUserNameUnits UTF-16 units

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t usesDataPoint, const CTMDeviceTime& dataPointTime,
                                 std::uint16_t levelMode, std::uint32_t dynamicDensity, float specificGravity,
                                 std::uint32_t startOfTest, float referencePressure,
                                 std::uint16_t referencePressureUnit, float referenceValue, std::uint16_t levelUnit);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  std::string ReferenceLines() const;
  Values values_;
};

// A level or head reference set on the device while logging; sub-types 15 and 19 share the layout.
class CTMReferenceCalibrationNote : public CTMStdNote {
 public:
  struct Values {
    std::uint32_t serialNumber = 0;
    float referenceValue = 0;  // in levelUnit
    float depth = 0;           // in levelUnit
    std::uint16_t levelUnit = 0;
    float headPressure = 0;    // in pressureUnit
    float pressureOffset = 0;  // in pressureUnit
    std::uint16_t pressureUnit = 0;
    float temperature = 0;     // in temperatureUnit
    std::uint16_t temperatureUnit = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float referenceValue, float depth,
                                 std::uint16_t levelUnit, float headPressure, float pressureOffset,
                                 std::uint16_t pressureUnit, float temperature, std::uint16_t temperatureUnit);
  const Values& GetValues() const { return values_; }

 protected:
  explicit CTMReferenceCalibrationNote(std::uint32_t subType) : subType_(subType) {}
  // The text common to both; the labels differ.
  std::string ValuesText(std::uint32_t titleId, std::uint32_t referenceId, std::uint32_t headPressureId) const;

 private:
  void Layout(CTMNotePayload& p);
  std::uint32_t subType_;
  Values values_;
};

// Sub-type 15: the level reference was set again while logging.
class CTMUserNote_Calibrate_SetNewLevelRef : public CTMReferenceCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 15;
  CTMUserNote_Calibrate_SetNewLevelRef() : CTMReferenceCalibrationNote(kSubType) {}
  std::string GetText() const override;
};

// Sub-type 19: the head reference was set again while logging.
class CTMUserNote_Calibrate_SetNewHeadRef : public CTMReferenceCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 19;
  CTMUserNote_Calibrate_SetNewHeadRef() : CTMReferenceCalibrationNote(kSubType) {}
  std::string GetText() const override;
};

}  // namespace TMSystem
