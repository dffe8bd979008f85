#pragma once
// User notes about sensor calibrations: the calibration members of the user-note family. Each class
// decodes its payload (FromRecord), builds a new note from values (Build) and renders its text
// (GetText); GetValues() gives the decoded fields.

#include <cstdint>
#include <string>
#include <vector>

#include "logfile/notes/StdNote.h"

namespace TMSystem {

// Sub-type 2: a sensor's TDS factor. From version 1 the user name follows.
class CTMUserNote_Calibrate_TDSFactor : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 2;
  struct Values {
    std::uint32_t serialNumber = 0;
    float tdsFactor = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float tdsFactor);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 3: a conductivity sensor's cell calibration.
class CTMUserNote_Calibrate_Conductivity : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 3;
  struct Values {
    std::uint32_t serialNumber = 0;
    float cellConstant = 0;
    float cellOffset = 0;
    float referenceTemperature = 0;
    float temperatureCoefficient = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float cellConstant, float cellOffset,
                                 float referenceTemperature, float temperatureCoefficient);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 4: the specific-conductance curve of a sensor.
class CTMUserNote_SpecCondCurve : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 4;
  static constexpr std::size_t kCoefficientCount = 8;
  struct Values {
    std::uint32_t serialNumber = 0;
    float referenceTemperature = 0;
    float temperatureCoefficient = 0;
    std::vector<float> curveCoefficients;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  // Builds with kCoefficientCount zero coefficients.
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float referenceTemperature, float temperatureCoefficient);
  // Writes the coefficients as given; notes are read back with kCoefficientCount of them.
  [[nodiscard]] virtual ResultCode BuildFromValues(std::uint32_t serialNumber, float referenceTemperature,
                                                   float temperatureCoefficient,
                                                   const std::vector<float>& curveCoefficients);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// A sensor serial number and one value; the two specific-gravity notes.
class CTMSerialValueNote : public CTMStdNote {
 public:
  struct Values {
    std::uint32_t serialNumber = 0;
    float value = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float value);
  const Values& GetValues() const { return values_; }

 protected:
  CTMSerialValueNote(std::uint32_t subType, std::uint32_t labelId) : subType_(subType), labelId_(labelId) {}

 private:
  void Layout(CTMNotePayload& p);
  std::uint32_t subType_;
  std::uint32_t labelId_;
  Values values_;
};

// Sub-type 10: a new dynamic specific gravity factor (`value`).
class CTMUserNote_NewSpecificGravFactor : public CTMSerialValueNote {
 public:
  static constexpr std::uint32_t kSubType = 10;
  CTMUserNote_NewSpecificGravFactor() : CTMSerialValueNote(kSubType, 10169) {}
};

// Sub-type 11: a new specific gravity (`value`).
class CTMUserNote_NewSpecificGravity : public CTMSerialValueNote {
 public:
  static constexpr std::uint32_t kSubType = 11;
  CTMUserNote_NewSpecificGravity() : CTMSerialValueNote(kSubType, 10103) {}
};

// Sub-type 12: a pressure sensor's reading set to zero.
class CTMUserNote_Calibration_ZeroPressureSensor : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 12;
  struct Values {
    std::uint32_t serialNumber = 0;
    float pressureOffset = 0;
    std::uint16_t pressureUnit = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float pressureOffset, std::uint16_t pressureUnit);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 23: a turbidity sensor's slope and offset.
class CTMUserNote_Calibrate_Turbidity : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 23;
  struct Values {
    std::uint32_t serialNumber = 0;
    float slope = 0;
    float offset = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float slope, float offset);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 24: a Luvo sensor's cap serial number, slope and offset.
class CTMUserNote_Calibrate_Luvo : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 24;
  struct Values {
    std::uint32_t serialNumber = 0;
    std::uint32_t capSerialNumber = 0;
    float slope = 0;
    float offset = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, std::uint32_t capSerialNumber, float slope, float offset);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 26: an ORP sensor's offset.
class CTMUserNote_Calibrate_ORP : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 26;
  struct Values {
    std::uint32_t serialNumber = 0;
    float offset = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, float offset);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// An ion-selective sensor calibrated along one or two line segments (pH, nitrate, chloride,
// ammonium); the members differ only in sub-type and labels.
class CTMTwoSegmentCalibrationNote : public CTMStdNote {
 public:
  struct Values {
    std::uint32_t serialNumber = 0;
    std::uint16_t segmentCount = 0;
    float slope1 = 0;
    float offset1 = 0;
    float slope2 = 0;
    float offset2 = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, std::uint16_t segmentCount, float slope1, float offset1,
                                 float slope2, float offset2);
  const Values& GetValues() const { return values_; }

 protected:
  // `firstLabelId`: the title; the segment 1, segment 2, slope and offset labels follow it.
  CTMTwoSegmentCalibrationNote(std::uint32_t subType, std::uint32_t firstLabelId)
      : subType_(subType), firstLabelId_(firstLabelId) {}

 private:
  void Layout(CTMNotePayload& p);
  std::uint32_t subType_;
  std::uint32_t firstLabelId_;
  Values values_;
};

class CTMUserNote_Calibrate_pH : public CTMTwoSegmentCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 25;
  CTMUserNote_Calibrate_pH() : CTMTwoSegmentCalibrationNote(kSubType, 10671) {}
};

class CTMUserNote_Calibrate_Nitrate : public CTMTwoSegmentCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 27;
  CTMUserNote_Calibrate_Nitrate() : CTMTwoSegmentCalibrationNote(kSubType, 10727) {}
};

class CTMUserNote_Calibrate_Chloride : public CTMTwoSegmentCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 28;
  CTMUserNote_Calibrate_Chloride() : CTMTwoSegmentCalibrationNote(kSubType, 10732) {}
};

class CTMUserNote_Calibrate_Ammonium : public CTMTwoSegmentCalibrationNote {
 public:
  static constexpr std::uint32_t kSubType = 29;
  CTMUserNote_Calibrate_Ammonium() : CTMTwoSegmentCalibrationNote(kSubType, 10737) {}
};

}  // namespace TMSystem
