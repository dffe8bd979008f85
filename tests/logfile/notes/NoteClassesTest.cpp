#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/ResultCodes.h"
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
