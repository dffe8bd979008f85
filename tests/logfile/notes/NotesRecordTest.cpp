#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "common/ResultCodes.h"
#include "logfile/notes/NotesRecord.h"
#include "support/LogFiles.h"

namespace TMSystem {
namespace {

using tvk::test::Bytes;
using tvk::test::ToBuffer;
using tvk::test::ToBytes;

// A record: length byte (the size unless given), time 0x01020304 + 0x0506, type, then `rest`.
Bytes RecordBytes(std::uint8_t type, const Bytes& rest, int length = -1) {
  Bytes bytes{0, 1, 2, 3, 4, 5, 6, type};
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  bytes[0] = static_cast<std::uint8_t>(length < 0 ? bytes.size() : length);
  return bytes;
}

CTMLogNotesRecord MakeRecord(std::uint32_t type, std::uint32_t subType, std::size_t payloadSize,
                             std::uint8_t fill = 0x41) {
  CTMLogNotesRecord record;
  record.type = type;
  record.subType = subType;
  record.time = {0x11223344, 0x5566};
  const Bytes payload(payloadSize, fill);
  record.payload = ToBuffer(payload);
  return record;
}

TEST(NotesRecord, DecodesHeaderByType) {
  struct Row {
    const char* name;
    Bytes bytes;
    std::uint32_t type, subType, command;
    std::uint16_t version;
    Bytes payload;
  };
  const Row rows[] = {
      {"user note with sub-header", RecordBytes(0, {0, 2, 15, 1, 9, 8}), 0, 15, 255, 1, {9, 8}},
      {"user note without marker is a text note", RecordBytes(0, {0, 0x41, 0, 0x42}), 0, 0, 255, 0, {0, 0x41, 0, 0x42}},
      {"suspend command keeps its code", RecordBytes(8, {0xF0, 0x12}), 8, 255, 19, 0, {0xF0, 0x12}},
      {"unknown command code", RecordBytes(8, {0xF0, 0x15}), 8, 255, 255, 0, {0xF0, 0x15}},
      {"device reset, header only", RecordBytes(3, {}), 3, 255, 255, 0, {}},
      {"clock set", RecordBytes(1, {0, 0, 0, 9, 0, 0}), 1, 255, 255, 0, {0, 0, 0, 9, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogNotesRecord record;
    ASSERT_EQ(record.FromBytes(ToBuffer(row.bytes)), tvk::kOk);
    EXPECT_EQ(record.type, row.type);
    EXPECT_EQ(record.subType, row.subType);
    EXPECT_EQ(record.command, row.command);
    EXPECT_EQ(record.version, row.version);
    EXPECT_EQ(record.time, (CTMDeviceTime{0x01020304, 0x0506}));
    EXPECT_EQ(ToBytes(record.payload), row.payload);
    EXPECT_EQ(ToBytes(record.raw), row.bytes);
  }
}

TEST(NotesRecord, RefusesMalformedRecords) {
  struct Row {
    const char* name;
    Bytes bytes;
    ResultCode expected;
  };
  const Row rows[] = {
      {"fewer than 8 bytes", {7, 0, 0, 0, 0, 0, 0}, tvk::kBadNoteFormat},
      {"length byte 7", RecordBytes(3, {}, 7), tvk::kBadNoteFormat},
      {"type 10", RecordBytes(10, {}), tvk::kBadNoteFormat},
      {"sub-type 30", RecordBytes(0, {0, 2, 30, 0}), tvk::kBadNoteFormat},
      {"user note of 8 bytes has no room for the marker", RecordBytes(0, {}), tvk::kBufferOverrun},
      {"command record without its code", RecordBytes(8, {0xF0}), tvk::kBufferOverrun},
      {"sub-header cut after the marker", RecordBytes(0, {0, 2, 1}), tvk::kBufferOverrun},
      {"length byte beyond the buffer", RecordBytes(3, {1, 2}, 40), tvk::kBadNoteFormat},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogNotesRecord record;
    EXPECT_EQ(record.FromBytes(ToBuffer(row.bytes)), row.expected);
  }
  CTMLogNotesRecord record;
  ASSERT_NE(record.FromBytes(ToBuffer(RecordBytes(12, {}))), tvk::kOk);
  EXPECT_EQ(record.type, 255U);
}

TEST(NotesRecord, EncodesWithinRecordLimitsAndReadsBack) {
  struct Row {
    const char* name;
    CTMLogNotesRecord record;
    ResultCode expected;
    std::size_t size;
    bool subHeader;
  };
  CTMLogNotesRecord versioned = MakeRecord(0, 29, 26);
  versioned.version = 3;
  const Row rows[] = {
      {"empty text", MakeRecord(0, 0, 0), tvk::kOk, 12, true},
      {"text of 242 bytes keeps the sub-header", MakeRecord(0, 0, 242), tvk::kOk, 254, true},
      {"text of 243 bytes goes without it", MakeRecord(0, 0, 243), tvk::kOk, 251, false},
      {"text of 246 bytes is the longest", MakeRecord(0, 0, 246), tvk::kOk, 254, false},
      {"text of 247 bytes does not fit", MakeRecord(0, 0, 247), tvk::kBadNoteFormat, 0, false},
      {"versioned user note", versioned, tvk::kOk, 38, true},
      {"other user note of 242 bytes", MakeRecord(0, 5, 242), tvk::kOk, 254, true},
      {"other user note of 243 bytes does not fit", MakeRecord(0, 5, 243), tvk::kBadNoteFormat, 0, false},
      {"device reset drops its payload", MakeRecord(3, 255, 5), tvk::kOk, 8, false},
      {"sensor enabled keeps its payload", MakeRecord(7, 255, 2), tvk::kOk, 10, false},
      {"command", MakeRecord(8, 255, 2, 0xF0), tvk::kOk, 10, false},
      {"command payload too long for the length byte", MakeRecord(8, 255, 248), tvk::kBadNoteFormat, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMByteBuffer out;
    ASSERT_EQ(row.record.ToBytes(out), row.expected);
    ASSERT_EQ(out.Size(), row.size);
    if (row.size == 0) continue;
    EXPECT_EQ(out.Data()[0], row.size);
    const bool marked = out.Size() >= 12 && out.Data()[8] == 0 && out.Data()[9] == 2;
    EXPECT_EQ(marked, row.subHeader);

    CTMLogNotesRecord back;
    ASSERT_EQ(back.FromBytes(out), tvk::kOk);
    EXPECT_EQ(back.type, row.record.type);
    EXPECT_EQ(back.time, row.record.time);
    EXPECT_EQ(back.raw, out);
    if (row.record.type == 3) continue;  // its payload is not written
    EXPECT_EQ(back.type == 0 ? back.subType : 255U, row.record.type == 0 ? row.record.subType : 255U);
    EXPECT_EQ(back.version, row.record.version);
    EXPECT_EQ(back.payload, row.record.payload);
  }
}

TEST(NotesRecord, CopiesAreIndependent) {
  CTMLogNotesRecord source = MakeRecord(0, 3, 4);
  ASSERT_EQ(source.FromBytes(ToBuffer(RecordBytes(0, {0, 2, 3, 0, 1, 2, 3, 4}))), tvk::kOk);
  const CTMLogNotesRecord copy(source);
  CTMLogNotesRecord assigned;
  assigned = source;
  source.Reset();

  for (const CTMLogNotesRecord* record : {&copy, static_cast<const CTMLogNotesRecord*>(&assigned)}) {
    EXPECT_EQ(record->subType, 3U);
    EXPECT_EQ(ToBytes(record->payload), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(record->raw.Size(), 16U);
    EXPECT_EQ(record->marker, CTMLogNotesRecord::kAliveMarker);
  }
  EXPECT_EQ(source.subType, 255U);
  EXPECT_TRUE(source.payload.Empty());

  CTMLogNotesRecord moved(std::move(assigned));
  EXPECT_EQ(ToBytes(moved.payload), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(assigned.type, 255U);
  EXPECT_EQ(assigned.marker, CTMLogNotesRecord::kAliveMarker);
}

TEST(NotesSection, ReadsRecordsUntilTheListEnds) {
  const Bytes reset = RecordBytes(3, {});
  const Bytes online = RecordBytes(5, {});
  const auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Row {
    const char* name;
    Bytes section;
    std::vector<std::uint32_t> types;
  };
  const Row rows[] = {
      {"empty section", {}, {}},
      {"zero length byte ends the list", join({reset, {0}, online}), {3}},
      {"bad length byte skipped", join({{7, 0, 0, 0, 0, 0, 3}, online}), {5}},
      {"type 10 dropped, next read", join({RecordBytes(10, {}), online}), {5}},
      {"sub-type 30 dropped, next read", join({RecordBytes(0, {0, 2, 30, 0}), reset}), {3}},
      {"last record running past the end", join({reset, RecordBytes(5, {}, 9)}), {3}},
      {"all read", join({reset, RecordBytes(0, {0, 2, 5, 0, 0, 1, 0, 2, 0, 0}), online}), {3, 0, 5}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::vector<CTMLogNotesRecord> records = ReadNotesSection(ToBuffer(row.section));
    std::vector<std::uint32_t> types;
    for (const CTMLogNotesRecord& record : records) types.push_back(record.type);
    EXPECT_EQ(types, row.types);
  }
}

TEST(NotesSection, WritingLeavesOutRecordsThatDoNotFit) {
  const std::vector<CTMLogNotesRecord> records = {MakeRecord(0, 0, 10), MakeRecord(0, 5, 243), MakeRecord(4, 255, 0),
                                                  MakeRecord(0, 0, 246)};
  CTMByteBuffer section;
  ASSERT_EQ(WriteNotesSection(records, section), tvk::kOk);
  EXPECT_EQ(section.Size(), 22U + 8U + 254U);

  const std::vector<CTMLogNotesRecord> back = ReadNotesSection(section);
  ASSERT_EQ(back.size(), 3U);
  EXPECT_EQ(back[0].payload, records[0].payload);
  EXPECT_EQ(back[1].type, 4U);
  EXPECT_EQ(back[2].subType, 0U);
  EXPECT_EQ(back[2].payload, records[3].payload);
}

}  // namespace
}  // namespace TMSystem
