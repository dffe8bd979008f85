#pragma once
// One note of a log in generic form (header fields plus the raw payload), and the walk over a log's
// notes section.

#include <cstdint>
#include <vector>

#include "common/DeviceTime.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"

namespace TMSystem {

class CTMLogNotesRecord {
 public:
  static constexpr std::uint32_t kNone = 255;
  static constexpr std::uint32_t kAliveMarker = 0x434E4F54;
  static constexpr std::uint32_t kHeaderSize = 8;
  static constexpr std::uint32_t kUserHeaderSize = 12;  // header plus the user-note sub-header
  static constexpr std::uint32_t kMaxRecordSize = 255;

  CTMLogNotesRecord() = default;
  CTMLogNotesRecord(const CTMLogNotesRecord& other);
  CTMLogNotesRecord& operator=(const CTMLogNotesRecord& other);
  // Moves leave the source empty and alive.
  CTMLogNotesRecord(CTMLogNotesRecord&& other) noexcept;
  CTMLogNotesRecord& operator=(CTMLogNotesRecord&& other) noexcept;
  virtual ~CTMLogNotesRecord();

  // Decodes the one record `bytes` holds. A length byte claiming more bytes than given is refused
  // with kBadNoteFormat; nothing beyond the buffer is read. On failure the fields are of no meaning.
  [[nodiscard]] ResultCode FromBytes(const CTMByteBuffer& bytes);
  // Encodes the record into `out` (replaced). Fails with kBadNoteFormat when the record would not
  // fit its length byte; `out` is then empty.
  [[nodiscard]] ResultCode ToBytes(CTMByteBuffer& out) const;
  // Back to the empty state; the buffers' memory is released.
  void Reset();

  std::uint32_t type = kNone;     // 0-9
  std::uint32_t subType = kNone;  // user-note kind 0-29, type 0 only
  std::uint32_t command = kNone;  // data-log command 17-21, type 8 only
  std::uint16_t version = 0;      // payload layout version of a user note
  CTMDeviceTime time;             // UTC
  CTMByteBuffer payload;          // after the header (and the sub-header of a user note)
  CTMByteBuffer raw;              // the whole record as decoded; empty for one built in memory
  std::uint32_t marker = kAliveMarker;

 private:
  ResultCode Decode(const CTMByteBuffer& bytes);
  ResultCode Encode(CTMByteBuffer& out) const;
  ResultCode EncodeUserNote(CTMByteWriter& writer) const;
};

// The records of a notes section in order. A zero length byte or a record running past the end
// ends the walk; records that fail to decode are dropped.
std::vector<CTMLogNotesRecord> ReadNotesSection(const CTMByteBuffer& section);

// The section bytes of `records` into `out`; a record whose encoding fails is left out.
// Fails only when memory runs out (kUnexpected).
[[nodiscard]] ResultCode WriteNotesSection(const std::vector<CTMLogNotesRecord>& records, CTMByteBuffer& out);

}  // namespace TMSystem
