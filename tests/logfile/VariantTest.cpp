#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

#include "logfile/Variant.h"

namespace TMSystem {
namespace {

using Bytes = std::vector<std::uint8_t>;

const tvk::Guid kGuid{0x00112233, 0x4455, 0x6677, {0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}};

CTMVariant Raw(VariantType type, std::uint32_t raw) {
  CTMVariant v;
  EXPECT_TRUE(v.SetRawInteger(static_cast<std::uint32_t>(type), raw));
  return v;
}

TEST(Variant, IntegerGettersConvertByKind) {
  struct Row {
    const char* name;
    CTMVariant value;
    std::uint8_t as8;
    std::uint16_t as16;
    std::uint32_t as32;
  };
  const Row rows[] = {
      {"uint8 zero-extends", CTMVariant(std::uint8_t{0xF0}), 0xF0, 0x00F0, 0x000000F0},
      {"int8 sign-extends", CTMVariant(std::int8_t{-2}), 0xFE, 0xFFFE, 0xFFFFFFFE},
      {"int16 sign-extends", CTMVariant(std::int16_t{-2}), 0xFE, 0xFFFE, 0xFFFFFFFE},
      {"uint16 zero-extends", CTMVariant(std::uint16_t{0xFFFE}), 0xFE, 0xFFFE, 0x0000FFFE},
      {"char16 zero-extends", CTMVariant(char16_t{0x8041}), 0x41, 0x8041, 0x00008041},
      {"int32 low parts", CTMVariant(std::int32_t{-65536 + 0x1234}), 0x34, 0x1234, 0xFFFF1234},
      {"uint32 second kind", Raw(VariantType::kUInt32B, 0x01020304), 0x04, 0x0304, 0x01020304},
      {"raw value cut to width", Raw(VariantType::kInt16, 0x1234FFFF), 0xFF, 0xFFFF, 0xFFFFFFFF},
      {"float gives zero", CTMVariant(2.5f), 0, 0, 0},
      {"string gives zero", CTMVariant("12"), 0, 0, 0},
      {"empty gives zero", CTMVariant(), 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.value.AsUInt8(), row.as8);
    EXPECT_EQ(row.value.AsUInt16(), row.as16);
    EXPECT_EQ(row.value.AsUInt32(), row.as32);
  }
}

TEST(Variant, OtherGettersConvertOnlyTheirKinds) {
  const tvk::SystemTime time = tvk::MakeSystemTime(2009, 7, 5, 8, 9, 10, 11);
  EXPECT_EQ(CTMVariant(1.5f).AsFloat64(), 1.5);
  EXPECT_EQ(CTMVariant(0.1).AsFloat32(), 0.1f);
  EXPECT_EQ(CTMVariant(std::int32_t{3}).AsFloat64(), 0.0);
  EXPECT_EQ(CTMVariant(kGuid).AsGuid(), kGuid);
  EXPECT_TRUE(CTMVariant("{00112233-4455-6677-8899-AABBCCDDEEFF}").AsGuid().IsZero());
  EXPECT_EQ(CTMVariant(time).AsTime(), time);
  EXPECT_EQ(CTMVariant(std::uint32_t{5}).AsTime(), tvk::SystemTime{});
  EXPECT_EQ(CTMVariant("abc").AsString(), "abc");  // other kinds give VariantToText, pinned below
}

TEST(Variant, SetRawIntegerRefusesNonIntegerKinds) {
  for (std::uint32_t code : {0U, 6U, 7U, 9U, 10U, 13U, 15U}) {
    SCOPED_TRACE(code);
    CTMVariant v(std::uint8_t{1});
    EXPECT_FALSE(v.SetRawInteger(code, 5));
    EXPECT_EQ(v.Type(), VariantType::kUInt8);
  }
}

TEST(VariantToText, FormatsEachKind) {
  struct Row {
    const char* name;
    CTMVariant value;
    const char* text;
  };
  const Row rows[] = {
      {"uint8", CTMVariant(std::uint8_t{200}), "200"},
      {"int16", CTMVariant(std::int16_t{-300}), "-300"},
      {"int32", CTMVariant(std::int32_t{-70000}), "-70000"},
      {"uint32", CTMVariant(std::uint32_t{4000000000U}), "4000000000"},
      {"float32", CTMVariant(1.5f), "1.500000"},
      {"float64", CTMVariant(0.1), "0.100000000000"},
      {"char16 as UTF-8", CTMVariant(char16_t{0x00E9}), "\xC3\xA9"},
      {"string unchanged", CTMVariant("h\xC3\xA9llo"), "h\xC3\xA9llo"},
      {"time", CTMVariant(tvk::MakeSystemTime(2009, 7, 5, 8, 9, 10, 11)), "20090705080910011"},
      {"uint32 second kind shown signed", Raw(VariantType::kUInt32B, 0xFFFFFFFF), "-1"},
      {"uint32 third kind", Raw(VariantType::kUInt32C, 0xFFFFFFFF), "4294967295"},
      {"guid", CTMVariant(kGuid), "{00112233-4455-6677-8899-AABBCCDDEEFF}"},
      {"char8", CTMVariant(std::int8_t{'Z'}), "Z"},
      {"char8 above 127 as Latin-1", CTMVariant(std::int8_t{-23}), "\xC3\xA9"},
      {"empty", CTMVariant(), "Variant Error"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(VariantToText(row.value), row.text);
  }
}

Bytes FileForm(const CTMVariant& value) {
  CTMByteBuffer buffer;
  CTMByteWriter writer(buffer);
  value.WriteToFile(writer);
  EXPECT_EQ(buffer.Size(), value.FileSize());
  return Bytes(buffer.Data(), buffer.Data() + buffer.Size());
}

// Times are clamped to the device range and cut to milliseconds on writing.
TEST(VariantFile, WritesEachKindBigEndianAndReadsItBack) {
  struct Row {
    const char* name;
    CTMVariant value;
    Bytes bytes;
    std::optional<CTMVariant> readBack = std::nullopt;  // the value itself unless given
  };
  const Row rows[] = {
      {"uint8", CTMVariant(std::uint8_t{0xAB}), {0xAB}},
      {"int16", CTMVariant(std::int16_t{-2}), {0xFF, 0xFE}},
      {"uint16", CTMVariant(std::uint16_t{0x1234}), {0x12, 0x34}},
      {"int32", CTMVariant(std::int32_t{-2}), {0xFF, 0xFF, 0xFF, 0xFE}},
      {"uint32", CTMVariant(std::uint32_t{0x01020304}), {1, 2, 3, 4}},
      {"float32", CTMVariant(1.0f), {0x3F, 0x80, 0, 0}},
      {"float64", CTMVariant(1.0), {0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
      {"char16", CTMVariant(char16_t{0x41}), {0, 0x41}},
      {"string", CTMVariant("abc"), {0, 0x61, 0, 0x62, 0, 0x63}},
      {"time 1970-01-01 00:00:00.500", CTMVariant(tvk::MakeSystemTime(1970, 1, 1, 0, 0, 0, 500)),
       {0, 0, 0, 0, 0x80, 0}},
      {"time with milliseconds", CTMVariant(tvk::MakeSystemTime(2009, 7, 5, 8, 9, 10, 11)),
       {0x4A, 0x50, 0x5F, 0xA6, 0x02, 0xD0}},
      {"time after 2050", CTMVariant(tvk::MakeSystemTime(2060, 6, 1)), {0x96, 0x7A, 0x76, 0x00, 0, 0},
       CTMVariant(tvk::MakeSystemTime(2050, 1, 1))},
      {"time before 1970", CTMVariant(tvk::MakeSystemTime(1960, 1, 1)), {0, 0, 0, 0, 0, 0},
       CTMVariant(tvk::MakeSystemTime(1970, 1, 1))},
      {"uint32 second kind", Raw(VariantType::kUInt32B, 0xDEADBEEF), {0xDE, 0xAD, 0xBE, 0xEF}},
      {"uint32 third kind", Raw(VariantType::kUInt32C, 7), {0, 0, 0, 7}},
      {"guid", CTMVariant(kGuid),
       {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}},
      {"int8", CTMVariant(std::int8_t{-128}), {0x80}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(FileForm(row.value), row.bytes);
    const CTMByteBuffer buffer(row.bytes.data(), static_cast<std::uint32_t>(row.bytes.size()));
    CTMByteReader reader(buffer);
    CTMVariant back;
    ASSERT_EQ(CTMVariant::ReadFromFile(reader, row.value.TypeCode(), static_cast<std::uint16_t>(row.bytes.size()),
                                       back),
              tvk::kOk);
    EXPECT_EQ(back, row.readBack.value_or(row.value));
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(VariantFile, ReadRefusesShortValuesAndCutsOddStringSizes) {
  const Bytes bytes{0, 0x41, 0, 0, 0, 0x42, 0x12};
  const CTMByteBuffer buffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  CTMVariant out(std::uint8_t{1});
  {
    CTMByteReader reader(buffer);
    EXPECT_EQ(CTMVariant::ReadFromFile(reader, 13, 16, out), tvk::kBufferOverrun);
    EXPECT_EQ(reader.Cursor(), 0U);
  }
  {
    // A string takes size / 2 units, zero units skipped; an odd size leaves the last byte unread.
    CTMByteReader reader(buffer);
    ASSERT_EQ(CTMVariant::ReadFromFile(reader, 9, 7, out), tvk::kOk);
    EXPECT_EQ(out.StringValue(), "AB");
    EXPECT_EQ(reader.Cursor(), 6U);
  }
}

}  // namespace
}  // namespace TMSystem
