#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "common/ResultCodes.h"
#include "common/Utf.h"
#include "logfile/notes/CalibrationNotes.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/StdNote.h"
#include "logfile/notes/UserNotes.h"

namespace TMSystem {
namespace {

using Bytes = std::vector<std::uint8_t>;
using NotePtr = std::unique_ptr<CTMStdNote>;

// Notes built here carry this user name instead of the login name.
class NoteUser {
 public:
  explicit NoteUser(std::string name) { SetNoteUserNameForTesting(std::move(name)); }
  ~NoteUser() { SetNoteUserNameForTesting(std::nullopt); }
};

CTMLogNotesRecord UserRecord(std::uint32_t subType, const Bytes& payload, std::uint16_t version = 0) {
  CTMLogNotesRecord record;
  record.type = 0;
  record.subType = subType;
  record.version = version;
  record.payload = CTMByteBuffer(payload.data(), static_cast<std::uint32_t>(payload.size()));
  return record;
}

template <class Note, class... Args>
NotePtr Built(Args... args) {
  auto note = std::make_unique<Note>();
  EXPECT_EQ(note->Build(args...), tvk::kOk);
  return note;
}

template <class Note>
bool SameValues(const CTMStdNote& a, const CTMStdNote& b) {
  const auto* x = dynamic_cast<const Note*>(&a);
  const auto* y = dynamic_cast<const Note*>(&b);
  return x != nullptr && y != nullptr && x->GetValues() == y->GetValues();
}

bool SameKind(const CTMStdNote& a, const CTMStdNote& b) { return typeid(a) == typeid(b); }

struct BuildRow {
  const char* name;
  std::function<NotePtr()> build;
  std::function<bool(const CTMStdNote&, const CTMStdNote&)> same;
};

template <class Note, class... Args>
BuildRow Case(const char* name, Args... args) {
  return {name, [=] { return Built<Note>(args...); }, SameValues<Note>};
}

TEST(NoteClasses, EveryClassRoundTripsThroughBytesAndTheFactory) {
  const NoteUser user("Ann Tester");
  const tvk::SystemTime start = tvk::MakeSystemTime(2009, 7, 5, 8, 9, 10);
  const tvk::SystemTime stop = tvk::MakeSystemTime(2010, 1, 2, 3, 4, 5);
  const std::vector<float> curve = {1.5f, -2.25f, 3, 4, 5, 6, 7, 8.125f};
  const BuildRow rows[] = {
      Case<CTMUserNote_Text>("text", std::string_view("Pump check \xC3\xBC \xE2\x82\xAC")),
      Case<CTMUserNote_Download>("download", uint16_t{40}, uint16_t{55}, start, stop),
      Case<CTMUserNote_Calibrate_TDSFactor>("tds factor", 77u, 0.65f),
      Case<CTMUserNote_Calibrate_Conductivity>("conductivity", 12345u, 1.02f, -0.5f, 25.0f, 1.91f),
      Case<CTMUserNote_SpecCondCurve>("conductivity curve", 9u, 25.0f, 2.1f),
      {"conductivity curve from values",
       [&] {
         auto note = std::make_unique<CTMUserNote_SpecCondCurve>();
         EXPECT_EQ(note->BuildFromValues(9u, 20.0f, 1.9f, curve), tvk::kOk);
         return NotePtr(std::move(note));
       },
       SameValues<CTMUserNote_SpecCondCurve>},
      Case<CTMUserNote_MemoryBatteryStatus>("memory and battery", uint16_t{12}, uint16_t{88}),
      Case<CTMUserNote_SensorMeasCacheTO>("cache timeout", 31u, uint16_t{600}),
      Case<CTMUserNote_NewSpecificGravFactor>("sg factor", 5u, 1.025f),
      Case<CTMUserNote_NewSpecificGravity>("specific gravity", 5u, 0.998f),
      Case<CTMUserNote_Calibration_ZeroPressureSensor>("zero pressure", 8u, -0.012f, uint16_t{17}),
      Case<CTMUserNote_RestoreFactoryCal_Sensor>("factory reset", 8u, uint16_t{11}),
      Case<CTMUserNote_Calibrate_SetNewLevelRef>("level reference", 4u, 10.5f, 3.25f, uint16_t{38}, 1.4f, 0.02f,
                                                  uint16_t{17}, 12.5f, uint16_t{49}),
      Case<CTMUserNote_SensorFactoryCalExpired>("calibration expired", 6u, stop),
      Case<CTMUserNote_PowerStatus>("power status", uint16_t{12500}, uint16_t{3600}),
      {"manual time sync",
       [] {
         auto note = std::make_unique<CTMUserNote_ManualTimeSync>();
         EXPECT_EQ(note->BuildFromDeviceTime(DeviceTimeFromFields(2011, 2, 3, 4, 5, 6)), tvk::kOk);
         return NotePtr(std::move(note));
       },
       SameValues<CTMUserNote_ManualTimeSync>},
      Case<CTMUserNote_Calibrate_SetNewHeadRef>("head reference", 4u, 1.5f, 2.5f, uint16_t{35}, 3.5f, 4.5f,
                                                 uint16_t{18}, 5.5f, uint16_t{50}),
      {"all log notes", [] { return Built<CTMUserNote_AllLogNotes>(); }, SameKind},
      Case<CTMUserNote_Tavisko>("post correction", 1u, CTMDeviceTime{1'300'000'000, 0x8000}, uint16_t{4}, 0u,
                                    1.01f, 0u, 12.5f, uint16_t{17}, 100.25f, uint16_t{38}),
      Case<CTMUserNote_Calibrate_Turbidity>("turbidity", 3u, 1.1f, -4.0f),
      Case<CTMUserNote_Calibrate_Luvo>("luvo", 3u, 99u, 1.1f, -4.0f),
      Case<CTMUserNote_Calibrate_pH>("ph", 3u, uint16_t{2}, -58.2f, 410.0f, -57.9f, 402.5f),
      Case<CTMUserNote_Calibrate_ORP>("orp", 3u, 12.75f),
      Case<CTMUserNote_Calibrate_Nitrate>("nitrate", 3u, uint16_t{1}, -55.0f, 200.0f, 0.0f, 0.0f),
      Case<CTMUserNote_Calibrate_Chloride>("chloride", 3u, uint16_t{2}, 1, 2, 3, 4),
      Case<CTMUserNote_Calibrate_Ammonium>("ammonium", 3u, uint16_t{2}, 5, 6, 7, 8),
  };
  for (const BuildRow& row : rows) {
    SCOPED_TRACE(row.name);
    const NotePtr note = row.build();
    const CTMLogNotesRecord record = note->GetRecord();
    EXPECT_EQ(record.type, 0U);
    CTMByteBuffer bytes;
    ASSERT_EQ(record.ToBytes(bytes), tvk::kOk);
    CTMLogNotesRecord decoded;
    ASSERT_EQ(decoded.FromBytes(bytes), tvk::kOk);
    NotePtr back;
    ASSERT_EQ(CreateNoteFromRecord(decoded, back), tvk::kOk);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(typeid(*back), typeid(*note));
    EXPECT_TRUE(row.same(*note, *back));
    EXPECT_EQ(back->GetTime(), note->GetTime());
    EXPECT_EQ(back->GetRecord().version, record.version);
    EXPECT_EQ(back->GetText(), note->GetText());
    EXPECT_EQ(back->GetDisplayText(), note->GetText());
  }
}

TEST(NoteClasses, FactoryRefusesWhatNoClassReads) {
  const Bytes serialAndEmptyName = {0, 0, 0, 7, 0, 0};
  CTMLogNotesRecord typeTwelve;
  typeTwelve.type = 12;
  struct Row {
    const char* name;
    CTMLogNotesRecord record;
    ResultCode expected;
  };
  const Row rows[] = {
      {"empty text", UserRecord(0, {}), tvk::kFail},
      {"odd text", UserRecord(0, Bytes(5, 0x41)), tvk::kFail},
      {"download one byte short", UserRecord(1, Bytes(37, 0)), tvk::kFail},
      {"tds version 0 with a name", UserRecord(2, Bytes(10, 0)), tvk::kFail},
      {"tds version 1 one byte short", UserRecord(2, Bytes(9, 0), 1), tvk::kFail},
      {"conductivity one byte short", UserRecord(3, Bytes(21, 0)), tvk::kFail},
      {"conductivity name count past the end", UserRecord(3, {0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                             0, 0, 0, 5}),
       tvk::kBufferOverrun},
      {"conductivity curve one byte short", UserRecord(4, Bytes(45, 0)), tvk::kFail},
      {"sub-type 7 has no class", UserRecord(7, Bytes(20, 0)), tvk::kInvalidNoteType},
      {"cache timeout version 0 with a name", UserRecord(9, Bytes(8, 0)), tvk::kFail},
      {"cache timeout version 1 without a name", UserRecord(9, Bytes(6, 0), 1), tvk::kFail},
      {"zero pressure one byte short", UserRecord(12, Bytes(11, 0)), tvk::kFail},
      {"factory reset kind 12", UserRecord(14, {0, 0, 0, 7, 0, 0, 0, 12}, 1), tvk::kFail},
      {"factory reset without its kind", UserRecord(14, serialAndEmptyName, 1), tvk::kBufferOverrun},
      {"level reference one byte short", UserRecord(15, Bytes(31, 0)), tvk::kFail},
      {"calibration expired one byte short", UserRecord(16, Bytes(19, 0)), tvk::kFail},
      {"head reference one byte short", UserRecord(19, Bytes(31, 0)), tvk::kFail},
      {"post correction one byte short", UserRecord(21, Bytes(33, 0)), tvk::kFail},
      {"post correction at the minimum", UserRecord(21, Bytes(34, 0)), tvk::kBufferOverrun},
      {"sub-type 22 read by the tds class", UserRecord(22, Bytes(8, 0)), tvk::kBadNoteSubType},
      {"luvo one byte short", UserRecord(24, Bytes(17, 0)), tvk::kFail},
      {"ph one byte short", UserRecord(25, Bytes(25, 0)), tvk::kFail},
      {"type 12", typeTwelve, tvk::kInvalidNoteType},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    NotePtr note = std::make_unique<CTMStdNote>();
    EXPECT_EQ(CreateNoteFromRecord(row.record, note), row.expected);
    EXPECT_EQ(note, nullptr);
  }
}

TEST(NoteClasses, ClassesRefuseOtherRecords) {
  CTMLogNotesRecord reset;
  reset.type = 3;
  CTMUserNote_Calibrate_Conductivity conductivity;
  EXPECT_EQ(conductivity.FromRecord(reset), tvk::kInvalidNoteType);
  EXPECT_EQ(conductivity.FromRecord(UserRecord(4, Bytes(46, 0))), tvk::kBadNoteSubType);
  CTMUserNote_Calibrate_SetNewLevelRef level;
  EXPECT_EQ(level.FromRecord(UserRecord(19, Bytes(32, 0))), tvk::kBadNoteSubType);
  CTMUserNote_Calibrate_pH ph;
  EXPECT_EQ(ph.FromRecord(UserRecord(27, Bytes(26, 0))), tvk::kBadNoteSubType);
}

TEST(NoteClasses, VersionDecidesWhatIsRead) {
  const Bytes cache = {0, 0, 0, 7, 0, 9, 0, 1, 0, 0x41};
  CTMUserNote_SensorMeasCacheTO later;
  ASSERT_EQ(later.FromRecord(UserRecord(9, cache, 2)), tvk::kOk);
  EXPECT_EQ(later.GetValues(), (CTMUserNote_SensorMeasCacheTO::Values{7, 9, ""}));
  CTMUserNote_SensorMeasCacheTO first;
  ASSERT_EQ(first.FromRecord(UserRecord(9, cache, 1)), tvk::kOk);
  EXPECT_EQ(first.GetValues().userName, "A");
}

TEST(NoteClasses, BuildStampsTheRecordAndKeepsItsLimits) {
  const NoteUser user("Ann");
  CTMUserNote_Text text;
  ASSERT_EQ(text.Build(std::string(130, 'x')), tvk::kOk);
  EXPECT_EQ(text.GetValues().text, std::string(120, 'x'));
  ASSERT_EQ(text.Build(std::string(121, 'y')), tvk::kOk);
  EXPECT_EQ(text.GetValues().text, std::string(121, 'y'));
  CTMByteBuffer bytes;
  ASSERT_EQ(text.GetRecord().ToBytes(bytes), tvk::kOk);
  EXPECT_EQ(bytes.Size(), 254U);
  EXPECT_EQ(text.Build(""), tvk::kMissingArgument);
  EXPECT_EQ(text.GetValues().text, std::string(121, 'y'));

  CTMUserNote_Calibrate_TDSFactor tds;
  ASSERT_EQ(tds.Build(1, 0.5f), tvk::kOk);
  EXPECT_EQ(tds.GetRecord().version, 1);
  EXPECT_EQ(tds.GetRecord().payload.Size(), 8U + 2U + 6U);

  const CTMDeviceTime before = CurrentDeviceTime();
  CTMUserNote_AllLogNotes all;
  ASSERT_EQ(all.Build(), tvk::kOk);
  EXPECT_EQ(all.GetRecord().subType, 20U);
  EXPECT_TRUE(all.GetRecord().payload.Empty());
  EXPECT_FALSE(DeviceTimeLess(all.GetTime(), before));
}

TEST(NoteClasses, PostCorrectionNoteCutsTheUserName) {
  std::string sixty;
  for (int i = 0; i < 60; ++i) sixty += static_cast<char>('a' + i % 26);
  const NoteUser user(sixty);
  CTMUserNote_Tavisko note;
  ASSERT_EQ(note.Build(0, {}, 3, 0, 1.0f, 1, 0, 17, 0, 35), tvk::kOk);
  EXPECT_EQ(note.GetValues().userName, sixty.substr(0, 50));
  EXPECT_EQ(note.GetRecord().payload.Size(), 42U + 100U);
  EXPECT_EQ(note.GetRecord().subType, 21U);
  EXPECT_EQ(note.GetRecord().version, 0);

  // Other notes keep the whole name.
  CTMUserNote_Calibrate_SetNewLevelRef level;
  ASSERT_EQ(level.Build(1, 2, 3, 38, 4, 5, 17, 6, 49), tvk::kOk);
  EXPECT_EQ(level.GetValues().userName, sixty);
}

}  // namespace
}  // namespace TMSystem
