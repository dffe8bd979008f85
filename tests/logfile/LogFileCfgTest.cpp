#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "logfile/LogFileCfg.h"
#include "support/LogFiles.h"

namespace TMSystem {
namespace {

using tvk::test::Bytes;
using tvk::test::ToBytes;

const tvk::Guid kGuid{0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};
const char* const kGuidText = "{00112233-4455-6677-8899-AABBCCDDEEFF}";

struct RawEntry {
  std::string key;
  std::uint16_t type = 0;
  Bytes value;
  int size = -1;  // the value's byte count unless set
};

Bytes Utf16Bytes(const std::string& ascii) {
  Bytes out;
  for (char c : ascii) {
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(c));
  }
  return out;
}

// Built field by field, independently of the code under test.
struct Block {
  std::uint16_t version = 1;
  std::string name = "Well 7";
  std::uint16_t word1 = 4096;
  std::uint16_t word2 = 3;
  std::uint16_t logType = 1;
  std::uint16_t typeVersion = 1;
  CTMDeviceTime time{1234567890, 0x8000};
  std::function<void(CTMByteWriter&)> record = [](CTMByteWriter& w) {
    w.WriteU32(11);
    w.WriteU32(22);
  };
  std::uint16_t pairMarker = 1;
  std::vector<CTMConfigPair> pairs = {{1, 2}};
  bool entryList = true;
  std::uint16_t entryMarker = 1;
  std::vector<RawEntry> entries;
  int pairCount = -1, entryCount = -1;  // the lists' lengths unless set

  std::uint32_t pairListEnd = 0;

  CTMByteBuffer Build() {
    CTMByteBuffer buffer;
    CTMByteWriter w(buffer);
    w.WriteU16(version);
    w.WriteString(name, 32);
    if (version == 2) w.WriteGuid(kGuid);
    w.WriteU16(word1);
    w.WriteU16(word2);
    w.WriteU16(logType);
    w.WriteU16(typeVersion);
    w.WriteDeviceTime(time);
    record(w);
    w.WriteU16(pairMarker);
    w.WriteU16(static_cast<std::uint16_t>(pairCount >= 0 ? pairCount : static_cast<int>(pairs.size())));
    for (const auto& p : pairs) {
      w.WriteU16(p.first);
      w.WriteU16(p.second);
    }
    pairListEnd = buffer.Size();
    if (!entryList) return buffer;
    w.WriteU16(entryMarker);
    w.WriteU16(static_cast<std::uint16_t>(entryCount >= 0 ? entryCount : static_cast<int>(entries.size())));
    for (const RawEntry& e : entries) {
      w.WriteString(e.key, 32);
      w.WriteU16(e.type);
      w.WriteU16(static_cast<std::uint16_t>(e.size >= 0 ? e.size : static_cast<int>(e.value.size())));
      w.WriteBytes(e.value);
    }
    return buffer;
  }
};

// One entry of every value kind, each with a value whose file form survives a round trip exactly.
std::vector<RawEntry> AllKinds() {
  return {
      {"SiteName", 9, Utf16Bytes("North bank")},
      {"LogGUID", 9, Utf16Bytes(kGuidText)},
      {"LevelMeasurementMode", 3, {0x00, 0x04}},
      {"Flag", 1, {0xFE}},
      {"Offset16", 2, {0xFF, 0xFE}},
      {"Count32", 4, {0x80, 0x00, 0x00, 0x01}},
      {"Serial", 5, {0xA1, 0xB2, 0xC3, 0xD4}},
      {"SpecificGravity", 6, {0x3F, 0x80, 0x00, 0x00}},
      {"LevelReferenceVal", 7, {0x3F, 0xB9, 0x99, 0x99, 0x99, 0x99, 0x99, 0x9A}},
      {"Letter", 8, {0x00, 0xE9}},
      {"CreateDateTime", 10, {0x4A, 0x50, 0x5F, 0xA6, 0x80, 0x00}},
      {"Kind11", 11, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"Kind12", 12, {0x00, 0x00, 0x00, 0x07}},
      {"SiteGUID", 13, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE,
                        0xFF}},
      {"Char8", 14, {0x80}},
  };
}

CTMByteBuffer Serialized(const CTMLogFileCfg& cfg) {
  CTMByteBuffer out;
  EXPECT_EQ(cfg.SerializeConfiguration(out), tvk::kOk);
  return out;
}

struct RecordRow {
  const char* name;
  std::uint16_t logType;
  std::uint16_t typeVersion;
  std::function<void(CTMByteWriter&)> record;
};

std::vector<RecordRow> RecordRows() {
  auto twoValues = [](CTMByteWriter& w) {
    w.WriteU32(0x01020304);
    w.WriteU32(0xFFFFFFFF);
  };
  auto type2 = [=](CTMByteWriter& w) {
    twoValues(w);
    w.WriteU16(0x1234);
    w.WriteU16(0xFFFF);
  };
  auto items = [](std::uint16_t countWord, int count) {
    return [=](CTMByteWriter& w) {
      w.WriteU16(countWord);
      for (int i = 0; i < count; ++i) {
        w.WriteU32(static_cast<std::uint32_t>(i));
        w.WriteU32(0xF0000000U + static_cast<std::uint32_t>(i));
      }
    };
  };
  auto type6 = [=](CTMByteWriter& w) {
    twoValues(w);
    for (std::uint16_t word : {1, 2, 0x8000, 0xFFFF}) w.WriteU16(word);
    w.WriteF32(1.5f);
    w.WriteF32(-2.25f);
    w.WriteU32(0x7FC00001);  // a NaN with a payload is carried as it stands
  };
  return {
      {"type 1", 1, 1, twoValues},
      {"type 2 version 2", 2, 2, type2},
      {"type 3", 3, 1, twoValues},
      {"type 4 with three items", 4, 1, items(3, 3)},
      {"type 4 with fifteen items", 4, 1, items(15, 15)},
      {"type 4 version 2 with the flag bit", 4, 2, items(0x8002, 2)},
      {"type 5", 5, 1, twoValues},
      {"type 6", 6, 2, type6},
  };
}

TEST(LogFileCfg, WorkedExampleIs180BytesWithTheExpectedLayout) {
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.SetLogName("Well 7"), tvk::kOk);
  cfg.SetLogType(1);
  cfg.SetTypeVersion(1);
  cfg.SetHeaderTime({0x01020304, 0x0506});
  CTMLogTypeRecord record;
  record.value1 = 0xAABBCCDD;
  record.value2 = 7;
  ASSERT_EQ(cfg.SetTypeRecord(record), tvk::kOk);
  ASSERT_EQ(cfg.SetPairs({{0x0102, 0x0304}}), tvk::kOk);
  ASSERT_EQ(cfg.SetStringValue("SiteName", "abcdef"), tvk::kOk);

  const Bytes bytes = ToBytes(Serialized(cfg));
  ASSERT_EQ(bytes.size(), 180U);
  auto at = [&](std::size_t offset, std::size_t n) { return Bytes(bytes.begin() + offset, bytes.begin() + offset + n); };
  EXPECT_EQ(at(0, 2), (Bytes{0x00, 0x01}));                                  // format version
  EXPECT_EQ(at(2, 12), Utf16Bytes("Well 7"));                                // name, padded to 32 units
  EXPECT_EQ(at(14, 52), Bytes(52, 0));
  EXPECT_EQ(at(66, 14), (Bytes{0x10, 0x00, 0, 0, 0, 1, 0, 1, 1, 2, 3, 4, 5, 6}));  // words, type, time
  EXPECT_EQ(at(80, 8), (Bytes{0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0, 7}));         // type record
  EXPECT_EQ(at(88, 8), (Bytes{0, 1, 0, 1, 0x01, 0x02, 0x03, 0x04}));         // pair list
  EXPECT_EQ(at(96, 4), (Bytes{0, 1, 0, 1}));                                 // entry list
  EXPECT_EQ(at(100, 16), Utf16Bytes("SiteName"));                            // key, padded to 32 units
  EXPECT_EQ(at(116, 48), Bytes(48, 0));
  EXPECT_EQ(at(164, 4), (Bytes{0x00, 0x09, 0x00, 0x0C}));                    // type, size
  EXPECT_EQ(at(168, 12), Utf16Bytes("abcdef"));
}

TEST(LogFileCfg, RoundTripsEveryRecordAndValueKindByteForByte) {
  for (std::uint16_t version : {1, 2}) {
    for (const RecordRow& row : RecordRows()) {
      SCOPED_TRACE(std::string(row.name) + ", version " + std::to_string(version));
      Block block;
      block.version = version;
      block.logType = row.logType;
      block.typeVersion = row.typeVersion;
      block.record = row.record;
      block.pairs = {{1, 2}, {0xFFFF, 0}, {7, 7}};
      block.entries = AllKinds();
      const CTMByteBuffer input = block.Build();

      CTMLogFileCfg cfg;
      ASSERT_EQ(cfg.ParseConfiguration(input), tvk::kOk);
      EXPECT_TRUE(cfg.IsLoaded());
      EXPECT_EQ(cfg.EntryCount(), AllKinds().size());
      EXPECT_EQ(cfg.LogGuid(), kGuid);  // the field in version 2, the entry in version 1
      EXPECT_EQ(cfg.GetLogName(), "Well 7");
      EXPECT_EQ(cfg.HeaderTime(), block.time);
      EXPECT_EQ(ToBytes(Serialized(cfg)), ToBytes(input));
    }
  }
}

TEST(LogFileCfg, ParseRefusesMalformedBlocks) {
  struct Row {
    const char* name;
    std::function<void(Block&)> change;
    tvk::ResultCode code;
  };
  const Row rows[] = {
      {"format version 3", [](Block& b) { b.version = 3; }, tvk::kBadFormatVersion},
      {"log type 7", [](Block& b) { b.logType = 7; }, tvk::kInvalidLogType},
      {"type 1 only allows type version 1", [](Block& b) { b.typeVersion = 0; }, tvk::kBadFormatVersion},
      {"type 3 refuses type version 2", [](Block& b) { b.logType = 3; b.typeVersion = 2; },
       tvk::kBadFormatVersion},
      {"type 4 count 16",
       [](Block& b) {
         b.logType = 4;
         b.record = [](CTMByteWriter& w) {
           w.WriteU16(16);
           for (int i = 0; i < 32; ++i) w.WriteU32(0);
         };
       },
       tvk::kLogFileError},
      {"type 4 flag bit is part of the count before type version 2",
       [](Block& b) {
         b.logType = 4;
         b.record = [](CTMByteWriter& w) { w.WriteU16(0x8000); };
       },
       tvk::kLogFileError},
      {"pair marker 0", [](Block& b) { b.pairMarker = 0; }, tvk::kBadFormatVersion},
      {"entry type 15", [](Block& b) { b.entries = {{"Key", 15, {0}}}; }, tvk::kLogFileError},
      {"pair count beyond the block", [](Block& b) { b.pairCount = 0xFFFF; }, tvk::kBufferOverrun},
      {"entry count beyond the block", [](Block& b) { b.entryCount = 0xFFFF; }, tvk::kBufferOverrun},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Block block;
    block.entries = {{"SiteName", 9, Utf16Bytes("abc")}};
    row.change(block);
    CTMLogFileCfg cfg;
    EXPECT_EQ(cfg.ParseConfiguration(block.Build()), row.code);
    EXPECT_FALSE(cfg.IsLoaded());
  }
  CTMLogFileCfg cfg;
  EXPECT_EQ(cfg.ParseConfiguration(CTMByteBuffer()), tvk::kFail);
}

TEST(LogFileCfg, TruncatedBlocksFailWithoutCrashing) {
  Block block;
  block.version = 2;
  block.logType = 6;
  block.typeVersion = 1;
  block.record = RecordRows().back().record;
  block.entries = AllKinds();
  const Bytes full = ToBytes(block.Build());
  for (std::uint32_t length = 1; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    CTMLogFileCfg cfg;
    const tvk::ResultCode expected = length == block.pairListEnd ? tvk::kOk : tvk::kBufferOverrun;
    EXPECT_EQ(cfg.ParseConfiguration(CTMByteBuffer(full.data(), length)), expected);
  }
}

TEST(LogFileCfg, BlockEndingAfterThePairsOrWithoutEntryMarkerHasNoEntries) {
  for (bool entryList : {false, true}) {
    SCOPED_TRACE(entryList ? "entry marker 0" : "no entry list");
    Block block;
    block.entryList = entryList;
    block.entryMarker = 0;
    block.entries = AllKinds();
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.ParseConfiguration(block.Build()), tvk::kOk);
    EXPECT_EQ(cfg.EntryCount(), 0U);
    EXPECT_TRUE(cfg.IsLoaded());
  }
}

TEST(LogFileCfg, Version1TakesTheLogGuidFromItsEntry) {
  struct Row {
    const char* name;
    std::vector<RawEntry> entries;
    tvk::Guid guid;
  };
  const Row rows[] = {
      {"GUID text, lower case key", {{"logguid", 9, Utf16Bytes("{00112233-4455-6677-8899-aabbccddeeff}")}}, kGuid},
      {"not GUID text", {{"LogGUID", 9, Utf16Bytes("00112233")}}, {}},
      {"no entry", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Block block;
    block.entries = row.entries;
    const CTMByteBuffer input = block.Build();
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.ParseConfiguration(input), tvk::kOk);
    EXPECT_EQ(cfg.LogGuid(), row.guid);
    EXPECT_EQ(Serialized(cfg).Size(), input.Size());  // no GUID field in version 1
  }
}

TEST(LogFileCfg, LookupIgnoresCaseAndFindsTheFirstOfDuplicateKeys) {
  Block block;
  block.entries = {{"LevelMeasurementMode", 3, {0, 4}},
                   {"SiteName", 9, Utf16Bytes("first")},
                   {"SITENAME", 9, Utf16Bytes("second")}};
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.ParseConfiguration(block.Build()), tvk::kOk);
  EXPECT_EQ(cfg.EntryCount(), 3U);

  CTMVariant value;
  ASSERT_EQ(cfg.GetValue("levelmeasurementmode", value), tvk::kOk);
  EXPECT_EQ(value.AsUInt16(), 4);
  ASSERT_EQ(cfg.GetValueById(kKeyLevelMeasurementMode, value), tvk::kOk);
  EXPECT_EQ(value.AsUInt16(), 4);
  ASSERT_EQ(cfg.GetValue("sitename", value), tvk::kOk);
  EXPECT_EQ(value.StringValue(), "first");
  EXPECT_EQ(cfg.GetSiteName(), "first");

  EXPECT_EQ(cfg.GetValue("LevelMeasurementModes", value), tvk::kKeyNotFound);
  EXPECT_TRUE(value.IsEmpty());
  EXPECT_EQ(cfg.GetValueById(kKeyLevelReferenceMode, value), tvk::kKeyNotFound);
  EXPECT_EQ(cfg.GetValueById(kKeyUnknown, value), tvk::kKeyNotFound);
}

TEST(LogFileCfg, SetValueReplacesInPlaceOrAppends) {
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.SetValue("LevelUnitId", 3, 35), tvk::kOk);
  ASSERT_EQ(cfg.SetValue("SiteName", "a"), tvk::kOk);
  ASSERT_EQ(cfg.SetStringValue("sitename", "b"), tvk::kOk);  // same key, new spelling
  ASSERT_EQ(cfg.SetValue("SpecificGravity", CTMVariant(1.02f)), tvk::kOk);
  ASSERT_EQ(cfg.SetValue("LEVELUNITID", CTMVariant(std::uint16_t{33})), tvk::kOk);

  std::vector<CTMConfigEntry> entries;
  ASSERT_EQ(cfg.GetEntries(entries), tvk::kOk);
  ASSERT_EQ(entries.size(), 3U);
  EXPECT_EQ(entries[0].key, "LEVELUNITID");
  EXPECT_EQ(entries[0].value.AsUInt16(), 33);
  EXPECT_EQ(entries[1].key, "sitename");
  EXPECT_EQ(entries[1].value.StringValue(), "b");
  EXPECT_EQ(entries[2].key, "SpecificGravity");
}

TEST(LogFileCfg, SetValueRefusesBadKeysAndValuesStoringNothing) {
  const std::string key32(32, 'k');
  std::string wide32;  // 32 UTF-16 units in 64 bytes of UTF-8
  for (int i = 0; i < 32; ++i) wide32 += "\xC3\xA9";
  std::string surrogates17;  // 34 UTF-16 units in 17 characters
  for (int i = 0; i < 17; ++i) surrogates17 += "\xF0\x9F\x98\x80";
  struct Row {
    const char* name;
    std::string key;
    CTMVariant value;
    tvk::ResultCode code;
  };
  const Row rows[] = {
      {"32 units", key32, CTMVariant(std::uint8_t{1}), tvk::kOk},
      {"32 units of two-byte characters", wide32, CTMVariant(std::uint8_t{1}), tvk::kOk},
      {"33 units", key32 + "k", CTMVariant(std::uint8_t{1}), tvk::kFail},
      {"17 characters outside the basic plane", surrogates17, CTMVariant(std::uint8_t{1}), tvk::kFail},
      {"empty key", "", CTMVariant(std::uint8_t{1}), tvk::kMissingArgument},
      {"empty value", "Key", CTMVariant(), tvk::kLogFileError},
      {"string too long for its size field", "Key", CTMVariant(std::string(32768, 'x')), tvk::kLogFileError},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogFileCfg cfg;
    EXPECT_EQ(cfg.SetValue(row.key, row.value), row.code);
    EXPECT_EQ(cfg.EntryCount(), row.code == tvk::kOk ? 1U : 0U);
  }
  CTMLogFileCfg cfg;
  EXPECT_EQ(cfg.SetIntegerValue("Key", 9, 1), tvk::kLogFileError);
  EXPECT_EQ(cfg.SetStringValue("Key", std::string(32767, 'x')), tvk::kOk);
}

TEST(LogFileCfg, SerializeRefusesIncompleteConfigurations) {
  struct Row {
    const char* name;
    std::function<void(CTMLogFileCfg&)> change;
    tvk::ResultCode code;
  };
  const Row rows[] = {
      {"log type 0", [](CTMLogFileCfg& c) { c.SetLogType(0); }, tvk::kInvalidLogType},
      {"no pairs", [](CTMLogFileCfg& c) { (void)c.SetPairs({}); }, tvk::kNoParameters},
      {"empty log name", [](CTMLogFileCfg& c) { (void)c.SetLogName(""); }, tvk::kInvalidLogName},
      {"log type 7", [](CTMLogFileCfg& c) { c.SetLogType(7); }, tvk::kLogFileError},
      {"type 4 with 16 items",
       [](CTMLogFileCfg& c) {
         c.SetLogType(4);
         CTMLogTypeRecord r;
         r.items.resize(16);
         (void)c.SetTypeRecord(r);
       },
       tvk::kLogFileError},
      {"format version 3", [](CTMLogFileCfg& c) { c.SetFormatVersion(3); }, tvk::kBadFormatVersion},
      {"type version not allowed", [](CTMLogFileCfg& c) { c.SetTypeVersion(2); }, tvk::kBadFormatVersion},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Block block;
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.ParseConfiguration(block.Build()), tvk::kOk);
    row.change(cfg);
    CTMByteBuffer out;
    EXPECT_EQ(cfg.SerializeConfiguration(out), row.code);
  }
}

TEST(LogFileCfg, SiteGuidAcceptsTextOrGuidValues) {
  for (const auto& [value, guid] : {std::pair{CTMVariant(kGuidText), kGuid}, {CTMVariant(kGuid), kGuid},
                                    {CTMVariant("{0}"), tvk::Guid{}}}) {
    SCOPED_TRACE(VariantToText(value));
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.SetValue("SiteGUID", value), tvk::kOk);
    EXPECT_EQ(cfg.GetSiteGuid(), guid);
  }
}

TEST(LogFileCfg, CopyFromAndReset) {
  Block block;
  block.version = 2;
  block.entries = AllKinds();
  CTMLogFileCfg source;
  ASSERT_EQ(source.ParseConfiguration(block.Build()), tvk::kOk);

  CTMLogFileCfg copy;
  ASSERT_EQ(copy.CopyFrom(source), tvk::kOk);
  ASSERT_EQ(copy.CopyFrom(copy), tvk::kOk);
  EXPECT_TRUE(copy.IsLoaded());
  EXPECT_EQ(ToBytes(Serialized(copy)), ToBytes(Serialized(source)));
  ASSERT_EQ(copy.SetStringValue("SiteName", "changed"), tvk::kOk);
  EXPECT_EQ(source.GetSiteName(), "North bank");

  copy.Reset();
  EXPECT_FALSE(copy.IsLoaded());
  EXPECT_EQ(copy.FormatVersion(), 1);
  EXPECT_EQ(copy.EntryCount(), 0U);
  EXPECT_TRUE(copy.LogGuid().IsZero());
}

TEST(LogFileCfg, OperationsFromSeveralThreadsKeepTheObjectConsistent) {
  Block block;
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.ParseConfiguration(block.Build()), tvk::kOk);
  std::thread writer([&] {
    for (std::uint32_t i = 0; i < 200; ++i) (void)cfg.SetIntegerValue("Key" + std::to_string(i % 10), 5, i);
  });
  for (int i = 0; i < 200; ++i) {
    CTMByteBuffer out;
    ASSERT_EQ(cfg.SerializeConfiguration(out), tvk::kOk);
    CTMLogFileCfg back;
    ASSERT_EQ(back.ParseConfiguration(out), tvk::kOk);
  }
  writer.join();
  EXPECT_EQ(cfg.EntryCount(), 10U);
}

}  // namespace
}  // namespace TMSystem
