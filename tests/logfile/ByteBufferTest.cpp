#include <gtest/gtest.h>

#include <vector>

#include "logfile/ByteBuffer.h"
#include "support/LogFiles.h"

namespace TMSystem {
namespace {

using tvk::test::Bytes;
using tvk::test::ToBuffer;

Bytes Written(const auto& write) {
  CTMByteBuffer buffer;
  CTMByteWriter writer(buffer);
  write(writer);
  return Bytes(buffer.Data(), buffer.Data() + buffer.Size());
}

// The big-endian numbers and the GUID are pinned byte for byte, and read back, through the variants' file form;
// the little-endian ones through the log file header.
TEST(ByteWriter, StringsArePaddedOrCutAndLittleEndianFieldsAreReversed) {
  EXPECT_EQ(Written([](auto& w) { w.WriteString("ABCDE", 4); }), (Bytes{0, 0x41, 0, 0x42, 0, 0x43, 0, 0x44}));
  EXPECT_EQ(Written([](auto& w) { w.WriteString("A", 3); }), (Bytes{0, 0x41, 0, 0, 0, 0}));
  EXPECT_EQ(Written([](auto& w) { w.WriteDeviceTime({0x01020304, 0x0506}); }), (Bytes{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Written([](auto& w) { w.WriteU32Le(0x01020304); w.WriteU64Le(0x0506); }),
            (Bytes{4, 3, 2, 1, 6, 5, 0, 0, 0, 0, 0, 0}));
}

TEST(ByteReader, ShortReadFailsAndLeavesTheCursor) {
  const CTMByteBuffer buffer = ToBuffer({0xAA, 0xBB, 0xCC});
  CTMByteReader r(buffer);
  std::uint16_t u16 = 0;
  ASSERT_EQ(r.ReadU16(u16), tvk::kOk);
  u16 = 7;
  EXPECT_EQ(r.ReadU16(u16), tvk::kBufferOverrun);
  EXPECT_EQ(u16, 0);  // zeroed even on failure
  EXPECT_EQ(r.Cursor(), 2u);
  std::uint32_t u32 = 0;
  EXPECT_EQ(r.ReadU32(u32), tvk::kBufferOverrun);
  EXPECT_EQ(r.ReadU32Le(u32), tvk::kBufferOverrun);
  std::string s = "x";
  EXPECT_EQ(r.ReadString(1, s), tvk::kBufferOverrun);
  EXPECT_EQ(s, "");
  EXPECT_EQ(r.Skip(2), tvk::kBufferOverrun);
  EXPECT_EQ(r.Cursor(), 2u);
  std::uint8_t u8 = 0;
  EXPECT_EQ(r.ReadU8(u8), tvk::kOk);
  EXPECT_EQ(u8, 0xCC);
}

TEST(ByteReader, StringSkipsZeroUnitsAndKeepsLoneSurrogates) {
  const CTMByteBuffer buffer = ToBuffer({0x00, 0x41, 0x00, 0x00, 0x00, 0x42, 0xD8, 0x00});
  CTMByteReader r(buffer);
  std::string s;
  ASSERT_EQ(r.ReadString(3, s), tvk::kOk);
  EXPECT_EQ(s, "AB");
  ASSERT_EQ(r.ReadString(1, s), tvk::kOk);
  EXPECT_EQ(Written([&](auto& w) { w.WriteString(s, 1); }), (Bytes{0xD8, 0x00}));
  std::string empty = "x";
  ASSERT_EQ(r.ReadString(0, empty), tvk::kOk);
  EXPECT_EQ(empty, "");
}

}  // namespace
}  // namespace TMSystem
