#include <gtest/gtest.h>

#include <optional>

#include "AllocationWatch.h"
#include "logfile/DataBlock.h"
#include "logfile/LogFileDataAndCfg.h"
#include "support/LogFiles.h"
#include "support/ScopedEnvironment.h"

namespace TMSystem {
namespace {

using tvk::test::Bytes;
using tvk::test::DataBlockLayout;
using tvk::test::MakeDataBlock;

const Bytes kConfiguration(180, 0x01);  // the data block never looks at it

CTMDataRow Row(std::uint32_t seconds, std::vector<float> values) {
  CTMDataRow row{{seconds, 0}, {}};
  for (std::size_t i = 0; i < values.size(); ++i) {
    row.values.push_back({values[i], static_cast<std::uint16_t>(i)});
  }
  return row;
}

DataBlockLayout TwoChannelsThreeRows(std::uint16_t version) {
  DataBlockLayout layout;
  layout.header.version = version;
  layout.header.siteName = "Well 7";
  layout.header.word1 = 9;
  layout.header.value2 = 12.5;
  layout.channels = {{0, 12, 2, 17, 1001}, {1, 12, 3, 38, 1001}};
  layout.rows = {Row(100, {1.5f, 2.5f}), Row(160, {1.25f, -2.0f}), Row(220, {0.0f, 3.75f})};
  return layout;
}

class DataBlockFile : public testing::Test {
 protected:
  std::string Write(const Bytes& data) {
    const std::string path = dir_.File("log.vxl");
    tvk::test::WriteLogFile(path, kConfiguration, {}, data);
    return path;
  }
  tvk::test::TempFolder dir_;
};

TEST_F(DataBlockFile, BothVersionsLoadInBothModesAndWriteTheSameBytes) {
  DataBlockLayout version2 = TwoChannelsThreeRows(2);
  version2.header.text1 = "first";
  version2.header.text3 = "third";
  version2.header.guid1.data1 = 0xDEADBEEF;
  version2.header.guid2.data4[7] = 0x42;
  version2.header.dword1 = 0x01020304;
  for (const DataBlockLayout& layout : {TwoChannelsThreeRows(1), version2}) {
    const Bytes data = MakeDataBlock(layout);
    ASSERT_EQ(data.size(), layout.header.version == 1 ? 234u : 262u + 20 + 3 * 16);
    const std::string path = Write(data);
    for (const bool onDemand : {false, true}) {
      SCOPED_TRACE(testing::Message() << "version " << layout.header.version << (onDemand ? ", on demand" : ""));
      CTMDataBlock block;
      ASSERT_EQ(onDemand ? block.LoadOnDemand(path) : block.LoadAll(path), tvk::kOk);
      EXPECT_EQ(block.RowCount(), 3u);
      EXPECT_EQ(block.ColumnCount(), 2);
      EXPECT_EQ(block.SiteHeader(), layout.header);
      std::vector<CTMDataRow> rows;
      ASSERT_EQ(block.GetRows(rows), tvk::kOk);
      EXPECT_EQ(rows, layout.rows);
      CTMByteBuffer written;
      ASSERT_EQ(block.SerializeData(written), tvk::kOk);
      EXPECT_EQ(tvk::test::ToBytes(written), data);
    }
  }
}

// Both load modes agree on what a block holds or why it is refused (a partial last row: below).
TEST_F(DataBlockFile, LoadOutcomesInBothModes) {
  DataBlockLayout wide = TwoChannelsThreeRows(1);
  wide.rowByteCount = 32;  // two regular rows per stored row
  DataBlockLayout noColumns = TwoChannelsThreeRows(1);
  noColumns.channels.clear();
  noColumns.rows.clear();
  DataBlockLayout empty = TwoChannelsThreeRows(1);
  empty.rows.clear();
  Bytes zeroRowSize = MakeDataBlock(empty);
  zeroRowSize[164] = zeroRowSize[165] = 0;
  struct Case {
    const char* name;
    std::optional<Bytes> data;  // no file at all without it
    ResultCode code;
    std::uint32_t rows;
  };
  const Case cases[] = {
      {"stored row size of 32 bytes", MakeDataBlock(wide), tvk::kOk, 1},
      {"no columns", MakeDataBlock(noColumns), tvk::kBadData, 0},
      {"row size 0", zeroRowSize, tvk::kBadData, 0},
      {"empty section", Bytes{}, tvk::kNoData, 0},
      {"no file", std::nullopt, tvk::kFileNotFound, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = c.data ? Write(*c.data) : dir_.File("absent.vxl");
    CTMDataBlock all;
    CTMDataBlock onDemand;
    EXPECT_EQ(all.LoadAll(path), c.code);
    EXPECT_EQ(onDemand.LoadOnDemand(path), c.code);
    if (c.code != tvk::kOk) continue;
    EXPECT_EQ(all.RowCount(), c.rows);
    EXPECT_EQ(onDemand.RowCount(), c.rows);
    CTMDataRow row;
    ASSERT_EQ(onDemand.GetRow(c.rows - 1, row), tvk::kOk);
    EXPECT_EQ(row, TwoChannelsThreeRows(1).rows[c.rows - 1]);
  }
}

// Rows claimed by the size field against rows the file holds, and a row size the channels do not
// need; rows on demand still give every row the file holds.
TEST_F(DataBlockFile, DamageIsFoundInBothModes) {
  constexpr std::uint32_t kHeaders = 262 + 20;  // three rows of 16 bytes follow
  struct Case {
    const char* name;
    tvk::test::LogDamage damage;
    CTMDataIntegrity expected;
    std::size_t trimmed = 0;  // bytes left out of the block before it is written with its honest size
  };
  const Case cases[] = {
      {"sound", {}, {3, 3, false, true, 16, 16}},
      {"partial last row in an honest section", {}, {2, 2, false, true, 16, 16}, 5},
      {"cut inside the second row", tvk::test::CutInData(kHeaders + 16 + 7), {3, 1, true, true, 16, 16}},
      {"cut after two rows", tvk::test::CutInData(kHeaders + 32), {3, 2, true, true, 16, 16}},
      {"cut before the first row", tvk::test::CutInData(kHeaders + 3), {3, 0, true, true, 16, 16}},
      {"size field 0xFFFFFFFF", tvk::test::DataSizeField(0xFFFFFFFF), {268'435'438, 3, true, true, 16, 16}},
      {"row size 22", tvk::test::RowSizeField(22), {2, 2, false, false, 22, 16}},
      {"row size 21000", tvk::test::RowSizeField(21000), {0, 0, false, false, 21000, 16}},
      {"row size 0xFFFF", tvk::test::RowSizeField(0xFFFF), {0, 0, false, false, 0xFFFF, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes block = MakeDataBlock(TwoChannelsThreeRows(2));
    block.resize(block.size() - c.trimmed);
    const std::string path = Write(block);
    tvk::test::DamageLogFile(path, c.damage);
    CTMLogFileDataAndCfg all;
    CTMLogFileDataAndCfg onDemand;
    all.LoadDataAll(path);  // fails when cut short, after the channels
    ASSERT_EQ(onDemand.LoadDataOnDemand(path), tvk::kOk);
    EXPECT_EQ(all.GetDataIntegrity(), c.expected);
    EXPECT_EQ(onDemand.GetDataIntegrity(), c.expected);
    if (!c.expected.rowSizeRegular) continue;
    CTMDataRow row;
    for (std::uint32_t i = 0; i < c.expected.rowsPresent; ++i) {
      ASSERT_EQ(onDemand.GetRow(i, row), tvk::kOk) << i;
      EXPECT_EQ(row, TwoChannelsThreeRows(2).rows[i]);
    }
    if (c.expected.cutShort) {
      EXPECT_NE(onDemand.GetRow(c.expected.rowsPresent, row), tvk::kOk);
    }
  }
}

TEST_F(DataBlockFile, SectionClaimingMoreThanTheFileHoldsFailsWithoutAllocatingIt) {
  const std::string path = Write(MakeDataBlock(TwoChannelsThreeRows(2)));
  Bytes bytes = tvk::test::ReadFileBytes(path);
  std::uint64_t dataPos = 0;
  for (int i = 7; i >= 0; --i) dataPos = dataPos << 8 | bytes[42 + i];
  for (int i = 0; i < 4; ++i) bytes[dataPos + 8 + i] = 0xF0 | (i > 0 ? 0x0F : 0);  // size 0xFFFFFFF0
  tvk::test::WriteFileBytes(path, bytes);
  CTMDataBlock block;
  AllocationWatch watch;
  EXPECT_EQ(block.LoadAll(path), tvk::kFail);
  EXPECT_LT(watch.Largest(), 70000u);
}

TEST_F(DataBlockFile, UnnamedPressureAndDepthSensorsBecome5000) {
  DataBlockLayout layout = TwoChannelsThreeRows(2);
  layout.channels = {{0, 0, 2, 17, 0}, {1, 0, 3, 38, 0}, {2, 0, 4, 38, 0}, {3, 0, 3, 38, 77}};
  layout.rows.clear();
  CTMDataBlock block;
  ASSERT_EQ(block.LoadAll(Write(MakeDataBlock(layout))), tvk::kOk);
  const std::uint16_t expected[] = {5000, 5000, 0, 0};
  for (std::uint32_t i = 0; i < 4; ++i) {
    CTMChannelInfo ch;
    ASSERT_EQ(block.GetChannel(i, ch), tvk::kOk);
    EXPECT_EQ(ch.sensorId, expected[i]) << "channel " << i;
    EXPECT_EQ(ch.columnIndex, i);
  }
  CTMChannelInfo ch;
  EXPECT_EQ(block.GetChannel(4, ch), tvk::kInvalidIndex);
}

TEST_F(DataBlockFile, TruncatedHeadersFailWithoutCrashing) {
  const Bytes full = MakeDataBlock(TwoChannelsThreeRows(2));
  for (std::size_t size = 1; size < 262 + 20; size += 7) {
    SCOPED_TRACE(size);
    const std::string path = Write(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)));
    CTMDataBlock all;
    CTMDataBlock onDemand;
    EXPECT_TRUE(tvk::Failed(all.LoadAll(path)));
    EXPECT_TRUE(tvk::Failed(onDemand.LoadOnDemand(path)));
  }
}

// A stored row size too small for the row's values: every row would run past its end.
TEST_F(DataBlockFile, StoredRowSizeShorterThanTheColumnsNeedFails) {
  DataBlockLayout layout = TwoChannelsThreeRows(1);
  layout.rowByteCount = 10;  // the time and one value; two values need 16
  const std::string path = Write(MakeDataBlock(layout));
  CTMDataBlock all;
  EXPECT_EQ(all.LoadAll(path), tvk::kBufferOverrun);
  CTMDataBlock onDemand;
  ASSERT_EQ(onDemand.LoadOnDemand(path), tvk::kOk);
  CTMDataRow row;
  EXPECT_EQ(onDemand.GetRow(0, row), tvk::kBufferOverrun);
}

TEST_F(DataBlockFile, LoadingAgainSwitchesMode) {
  const DataBlockLayout layout = TwoChannelsThreeRows(2);
  const std::string path = Write(MakeDataBlock(layout));
  CTMDataBlock block;
  ASSERT_EQ(block.LoadOnDemand(path), tvk::kOk);
  ASSERT_EQ(block.LoadAll(path), tvk::kOk);
  EXPECT_FALSE(block.OnDemand());
  EXPECT_EQ(block.SetRows({layout.rows[0]}), tvk::kOk);
  ASSERT_EQ(block.LoadOnDemand(path), tvk::kOk);
  CTMDataRow row;
  ASSERT_EQ(block.GetRow(2, row), tvk::kOk);
  EXPECT_EQ(row, layout.rows[2]);
}

// Only the low status byte is written, but values made in memory keep the rest until then. Refusals leave the
// rows as they were; a short row is written with zero padding.
TEST(DataBlock, RowsMadeInMemory) {
  CTMDataBlock block;
  ASSERT_EQ(block.SetChannels(std::vector<CTMChannelInfo>(2)), tvk::kOk);
  std::vector<CTMDataRow> rows = {Row(1, {1, 2}), Row(2, {3, 4})};
  rows[1].values[0].status = 0x0100;
  ASSERT_EQ(block.SetRows(rows), tvk::kOk);
  EXPECT_EQ(block.SetRows({Row(3, {1})}), tvk::kChannelCountMismatch);
  EXPECT_EQ(block.SetChannels({}), tvk::kChannelCountMismatch);
  std::vector<CTMDataRow> read;
  ASSERT_EQ(block.GetRows(read), tvk::kOk);
  EXPECT_EQ(read, rows);

  ASSERT_EQ(block.SetColumn(1, {{5.0f, 0x0203}, {6.0f, 7}}, CTMChannelInfo{1, 12, 2, 17, 9}), tvk::kOk);
  std::vector<CTMDataValue> column;
  ASSERT_EQ(block.GetColumn(1, column), tvk::kOk);
  EXPECT_EQ(column, (std::vector<CTMDataValue>{{5.0f, 0x0203}, {6.0f, 7}}));
  ASSERT_EQ(block.GetColumn(0, column), tvk::kOk);
  EXPECT_EQ(column, (std::vector<CTMDataValue>{{1.0f, 0}, {3.0f, 0x0100}}));
  CTMByteBuffer out;
  ASSERT_EQ(block.SerializeData(out), tvk::kOk);
  Bytes bytes = tvk::test::ToBytes(out);
  EXPECT_EQ(bytes[bytes.size() - 1], 7);   // row 2, channel 1
  EXPECT_EQ(bytes[bytes.size() - 6], 0);   // row 2, channel 0
  EXPECT_EQ(bytes[bytes.size() - 17], 3);  // row 1, channel 1

  ASSERT_EQ(block.SetRows({Row(1, {1, 2}), Row(2, {7})}), tvk::kOk);
  CTMByteBuffer padded;
  ASSERT_EQ(block.SerializeData(padded), tvk::kOk);
  bytes = tvk::test::ToBytes(padded);
  ASSERT_EQ(bytes.size(), 262u + 20 + 2 * 16);
  EXPECT_EQ(Bytes(bytes.end() - 5, bytes.end()), (Bytes{0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace TMSystem
