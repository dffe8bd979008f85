#include "logfile/Variant.h"

#include "common/DeviceTime.h"
#include "common/Format.h"
#include "common/Utf.h"

namespace TMSystem {

using tvk::ResultCode;

namespace {

// Value of `bits` cut to the width of an integer kind, sign-extended for the signed kinds.
std::uint32_t Normalised(VariantType type, std::uint32_t bits) {
  switch (type) {
    case VariantType::kUInt8: return bits & 0xFFU;
    case VariantType::kChar8: return static_cast<std::uint32_t>(static_cast<std::int8_t>(bits & 0xFFU));
    case VariantType::kInt16: return static_cast<std::uint32_t>(static_cast<std::int16_t>(bits & 0xFFFFU));
    case VariantType::kUInt16:
    case VariantType::kChar16: return bits & 0xFFFFU;
    default: return bits;
  }
}

std::string CodePointToUtf8(char16_t unit) {
  if (unit == 0) return {};
  return tvk::Utf16ToUtf8(std::u16string(1, unit));
}

ResultCode ReadInteger(CTMByteReader& reader, VariantType type, CTMVariant& out) {
  std::uint32_t raw = 0;
  ResultCode rc = tvk::kOk;
  switch (type) {
    case VariantType::kUInt8:
    case VariantType::kChar8: {
      std::uint8_t v = 0;
      rc = reader.ReadU8(v);
      raw = v;
      break;
    }
    case VariantType::kInt16:
    case VariantType::kUInt16:
    case VariantType::kChar16: {
      std::uint16_t v = 0;
      rc = reader.ReadU16(v);
      raw = v;
      break;
    }
    default:
      rc = reader.ReadU32(raw);
      break;
  }
  if (tvk::Succeeded(rc)) out.SetRawInteger(static_cast<std::uint32_t>(type), raw);
  return rc;
}

}  // namespace

void CTMVariant::Clear() { *this = CTMVariant(); }

bool CTMVariant::IsInteger() const {
  switch (type_) {
    case VariantType::kUInt8:
    case VariantType::kInt16:
    case VariantType::kUInt16:
    case VariantType::kInt32:
    case VariantType::kUInt32:
    case VariantType::kChar16:
    case VariantType::kUInt32B:
    case VariantType::kUInt32C:
    case VariantType::kChar8: return true;
    default: return false;
  }
}

void CTMVariant::SetInteger(VariantType type, std::uint32_t bits) {
  Clear();
  type_ = type;
  bits_ = Normalised(type, bits);
}

bool CTMVariant::SetRawInteger(std::uint32_t typeCode, std::uint32_t raw) {
  CTMVariant probe;
  probe.type_ = static_cast<VariantType>(typeCode);
  if (!IsValidVariantType(typeCode) || !probe.IsInteger()) return false;
  SetInteger(probe.type_, raw);
  return true;
}

void CTMVariant::SetFloat32(float v) {
  Clear();
  type_ = VariantType::kFloat32;
  float32_ = v;
}

void CTMVariant::SetFloat64(double v) {
  Clear();
  type_ = VariantType::kFloat64;
  float64_ = v;
}

void CTMVariant::SetString(std::string v) {
  Clear();
  type_ = VariantType::kString;
  text_ = std::move(v);
}

void CTMVariant::SetTime(const tvk::SystemTime& v) {
  Clear();
  type_ = VariantType::kTime;
  time_ = v;
}

void CTMVariant::SetGuid(const tvk::Guid& v) {
  Clear();
  type_ = VariantType::kGuid;
  guid_ = v;
}

std::uint8_t CTMVariant::AsUInt8() const {
  return IsInteger() ? static_cast<std::uint8_t>(bits_ & 0xFFU) : 0;
}

std::uint16_t CTMVariant::AsUInt16() const {
  return IsInteger() ? static_cast<std::uint16_t>(bits_ & 0xFFFFU) : 0;
}

std::uint32_t CTMVariant::AsUInt32() const { return IsInteger() ? bits_ : 0; }

float CTMVariant::AsFloat32() const {
  if (type_ == VariantType::kFloat32) return float32_;
  if (type_ == VariantType::kFloat64) return static_cast<float>(float64_);
  return 0.0f;
}

double CTMVariant::AsFloat64() const {
  if (type_ == VariantType::kFloat32) return float32_;
  if (type_ == VariantType::kFloat64) return float64_;
  return 0.0;
}

std::string CTMVariant::AsString() const {
  return type_ == VariantType::kString ? text_ : VariantToText(*this);
}

tvk::Guid CTMVariant::AsGuid() const { return type_ == VariantType::kGuid ? guid_ : tvk::Guid{}; }

tvk::SystemTime CTMVariant::AsTime() const {
  return type_ == VariantType::kTime ? time_ : tvk::SystemTime{};
}

std::uint32_t CTMVariant::FileSize() const {
  switch (type_) {
    case VariantType::kEmpty: return 0;
    case VariantType::kUInt8:
    case VariantType::kChar8: return 1;
    case VariantType::kInt16:
    case VariantType::kUInt16:
    case VariantType::kChar16: return 2;
    case VariantType::kFloat64: return 8;
    case VariantType::kString: return static_cast<std::uint32_t>(2 * tvk::Utf16Length(text_));
    case VariantType::kTime: return 6;
    case VariantType::kGuid: return 16;
    default: return 4;
  }
}

ResultCode CTMVariant::ReadFromFile(CTMByteReader& reader, std::uint32_t typeCode, std::uint16_t size,
                                    CTMVariant& out) {
  out.Clear();
  if (!IsValidVariantType(typeCode)) return tvk::kLogFileError;
  const auto type = static_cast<VariantType>(typeCode);
  ResultCode rc = tvk::kOk;
  switch (type) {
    case VariantType::kFloat32: {
      float v = 0;
      if (tvk::Succeeded(rc = reader.ReadF32(v))) out.SetFloat32(v);
      return rc;
    }
    case VariantType::kFloat64: {
      double v = 0;
      if (tvk::Succeeded(rc = reader.ReadF64(v))) out.SetFloat64(v);
      return rc;
    }
    case VariantType::kString: {
      std::string v;
      if (tvk::Succeeded(rc = reader.ReadString(static_cast<std::uint16_t>(size / 2), v))) {
        out.SetString(std::move(v));
      }
      return rc;
    }
    case VariantType::kTime: {
      CTMDeviceTime v;
      if (tvk::Succeeded(rc = reader.ReadDeviceTime(v))) out.SetTime(DeviceTimeToSystemTime(v));
      return rc;
    }
    case VariantType::kGuid: {
      tvk::Guid v;
      if (tvk::Succeeded(rc = reader.ReadGuid(v))) out.SetGuid(v);
      return rc;
    }
    default:
      return ReadInteger(reader, type, out);
  }
}

void CTMVariant::WriteToFile(CTMByteWriter& writer) const {
  switch (type_) {
    case VariantType::kEmpty: return;
    case VariantType::kUInt8:
    case VariantType::kChar8: writer.WriteU8(static_cast<std::uint8_t>(bits_)); return;
    case VariantType::kInt16:
    case VariantType::kUInt16:
    case VariantType::kChar16: writer.WriteU16(static_cast<std::uint16_t>(bits_)); return;
    case VariantType::kFloat32: writer.WriteF32(float32_); return;
    case VariantType::kFloat64: writer.WriteF64(float64_); return;
    case VariantType::kString:
      writer.WriteString(text_, static_cast<std::uint16_t>(tvk::Utf16Length(text_)));
      return;
    case VariantType::kTime:
      writer.WriteDeviceTime(DeviceTimeFromSystemTime(ClampToDeviceRange(time_)));
      return;
    case VariantType::kGuid: writer.WriteGuid(guid_); return;
    default: writer.WriteU32(bits_); return;
  }
}

std::string VariantToText(const CTMVariant& value) {
  const std::uint32_t bits = value.AsUInt32();
  switch (value.Type()) {
    case VariantType::kUInt8:
    case VariantType::kUInt16:
    case VariantType::kUInt32:
    case VariantType::kUInt32C: return tvk::StrFormat("%u", bits);
    case VariantType::kInt16:
    case VariantType::kInt32:
    case VariantType::kUInt32B: return tvk::StrFormat("%d", static_cast<int>(bits));
    case VariantType::kFloat32: return tvk::StrFormat("%.6f", static_cast<double>(value.AsFloat32()));
    case VariantType::kFloat64: return tvk::StrFormat("%.12f", value.AsFloat64());
    case VariantType::kChar16: return CodePointToUtf8(static_cast<char16_t>(bits & 0xFFFFU));
    // The byte is taken as a Latin-1 character.
    case VariantType::kChar8: return CodePointToUtf8(static_cast<char16_t>(bits & 0xFFU));
    case VariantType::kString: return value.StringValue();
    case VariantType::kTime: {
      const tvk::SystemTime t = value.AsTime();
      return tvk::StrFormat("%4d%02d%02d%02d%02d%02d%03d", t.year, t.month, t.day, t.hour, t.minute, t.second,
                            t.milliseconds);
    }
    case VariantType::kGuid: return tvk::GuidToText(value.AsGuid());
    default: return "Variant Error";
  }
}

}  // namespace TMSystem
