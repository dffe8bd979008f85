#include "logfile/notes/StdNote.h"

#include "common/DisplaySettings.h"
#include "common/Format.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "logfile/notes/CalibrationNotes.h"
#include "logfile/notes/LevelNotes.h"
#include "logfile/notes/NoteStrings.h"
#include "logfile/notes/UserNotes.h"
#include "platform/SystemInfo.h"

namespace TMSystem {

using tvk::Failed;
using tvk::GetSystemString;
using tvk::kOk;

namespace {

std::optional<std::string>& UserNameOverride() {
  static std::optional<std::string> name;
  return name;
}

constexpr std::uint32_t kDeviceReset = 10190;
constexpr std::uint32_t kFaultRecoveryTime = 10189;
constexpr std::uint32_t kSensorDisabled = 10193;
constexpr std::uint32_t kSensorEnabled = 10194;
constexpr std::uint32_t kManualStartCommand = 10195;
constexpr std::uint32_t kAutoStartLostClock = 10200;
constexpr std::uint32_t kFirstCommand = 17;
constexpr std::uint32_t kLastCommand = 21;

// The device time a clock note was set to; zero when the payload is too short to hold one.
CTMDeviceTime ClockSetTo(const CTMByteBuffer& payload) {
  CTMDeviceTime time;
  if (payload.Size() < 6) return time;
  CTMByteReader reader(payload);
  (void)reader.ReadDeviceTime(time);
  return time;
}

std::unique_ptr<CTMStdNote> NewUserNote(std::uint32_t subType) {
  switch (subType) {
    case 0: return std::make_unique<CTMUserNote_Text>();
    case 1: return std::make_unique<CTMUserNote_Download>();
    case 2: return std::make_unique<CTMUserNote_Calibrate_TDSFactor>();
    case 3: return std::make_unique<CTMUserNote_Calibrate_Conductivity>();
    case 4: return std::make_unique<CTMUserNote_SpecCondCurve>();
    case 5: return std::make_unique<CTMUserNote_MemoryBatteryStatus>();
    case 9: return std::make_unique<CTMUserNote_SensorMeasCacheTO>();
    case 10: return std::make_unique<CTMUserNote_NewSpecificGravFactor>();
    case 11: return std::make_unique<CTMUserNote_NewSpecificGravity>();
    case 12: return std::make_unique<CTMUserNote_Calibration_ZeroPressureSensor>();
    case 14: return std::make_unique<CTMUserNote_RestoreFactoryCal_Sensor>();
    case 15: return std::make_unique<CTMUserNote_Calibrate_SetNewLevelRef>();
    case 16: return std::make_unique<CTMUserNote_SensorFactoryCalExpired>();
    case 17: return std::make_unique<CTMUserNote_PowerStatus>();
    case 18: return std::make_unique<CTMUserNote_ManualTimeSync>();
    case 19: return std::make_unique<CTMUserNote_Calibrate_SetNewHeadRef>();
    case 20: return std::make_unique<CTMUserNote_AllLogNotes>();
    case 21: return std::make_unique<CTMUserNote_Tavisko>();
    // Served by the TDS-factor class, whose decoding then refuses the sub-type.
    case 22: return std::make_unique<CTMUserNote_Calibrate_TDSFactor>();
    case 23: return std::make_unique<CTMUserNote_Calibrate_Turbidity>();
    case 24: return std::make_unique<CTMUserNote_Calibrate_Luvo>();
    case 25: return std::make_unique<CTMUserNote_Calibrate_pH>();
    case 26: return std::make_unique<CTMUserNote_Calibrate_ORP>();
    case 27: return std::make_unique<CTMUserNote_Calibrate_Nitrate>();
    case 28: return std::make_unique<CTMUserNote_Calibrate_Chloride>();
    case 29: return std::make_unique<CTMUserNote_Calibrate_Ammonium>();
    default: return nullptr;
  }
}

std::unique_ptr<CTMStdNote> NewNote(const CTMLogNotesRecord& record) {
  if (record.type == 0) return NewUserNote(record.subType);
  if (record.type >= 1 && record.type <= 9) return std::make_unique<CTMStdNote>();
  return nullptr;
}

}  // namespace

ResultCode CTMStdNote::FromRecord(const CTMLogNotesRecord& record) {
  try {
    Reset();
    record_ = record;
    return kOk;
  } catch (const std::exception&) {
    return tvk::kUnexpected;
  }
}

void CTMStdNote::Reset() { record_.Reset(); }

std::string CTMStdNote::GetText() const { return GuardedText([] { return GetSystemString(note_text::kUserNote); }); }

std::string CTMStdNote::GetDisplayText() const {
  return GuardedText([this] { return DisplayText(); });
}

std::string CTMStdNote::DisplayText() const {
  using namespace note_text;
  const std::uint32_t type = record_.type;
  if (type == 0) return GetText();
  if (type == 1 || type == 2) {
    const std::uint32_t id = type == 1 ? kUserAdjustedTime : kFaultRecoveryTime;
    return GetSystemString(id) + " " + DateTimeText(ClockSetTo(record_.payload)) + UtcSuffix();
  }
  if (type == 3 || type == 4 || type == 5) return GetSystemString(kDeviceReset + (type - 3));
  if (type == 9) return GetSystemString(kAutoStartLostClock);
  if (type == 6 || type == 7) {
    CTMByteReader reader(record_.payload);
    std::uint16_t number = 0;
    if (Failed(reader.ReadU16(number))) return {};
    return tvk::StrFormat("%s: %u", GetSystemString(type == 6 ? kSensorDisabled : kSensorEnabled).c_str(),
                          static_cast<unsigned>(number));
  }
  if (type == 8) {
    if (record_.command < kFirstCommand || record_.command > kLastCommand) return "Unknown Data Log Command SubType";
    return GetSystemString(kManualStartCommand + (record_.command - kFirstCommand));
  }
  return "Error- Invalid note type";
}

ResultCode CTMStdNote::AcceptUserNote(const CTMLogNotesRecord& record, std::uint32_t subType, PayloadSize size) {
  if (const ResultCode rc = CTMStdNote::FromRecord(record); Failed(rc)) return rc;
  if (record_.type != 0) return tvk::kInvalidNoteType;
  if (record_.subType != subType) return tvk::kBadNoteSubType;
  const std::uint32_t bytes = record_.payload.Size();
  if (bytes < size.bytes || (size.exact && bytes != size.bytes)) return tvk::kFail;
  return kOk;
}

void CTMStdNote::StampUserNote(std::uint32_t subType, std::uint16_t version) {
  Reset();
  record_.type = 0;
  record_.subType = subType;
  record_.version = version;
  record_.time = CurrentDeviceTime();
}

std::string CTMStdNote::UserNameTail(const std::string& userName) {
  if (userName.empty()) return {};
  return tvk::StrFormat("   %s: %s", GetSystemString(note_text::kUserName).c_str(), userName.c_str());
}

std::string CTMStdNote::DateTimeText(const tvk::SystemTime& utc) { return tvk::FormatDateTime(utc); }

std::string CTMStdNote::DateTimeText(const CTMDeviceTime& utc) {
  return tvk::FormatDateTime(DeviceTimeToSystemTime(utc));
}

std::string CTMStdNote::CurrentUser() {
  const std::optional<std::string>& name = UserNameOverride();
  return name ? *name : tvk::platform::CurrentUserName();
}

void SetNoteUserNameForTesting(std::optional<std::string> name) { UserNameOverride() = std::move(name); }

std::string CTMStdNote::UtcSuffix() {
  if (!tvk::GetUseUTC()) return {};
  return " (" + GetSystemString(note_text::kTimeUtc) + ")";
}

ResultCode CreateNoteFromRecord(const CTMLogNotesRecord& record, std::unique_ptr<CTMStdNote>& note) {
  note.reset();
  try {
    std::unique_ptr<CTMStdNote> made = NewNote(record);
    if (!made) return tvk::kInvalidNoteType;
    if (const ResultCode rc = made->FromRecord(record); Failed(rc)) return rc;
    note = std::move(made);
    return kOk;
  } catch (const std::exception&) {
    return tvk::kUnexpected;
  }
}

}  // namespace TMSystem
