#include "logfile/notes/NotesRecord.h"

#include <new>
#include <utility>

namespace TMSystem {

using tvk::Failed;
using tvk::kBadNoteFormat;
using tvk::kOk;
using tvk::kUnexpected;

namespace {

constexpr std::uint32_t kTypeCount = 10;
constexpr std::uint32_t kSubTypeCount = 30;
constexpr std::uint32_t kUserType = 0;
constexpr std::uint32_t kCommandType = 8;
constexpr std::uint16_t kSubHeaderMarker = 2;
constexpr std::uint16_t kFirstCommandCode = 0xF010;
constexpr std::uint16_t kLastCommandCode = 0xF014;
constexpr std::uint32_t kFirstCommand = 17;
// Payload limits of a text note: with the sub-header, or (longer) without it.
constexpr std::uint32_t kMaxUserPayload = CTMLogNotesRecord::kMaxRecordSize - 1 - CTMLogNotesRecord::kUserHeaderSize;
constexpr std::uint32_t kMaxBareTextPayload = CTMLogNotesRecord::kMaxRecordSize - 1 - CTMLogNotesRecord::kHeaderSize;

bool CarriesPayload(std::uint32_t type) {
  return type == 1 || type == 2 || type == 6 || type == 7 || type == kCommandType;
}

}  // namespace

CTMLogNotesRecord::CTMLogNotesRecord(const CTMLogNotesRecord& other)
    : type(other.type),
      subType(other.subType),
      command(other.command),
      version(other.version),
      time(other.time),
      payload(other.payload),
      raw(other.raw) {}

CTMLogNotesRecord& CTMLogNotesRecord::operator=(const CTMLogNotesRecord& other) {
  if (this == &other) return *this;
  type = other.type;
  subType = other.subType;
  command = other.command;
  version = other.version;
  time = other.time;
  payload = other.payload;
  raw = other.raw;
  return *this;
}

CTMLogNotesRecord::CTMLogNotesRecord(CTMLogNotesRecord&& other) noexcept
    : type(other.type),
      subType(other.subType),
      command(other.command),
      version(other.version),
      time(other.time),
      payload(std::move(other.payload)),
      raw(std::move(other.raw)) {
  other.Reset();
}

CTMLogNotesRecord& CTMLogNotesRecord::operator=(CTMLogNotesRecord&& other) noexcept {
  if (this == &other) return *this;
  type = other.type;
  subType = other.subType;
  command = other.command;
  version = other.version;
  time = other.time;
  payload = std::move(other.payload);
  raw = std::move(other.raw);
  other.Reset();
  return *this;
}

// Stored through a volatile so the compiler keeps a store that nothing reads afterwards.
CTMLogNotesRecord::~CTMLogNotesRecord() { *static_cast<volatile std::uint32_t*>(&marker) = 0; }

void CTMLogNotesRecord::Reset() {
  type = kNone;
  subType = kNone;
  command = kNone;
  version = 0;
  time = {};
  payload.Clear();
  raw.Clear();
}

ResultCode CTMLogNotesRecord::FromBytes(const CTMByteBuffer& bytes) {
  try {
    return Decode(bytes);
  } catch (const std::exception&) {
    return kUnexpected;
  }
}

ResultCode CTMLogNotesRecord::Decode(const CTMByteBuffer& bytes) {
  Reset();
  if (bytes.Size() < kHeaderSize) return kBadNoteFormat;
  const std::uint32_t length = bytes.Data()[0];
  if (length < kHeaderSize || length > bytes.Size()) return kBadNoteFormat;

  CTMByteReader reader(bytes.Bytes().first(length));
  ResultCode rc = reader.Skip(1);
  if (!Failed(rc)) rc = reader.ReadDeviceTime(time);
  std::uint8_t typeByte = 0;
  if (!Failed(rc)) rc = reader.ReadU8(typeByte);
  if (Failed(rc)) return rc;
  if (typeByte >= kTypeCount) return kBadNoteFormat;
  type = typeByte;

  std::uint32_t payloadStart = kHeaderSize;
  if (type == kCommandType) {
    std::uint16_t code = 0;
    if (rc = reader.ReadU16(code); Failed(rc)) return rc;
    if (code >= kFirstCommandCode && code <= kLastCommandCode) command = kFirstCommand + (code - kFirstCommandCode);
  }
  if (type == kUserType) {
    subType = 0;
    std::uint16_t subHeader = 0;
    if (rc = reader.ReadU16(subHeader); Failed(rc)) return rc;
    if (subHeader == kSubHeaderMarker) {
      std::uint8_t subTypeByte = 0;
      std::uint8_t versionByte = 0;
      if (rc = reader.ReadU8(subTypeByte); Failed(rc)) return rc;
      if (subTypeByte >= kSubTypeCount) {
        subType = kNone;
        return kBadNoteFormat;
      }
      subType = subTypeByte;
      if (rc = reader.ReadU8(versionByte); Failed(rc)) return rc;
      version = versionByte;
      payloadStart = kUserHeaderSize;
    }
  }
  if (!payload.Assign(bytes.Data() + payloadStart, length - payloadStart)) return kUnexpected;
  if (!raw.Assign(bytes.Data(), length)) return kUnexpected;
  return kOk;
}

ResultCode CTMLogNotesRecord::ToBytes(CTMByteBuffer& out) const {
  try {
    const ResultCode rc = Encode(out);
    if (Failed(rc)) out.Clear();
    return rc;
  } catch (const std::exception&) {
    out.Clear();
    return kUnexpected;
  }
}

ResultCode CTMLogNotesRecord::Encode(CTMByteBuffer& out) const {
  if (!out.Reserve(kMaxRecordSize)) return kUnexpected;
  CTMByteWriter writer(out);
  writer.WriteU8(0xFF);  // the length, set once the record is complete
  writer.WriteDeviceTime(time);
  writer.WriteU8(static_cast<std::uint8_t>(type));

  if (type == kUserType) {
    if (const ResultCode rc = EncodeUserNote(writer); Failed(rc)) return rc;
  } else if (CarriesPayload(type)) {
    // Records built in memory are held to what the length byte can tell, so every record written
    // carries its true length.
    if (payload.Size() > kMaxBareTextPayload) return kBadNoteFormat;
    writer.WriteBytes(payload.Bytes());
  }
  if (out.Size() > kMaxRecordSize) return kBadNoteFormat;
  out.Data()[0] = static_cast<std::uint8_t>(out.Size());
  return kOk;
}

ResultCode CTMLogNotesRecord::EncodeUserNote(CTMByteWriter& writer) const {
  const std::uint32_t size = payload.Size();
  if (subType != 0 || size <= kMaxUserPayload) {
    writer.WriteU16(kSubHeaderMarker);
    writer.WriteU8(static_cast<std::uint8_t>(subType));
    writer.WriteU8(static_cast<std::uint8_t>(version));
    if (size > kMaxUserPayload) return kBadNoteFormat;
  } else if (size > kMaxBareTextPayload) {
    return kBadNoteFormat;
  }
  // A long text note goes without the sub-header: it is read back as a text note all the same.
  writer.WriteBytes(payload.Bytes());
  return kOk;
}

std::vector<CTMLogNotesRecord> ReadNotesSection(const CTMByteBuffer& section) {
  std::vector<CTMLogNotesRecord> records;
  try {
    const std::uint32_t end = section.Size();
    std::uint32_t position = 0;
    while (position < end) {
      const std::uint32_t length = section.Data()[position];
      if (length == 0 || length > end - position) break;
      const CTMByteBuffer bytes(section.Data() + position, length);
      CTMLogNotesRecord record;
      if (!Failed(record.FromBytes(bytes))) records.push_back(std::move(record));
      position += length;
    }
  } catch (const std::exception&) {
    // Out of memory: the notes read so far stay.
  }
  return records;
}

ResultCode WriteNotesSection(const std::vector<CTMLogNotesRecord>& records, CTMByteBuffer& out) {
  const std::uint64_t room = static_cast<std::uint64_t>(records.size()) * CTMLogNotesRecord::kMaxRecordSize;
  if (room > UINT32_MAX || !out.Reserve(static_cast<std::uint32_t>(room))) return kUnexpected;
  CTMByteBuffer bytes;
  for (const CTMLogNotesRecord& record : records) {
    if (Failed(record.ToBytes(bytes))) continue;
    if (!out.Append(bytes.Data(), bytes.Size())) return kUnexpected;
  }
  return kOk;
}

}  // namespace TMSystem
