#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "common/DisplaySettings.h"
#include "common/ResultCodes.h"
#include "logfile/notes/CalibrationNotes.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/StdNote.h"
#include "logfile/notes/UserNotes.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace TMSystem {
namespace {

using Bytes = std::vector<std::uint8_t>;
using NotePtr = std::unique_ptr<CTMStdNote>;

// Times are shown as "yyyy-MM-dd HH:mm:ss" in a UTC zone; "UseUTC" is switched per test.
class NoteDisplayText : public ::testing::Test {
 protected:
  tvk::test::TempFolder folder_;
  tvk::test::ScopedEnv registryDir_{"TAVISKO_REGISTRY_DIR", folder_.Path().string()};
  tvk::test::ScopedEnv zone_{"TZ", "UTC0"};

  void SetUp() override {
    ShowTimesInUtc(true);
    SetNoteUserNameForTesting("Ann");
  }

  void TearDown() override {
    SetNoteUserNameForTesting(std::nullopt);
    tvk::ResetDisplaySettingsCache();
  }

  void ShowTimesInUtc(bool on) {
    tvk::test::WriteDisplaySettingsHive(folder_.Path(), std::string("\"UseUTC\"=dword:0000000") + (on ? "1" : "0") +
                                                            "\r\n\"UseCustomDateFormat\"=dword:00000001\r\n"
                                                            "\"CustomDateFormat\"=\"yyyy-MM-dd\"\r\n"
                                                            "\"UseCustomTimeFormat\"=dword:00000001\r\n"
                                                            "\"CustomTimeFormat\"=\"HH:mm:ss\"\r\n");
    tvk::ResetDisplaySettingsCache();
  }
};

CTMLogNotesRecord Record(std::uint32_t type, const Bytes& payload, std::uint32_t subType = 255,
                         std::uint16_t version = 0) {
  CTMLogNotesRecord record;
  record.type = type;
  record.subType = subType;
  record.version = version;
  record.payload = CTMByteBuffer(payload.data(), static_cast<std::uint32_t>(payload.size()));
  return record;
}

CTMLogNotesRecord Decoded(const Bytes& bytes) {
  CTMLogNotesRecord record;
  EXPECT_EQ(record.FromBytes(tvk::test::ToBuffer(bytes)), tvk::kOk);
  return record;
}

NotePtr FromFactory(const CTMLogNotesRecord& record) {
  NotePtr note;
  EXPECT_EQ(CreateNoteFromRecord(record, note), tvk::kOk);
  return note ? std::move(note) : std::make_unique<CTMStdNote>();
}

template <class Note, class... Args>
NotePtr Built(Args... args) {
  auto note = std::make_unique<Note>();
  EXPECT_EQ(note->Build(args...), tvk::kOk);
  return note;
}

struct TextRow {
  const char* name;
  std::shared_ptr<const CTMStdNote> note;
  std::string expected;
  bool factoryReads = true;
};

// Each note also goes through its bytes and the factory, and comes back as the same class with the same text.
void ExpectTexts(const std::vector<TextRow>& rows) {
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.note->GetDisplayText(), row.expected);
    if (!row.factoryReads) continue;
    const CTMLogNotesRecord record = row.note->GetRecord();
    CTMByteBuffer bytes;
    ASSERT_EQ(record.ToBytes(bytes), tvk::kOk);
    CTMLogNotesRecord decoded;
    ASSERT_EQ(decoded.FromBytes(bytes), tvk::kOk);
    const NotePtr back = FromFactory(decoded);
    EXPECT_EQ(typeid(*back), typeid(*row.note));
    EXPECT_EQ(back->GetDisplayText(), row.expected);
    EXPECT_EQ(back->GetText(), row.note->GetText());
    EXPECT_EQ(back->GetTime(), row.note->GetTime());
    EXPECT_EQ(back->GetRecord().version, record.version);
  }
}

// 2009-07-05 08:09:10 UTC as seconds since 1970.
constexpr Bytes::value_type kJuly2009[] = {0x4A, 0x50, 0x5F, 0xA6};

TEST_F(NoteDisplayText, DeviceEventRecords) {
  const Bytes clock = {kJuly2009[0], kJuly2009[1], kJuly2009[2], kJuly2009[3], 0, 0};
  ExpectTexts({
      {"clock set by the user", FromFactory(Record(1, clock)),
       "User Adjusted Time To: 2009-07-05 08:09:10 (Time (UTC))"},
      {"clock set by fault recovery", FromFactory(Record(2, clock)),
       "Fault Recovery Adjusted Time To (UTC): 2009-07-05 08:09:10 (Time (UTC))"},
      {"clock payload too short", FromFactory(Record(1, {1, 2, 3, 4})),
       "User Adjusted Time To: 1970-01-01 00:00:00 (Time (UTC))"},
      {"device reset", FromFactory(Record(3, {})), "Device Reset"},
      {"sensor disabled", FromFactory(Record(6, {0, 5})), "Sensor Disabled: 5"},
      {"sensor enabled", FromFactory(Record(7, {1, 0})), "Sensor Enabled: 256"},
      {"sensor number missing", FromFactory(Record(7, {1})), ""},
      {"manual start", FromFactory(Decoded({10, 0, 0, 0, 0, 0, 0, 8, 0xF0, 0x10})), "Manual Start Command"},
      {"unknown command", FromFactory(Decoded({10, 0, 0, 0, 0, 0, 0, 8, 0xF0, 0x20})),
       "Unknown Data Log Command SubType"},
      {"no such type",
       [] {
         auto note = std::make_unique<CTMStdNote>();
         EXPECT_EQ(note->FromRecord(Record(12, {})), tvk::kOk);
         return NotePtr(std::move(note));
       }(),
       "Error- Invalid note type", false},
  });
  EXPECT_EQ(CTMStdNote().GetText(), "User Note");
}

TEST_F(NoteDisplayText, TimesFollowTheUtcSetting) {
  ShowTimesInUtc(false);
  const Bytes clock = {kJuly2009[0], kJuly2009[1], kJuly2009[2], kJuly2009[3], 0, 0};
  EXPECT_EQ(FromFactory(Record(1, clock))->GetDisplayText(), "User Adjusted Time To: 2009-07-05 08:09:10");
  CTMUserNote_ManualTimeSync sync;
  ASSERT_EQ(sync.Build(tvk::MakeSystemTime(2011, 2, 3, 4, 5, 6)), tvk::kOk);
  EXPECT_EQ(sync.GetDisplayText(), "User Adjusted Time To: 2011-02-03 04:05:06   User Name: Ann");
}

TEST_F(NoteDisplayText, GeneralUserNotes) {
  const tvk::SystemTime start = tvk::MakeSystemTime(2009, 7, 5, 8, 9, 10);
  const tvk::SystemTime stop = tvk::MakeSystemTime(2010, 1, 2, 3, 4, 5);
  const auto download = [](tvk::SystemTime from, tvk::SystemTime to) {
    return Built<CTMUserNote_Download>(uint16_t{40}, uint16_t{55}, from, to);
  };
  const std::string used = "Log Download - Used Battery: 40% Used Memory: 55%";
  ExpectTexts({
      {"text", Built<CTMUserNote_Text>(std::string_view("Check \"pump\" \xC3\xBC \xE2\x82\xAC")),
       "User Note: \"Check \"pump\" \xC3\xBC \xE2\x82\xAC\""},
      {"text without sub-header", FromFactory(Decoded({12, 0, 0, 0, 0, 0, 0, 0, 0, 0x48, 0, 0x69})),
       "User Note: \"Hi\""},
      {"download with interval", download(start, stop),
       used + " Interval -  Start Time: 2009-07-05 08:09:10 Stop Time: 2010-01-02 03:04:05   User Name: Ann"},
      {"download with stop time only", download(kUnsetSystemTime, stop),
       used + " Interval -  Stop Time: 2010-01-02 03:04:05   User Name: Ann"},
      {"download with no interval", download(kUnsetSystemTime, tvk::MakeSystemTime(2050, 1, 1)),
       used + "   User Name: Ann"},
      {"memory and battery", Built<CTMUserNote_MemoryBatteryStatus>(uint16_t{12}, uint16_t{88}),
       "Used Battery: 88% Used Memory: 12%   User Name: Ann"},
      {"cache timeout", Built<CTMUserNote_SensorMeasCacheTO>(31u, uint16_t{600}),
       "Sensor SN: 31  Cache Timeout: 600   User Name: Ann"},
      {"factory reset", Built<CTMUserNote_RestoreFactoryCal_Sensor>(8u, uint16_t{11}),
       "Sensor SN: 8   Ammonium sensor reset to factory calibration.  User Name: Ann"},
      {"factory reset, version 0", FromFactory(Record(0, {0, 0, 0, 8, 0, 1, 0, 0x42}, 14)),
       "Sensor SN: 8   Level reference reset to factory calibration (0.0).  User Name: B"},
      {"factory reset without a user name", FromFactory(Record(0, {0, 0, 0, 8, 0, 0, 0, 2}, 14, 1)), "Sensor SN: 8"},
      {"calibration expired", Built<CTMUserNote_SensorFactoryCalExpired>(6u, stop),
       "Sensor SN: 6  Factory calibration has expired.: 2010-01-02 03:04:05"},
      {"power status", Built<CTMUserNote_PowerStatus>(uint16_t{12500}, uint16_t{3600}),
       "External Voltage: 12.5% Internal Voltage: 3.6%   User Name: Ann"},
      {"manual time sync", Built<CTMUserNote_ManualTimeSync>(tvk::MakeSystemTime(2011, 2, 3, 4, 5, 6)),
       "User Adjusted Time To: 2011-02-03 04:05:06 (Time (UTC))   User Name: Ann"},
      {"manual time sync from a device time",
       [] {
         auto note = std::make_unique<CTMUserNote_ManualTimeSync>();
         EXPECT_EQ(note->BuildFromDeviceTime(DeviceTimeFromFields(2011, 2, 3, 4, 5, 6)), tvk::kOk);
         return NotePtr(std::move(note));
       }(),
       "User Adjusted Time To: 2011-02-03 04:05:06 (Time (UTC))   User Name: Ann"},
      {"all log notes", Built<CTMUserNote_AllLogNotes>(), ""},
  });
}

TEST_F(NoteDisplayText, CalibrationNotes) {
  const std::vector<float> curve = {1.5f, -2.25f, 3, 4, 5, 6, 7, 8.125f};
  ExpectTexts({
      {"tds factor", Built<CTMUserNote_Calibrate_TDSFactor>(77u, 0.65f),
       "Sensor SN: 77  TDS Factor: 0.65 User Name: Ann"},
      {"tds factor, version 0", FromFactory(Record(0, {0, 0, 0, 7, 0x3F, 0x80, 0, 0}, 2)),
       "Sensor SN: 7  TDS Factor: 1"},
      {"conductivity", Built<CTMUserNote_Calibrate_Conductivity>(12345u, 1.02f, -0.5f, 25.0f, 1.91f),
       "Conductivity calibration.\nSensor SN: 12345\nCell Constant: 1.02  Cell Offset: -0.5\n"
       "Reference Temperature: 25  Temperature Coefficient: 1.91   User Name: Ann"},
      {"conductivity curve",
       [&] {
         auto note = std::make_unique<CTMUserNote_SpecCondCurve>();
         EXPECT_EQ(note->BuildFromValues(9u, 20.0f, 1.9f, curve), tvk::kOk);
         return NotePtr(std::move(note));
       }(),
       "Sensor SN: 9  Reference Temperature: 20  Temperature Coefficient: 1.9  Curve Coefficient: "
       "1.5 -2.25 3 4 5 6 7 8.125   User Name: Ann"},
      {"sg factor", Built<CTMUserNote_NewSpecificGravFactor>(5u, 1.025f),
       "Sensor SN: 5  Dynamic Specific Gravity Factor: 1.025   User Name: Ann"},
      {"specific gravity", Built<CTMUserNote_NewSpecificGravity>(5u, 0.998f),
       "Sensor SN: 5  Specific Gravity: 0.998   User Name: Ann"},
      {"zero pressure", Built<CTMUserNote_Calibration_ZeroPressureSensor>(8u, -0.012f, uint16_t{17}),
       "Sensor SN: 8  Pressure sensor calibration. Pressure reading set to zero. [Pressure Offset: -0.012(PSI)]"
       "   User Name: Ann"},
      {"turbidity", Built<CTMUserNote_Calibrate_Turbidity>(3u, 1.1f, -4.0f),
       "Turbidity calibration.\nSensor SN: 3\nSlope: 1.1  Offset: -4   User Name: Ann"},
      {"luvo", Built<CTMUserNote_Calibrate_Luvo>(3u, 99u, 1.1f, -4.0f),
       "Luvo calibration.\nSensor SN: 3  Cap serial number: 99\nSlope: 1.1  Offset: -4   User Name: Ann"},
      {"orp", Built<CTMUserNote_Calibrate_ORP>(3u, 12.75f),
       "ORP calibration.\nSensor SN: 3\nOffset(mV): 12.75   User Name: Ann"},
      {"ph, two segments", Built<CTMUserNote_Calibrate_pH>(3u, uint16_t{2}, -58.2f, 410.0f, -57.9f, 402.5f),
       "pH calibration.\nSensor SN: 3\nLine segment 1:\nSlope(mV/pH): -58.2  Offset(mV): 410\n"
       "Line segment 2:\nSlope(mV/pH): -57.9  Offset(mV): 402.5   User Name: Ann"},
      {"ph, one segment", Built<CTMUserNote_Calibrate_pH>(3u, uint16_t{1}, -58.2f, 410.0f, 1.0f, 2.0f),
       "pH calibration.\nSensor SN: 3\nLine segment 1:\nSlope(mV/pH): -58.2  Offset(mV): 410   User Name: Ann"},
      {"nitrate", Built<CTMUserNote_Calibrate_Nitrate>(3u, uint16_t{1}, -55.0f, 200.0f, 0.0f, 0.0f),
       "Nitrate calibration.\nSensor SN: 3\nLine segment 1:\nSlope(mV/decade): -55  Offset(mV): 200   User Name: Ann"},
      {"chloride", Built<CTMUserNote_Calibrate_Chloride>(3u, uint16_t{2}, 1.0f, 2.0f, 3.0f, 4.0f),
       "Chloride calibration.\nSensor SN: 3\nLine segment 1:\nSlope(mV/decade): 1  Offset(mV): 2\n"
       "Line segment 2:\nSlope(mV/decade): 3  Offset(mV): 4   User Name: Ann"},
      {"ammonium", Built<CTMUserNote_Calibrate_Ammonium>(3u, uint16_t{2}, 5.0f, 6.0f, 7.0f, 8.0f),
       "Ammonium calibration\nSensor SN: 3\nLine segment 1:\nSlope(mV/decade): 5  Offset(mV): 6\n"
       "Line segment 2:\nSlope(mV/decade): 7  Offset(mV): 8   User Name: Ann"},
  });
}

TEST_F(NoteDisplayText, LevelNotes) {
  const auto correction = [](std::uint32_t usesDataPoint, std::uint16_t mode, std::uint32_t dynamic,
                             std::uint32_t startOfTest) {
    return Built<CTMUserNote_Tavisko>(usesDataPoint, DeviceTimeFromFields(2009, 7, 5, 8, 9, 10), mode, dynamic, 1.02f,
                                      startOfTest, 12.5f, uint16_t{17}, 100.25f, uint16_t{38});
  };
  const std::string header = "Post correction\n   Level Measurement Mode: ";
  ExpectTexts({
      {"depth correction", correction(0, 3, 0, 0),
       header + "Depth\n   Specific gravity: 1.02\n   User Name: Ann"},
      {"unknown mode shows depth", correction(0, 9, 1, 1),
       header + "Depth\n   Specific gravity: Dynamic density used\n"
                "   Level Reference Mode: Start of test\n   Level reference: 100.25 feet\n   User Name: Ann"},
      {"data point", correction(1, 4, 0, 1),
       header + "Level Depth To Water\n   Specific gravity: 1.02\n"
                "   Level Reference Mode: Using data point at 2009-07-05 08:09:10\n"
                "   Level reference: 100.25 feet\n   User Name: Ann"},
      {"start of test", correction(0, 5, 0, 1),
       header + "Level Surface Elevation\n   Specific gravity: 1.02\n   Level Reference Mode: Start of test\n"
                "   Level reference: 100.25 feet\n   User Name: Ann"},
      {"pressure head", correction(0, 4, 0, 0),
       header + "Level Depth To Water\n   Specific gravity: 1.02\n"
                "   Level Reference Mode: 12.5 PSI pressure head\n   Level reference: 100.25 feet\n   User Name: Ann"},
      {"level reference",
       Built<CTMUserNote_Calibrate_SetNewLevelRef>(4u, 10.5f, 3.25f, uint16_t{38}, 1.5f, 0.25f, uint16_t{17}, 12.5f,
                                                   uint16_t{1}),
       "Sensor SN: 4 Level calibration.\nSet new reference: 10.5\nDepth: 3.25(ft)\n"
       "Level Reference Head Pressure: 1.5(PSI)\nPressure Offset: 0.25(PSI)\nTemperature: 12.5(C)\nUser Name: Ann"},
      {"head reference",
       Built<CTMUserNote_Calibrate_SetNewHeadRef>(4u, 10.5f, 3.25f, uint16_t{35}, 1.5f, 0.25f, uint16_t{19}, 12.5f,
                                                  uint16_t{2}),
       "Sensor SN: 4 Head calibration\nHead reference: 10.5\nDepth: 3.25(m)\n"
       "Head reference pressure: 1.5(kPa)\nPressure Offset: 0.25(kPa)\nTemperature: 12.5(F)   User Name: Ann"},
  });
}

TEST_F(NoteDisplayText, LevelReferenceWithoutUserName) {
  Bytes payload(32, 0);
  payload[3] = 4;
  const NotePtr note = FromFactory(Record(0, payload, 15));
  const std::string text = note->GetDisplayText();
  EXPECT_EQ(text.substr(0, 32), "Sensor SN: 4 Level calibration.\n");
  EXPECT_EQ(text.back(), '\n');
  EXPECT_EQ(text.find("User Name"), std::string::npos);
}

}  // namespace
}  // namespace TMSystem
