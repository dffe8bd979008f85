#pragma once
// User notes about the device, the log and the user's text: the general members of the user-note
// family. Each class decodes its payload (FromRecord), builds a new note from values (Build) and
// renders its text (GetText); GetValues() gives the decoded fields.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/Calendar.h"
#include "common/DeviceTime.h"
#include "logfile/notes/StdNote.h"

namespace TMSystem {

// 1970-01-01 00:00:00, a Thursday: the value of calendar fields not yet set.
inline constexpr tvk::SystemTime kUnsetSystemTime{1970, 1, 4, 1, 0, 0, 0, 0};

// Sub-type 0: the text the user typed, the whole payload as UTF-16 code units.
class CTMUserNote_Text : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 0;
  // Texts longer than this are cut to kCutTextUnits so the record keeps within its limit.
  static constexpr std::size_t kMaxTextUnits = 121;
  static constexpr std::size_t kCutTextUnits = 120;
  struct Values {
    std::string text;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  // kMissingArgument for an empty text, leaving the note unchanged.
  [[nodiscard]] ResultCode Build(std::string_view text);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 1: a download of the log, with the battery and memory used and the logged interval.
class CTMUserNote_Download : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 1;
  struct Values {
    std::uint16_t usedBattery = 0;  // percent
    std::uint16_t usedMemory = 0;   // percent
    tvk::SystemTime startTime = kUnsetSystemTime;
    tvk::SystemTime stopTime = kUnsetSystemTime;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint16_t usedBattery, std::uint16_t usedMemory, const tvk::SystemTime& startTime,
                                 const tvk::SystemTime& stopTime);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  std::string IntervalText() const;
  Values values_;
};

// Sub-type 5: memory and battery used.
class CTMUserNote_MemoryBatteryStatus : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 5;
  struct Values {
    std::uint16_t usedMemory = 0;   // percent
    std::uint16_t usedBattery = 0;  // percent
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint16_t usedMemory, std::uint16_t usedBattery);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 9: a sensor's measurement cache timeout. Version 1 carries the user name.
class CTMUserNote_SensorMeasCacheTO : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 9;
  struct Values {
    std::uint32_t serialNumber = 0;
    std::uint16_t cacheTimeout = 0;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, std::uint16_t cacheTimeout);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 14: a sensor reset to its factory calibration. From version 1 the kind of reset follows
// the user name; version 0 notes are level-reference resets.
class CTMUserNote_RestoreFactoryCal_Sensor : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 14;
  static constexpr std::uint16_t kSensorKindCount = 12;
  struct Values {
    std::uint32_t serialNumber = 0;
    std::string userName;
    std::uint16_t sensorKind = 0;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, std::uint16_t sensorKind);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 16: a sensor's factory calibration has expired. No user name.
class CTMUserNote_SensorFactoryCalExpired : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 16;
  struct Values {
    std::uint32_t serialNumber = 0;
    tvk::SystemTime expiryTime;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint32_t serialNumber, const tvk::SystemTime& expiryTime);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 17: external and internal supply voltages.
class CTMUserNote_PowerStatus : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 17;
  struct Values {
    std::uint16_t externalVoltage = 0;  // millivolts
    std::uint16_t internalVoltage = 0;  // millivolts
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(std::uint16_t externalVoltage, std::uint16_t internalVoltage);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 18: the user set the device clock (UTC).
class CTMUserNote_ManualTimeSync : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 18;
  struct Values {
    tvk::SystemTime newTime;
    std::string userName;

    friend bool operator==(const Values&, const Values&) = default;
  };

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  void Reset() override;
  std::string GetText() const override;
  [[nodiscard]] ResultCode Build(const tvk::SystemTime& newTime);
  [[nodiscard]] virtual ResultCode BuildFromDeviceTime(const CTMDeviceTime& newTime);
  const Values& GetValues() const { return values_; }

 private:
  void Layout(CTMNotePayload& p);
  Values values_;
};

// Sub-type 20: every note of the log was shown; no payload, no text.
class CTMUserNote_AllLogNotes : public CTMStdNote {
 public:
  static constexpr std::uint32_t kSubType = 20;

  [[nodiscard]] ResultCode FromRecord(const CTMLogNotesRecord& record) override;
  std::string GetText() const override { return {}; }
  [[nodiscard]] ResultCode Build();
};

}  // namespace TMSystem
