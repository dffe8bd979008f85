#pragma once
// A typed configuration value: one of fourteen kinds of integer, real, text, time or GUID, with the
// getters' conversions between kinds and the value's form inside a configuration block.

#include <cstdint>
#include <string>

#include "common/Calendar.h"
#include "common/Guid.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"

namespace TMSystem {

// Type codes as stored in the file.
enum class VariantType : std::uint32_t {
  kEmpty = 0,
  kUInt8 = 1,
  kInt16 = 2,
  kUInt16 = 3,
  kInt32 = 4,
  kUInt32 = 5,
  kFloat32 = 6,
  kFloat64 = 7,
  kChar16 = 8,   // unsigned 16-bit, shown as a character
  kString = 9,
  kTime = 10,    // calendar time; a device time in the file
  kUInt32B = 11, // unsigned 32-bit, shown signed
  kUInt32C = 12,
  kGuid = 13,
  kChar8 = 14,   // signed 8-bit, shown as a character
};

constexpr std::uint32_t kVariantTypeLast = 14;

constexpr bool IsValidVariantType(std::uint32_t code) { return code >= 1 && code <= kVariantTypeLast; }

class CTMVariant {
 public:
  CTMVariant() = default;
  explicit CTMVariant(std::uint8_t v) { SetUInt8(v); }
  explicit CTMVariant(std::int8_t v) { SetChar8(v); }
  explicit CTMVariant(std::int16_t v) { SetInt16(v); }
  explicit CTMVariant(std::uint16_t v) { SetUInt16(v); }
  explicit CTMVariant(std::int32_t v) { SetInt32(v); }
  explicit CTMVariant(std::uint32_t v) { SetUInt32(v); }
  explicit CTMVariant(float v) { SetFloat32(v); }
  explicit CTMVariant(double v) { SetFloat64(v); }
  explicit CTMVariant(char16_t v) { SetChar16(v); }
  explicit CTMVariant(std::string v) { SetString(std::move(v)); }
  explicit CTMVariant(const char* v) { SetString(v); }
  explicit CTMVariant(const tvk::SystemTime& v) { SetTime(v); }
  explicit CTMVariant(const tvk::Guid& v) { SetGuid(v); }

  VariantType Type() const { return type_; }
  std::uint32_t TypeCode() const { return static_cast<std::uint32_t>(type_); }
  bool IsEmpty() const { return type_ == VariantType::kEmpty; }

  void Clear();
  void SetUInt8(std::uint8_t v) { SetInteger(VariantType::kUInt8, v); }
  void SetInt16(std::int16_t v) { SetInteger(VariantType::kInt16, static_cast<std::uint32_t>(v)); }
  void SetUInt16(std::uint16_t v) { SetInteger(VariantType::kUInt16, v); }
  void SetInt32(std::int32_t v) { SetInteger(VariantType::kInt32, static_cast<std::uint32_t>(v)); }
  void SetUInt32(std::uint32_t v) { SetInteger(VariantType::kUInt32, v); }
  void SetChar16(char16_t v) { SetInteger(VariantType::kChar16, v); }
  void SetUInt32B(std::uint32_t v) { SetInteger(VariantType::kUInt32B, v); }
  void SetUInt32C(std::uint32_t v) { SetInteger(VariantType::kUInt32C, v); }
  void SetChar8(std::int8_t v) { SetInteger(VariantType::kChar8, static_cast<std::uint32_t>(v)); }
  void SetFloat32(float v);
  void SetFloat64(double v);
  void SetString(std::string v);
  void SetTime(const tvk::SystemTime& v);
  void SetGuid(const tvk::Guid& v);

  // Any integer kind (1-5, 8, 11, 12, 14) from a raw value, cut to the kind's width (signed kinds
  // sign-extended). False, and the variant unchanged, for a code that is not an integer kind.
  bool SetRawInteger(std::uint32_t typeCode, std::uint32_t raw);

  // Conversions; a kind that does not convert gives 0, the zero GUID or the zero time.
  std::uint8_t AsUInt8() const;
  std::uint16_t AsUInt16() const;
  std::uint32_t AsUInt32() const;
  std::int32_t AsInt32() const { return static_cast<std::int32_t>(AsUInt32()); }
  float AsFloat32() const;
  double AsFloat64() const;
  std::string AsString() const;  // the string itself, or the display text of any other kind
  tvk::Guid AsGuid() const;
  tvk::SystemTime AsTime() const;

  // The string value itself; empty for other kinds.
  const std::string& StringValue() const { return text_; }

  // Bytes of the value in the file; for a string 2 per UTF-16 code unit. 0 for an empty variant.
  std::uint32_t FileSize() const;

  // Reads a value of `typeCode` (1-14, else kLogFileError). `size` is the byte count stored with the
  // value; only a string uses it (size / 2 code units). Fails with kBufferOverrun when the value does
  // not fit; `out` is then empty.
  static ResultCode ReadFromFile(CTMByteReader& reader, std::uint32_t typeCode, std::uint16_t size,
                                 CTMVariant& out);
  // Writes the value's file form (without type and size); times are clamped to the device range.
  // Nothing is written for an empty variant.
  void WriteToFile(CTMByteWriter& writer) const;

  friend bool operator==(const CTMVariant&, const CTMVariant&) = default;

 private:
  bool IsInteger() const;
  void SetInteger(VariantType type, std::uint32_t bits);

  VariantType type_ = VariantType::kEmpty;
  // Integer kinds keep their value sign-extended to 32 bits, so every integer getter is a mask.
  std::uint32_t bits_ = 0;
  float float32_ = 0.0f;
  double float64_ = 0.0;
  std::string text_;
  tvk::SystemTime time_{};
  tvk::Guid guid_{};
};

// Display text of a value by its kind; "Variant Error" for an empty or unknown kind.
std::string VariantToText(const CTMVariant& value);

}  // namespace TMSystem
