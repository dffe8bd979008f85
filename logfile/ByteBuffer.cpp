#include "logfile/ByteBuffer.h"

#include <bit>
#include <limits>
#include <new>

#include "common/Utf.h"

namespace TMSystem {

using tvk::kBufferOverrun;
using tvk::kOk;

namespace {

constexpr std::uint32_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

}  // namespace

bool CTMByteBuffer::Assign(const std::uint8_t* bytes, std::uint32_t n) {
  try {
    std::vector<std::uint8_t> copy(bytes, bytes + n);
    data_.swap(copy);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CTMByteBuffer::Append(const std::uint8_t* bytes, std::uint32_t n) {
  if (n > kMaxSize - Size()) return false;
  try {
    data_.insert(data_.end(), bytes, bytes + n);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CTMByteBuffer::AppendByte(std::uint8_t b) { return Append(&b, 1); }

bool CTMByteBuffer::Reserve(std::uint32_t n) {
  try {
    std::vector<std::uint8_t> fresh;
    fresh.reserve(n);
    data_.swap(fresh);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool CTMByteBuffer::Resize(std::uint32_t n) {
  try {
    data_.assign(n, 0);  // keeps the memory when it is large enough: row reads reuse one buffer
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void CTMByteBuffer::Clear() { std::vector<std::uint8_t>().swap(data_); }

// --- reader ---

std::uint64_t CTMByteReader::TakeBigEndian(std::uint32_t width) {
  std::uint64_t v = 0;
  for (std::uint32_t i = 0; i < width; ++i) v = (v << 8) | bytes_[cursor_ + i];
  cursor_ += width;
  return v;
}

std::uint64_t CTMByteReader::TakeLittleEndian(std::uint32_t width) {
  std::uint64_t v = 0;
  for (std::uint32_t i = width; i > 0; --i) v = (v << 8) | bytes_[cursor_ + i - 1];
  cursor_ += width;
  return v;
}

ResultCode CTMByteReader::ReadU8(std::uint8_t& out) {
  out = 0;
  if (!Fits(1)) return kBufferOverrun;
  out = static_cast<std::uint8_t>(TakeBigEndian(1));
  return kOk;
}

ResultCode CTMByteReader::ReadI8(std::int8_t& out) {
  std::uint8_t v = 0;
  const ResultCode rc = ReadU8(v);
  out = static_cast<std::int8_t>(v);
  return rc;
}

ResultCode CTMByteReader::ReadU16(std::uint16_t& out) {
  out = 0;
  if (!Fits(2)) return kBufferOverrun;
  out = static_cast<std::uint16_t>(TakeBigEndian(2));
  return kOk;
}

ResultCode CTMByteReader::ReadI16(std::int16_t& out) {
  std::uint16_t v = 0;
  const ResultCode rc = ReadU16(v);
  out = static_cast<std::int16_t>(v);
  return rc;
}

ResultCode CTMByteReader::ReadU32(std::uint32_t& out) {
  out = 0;
  if (!Fits(4)) return kBufferOverrun;
  out = static_cast<std::uint32_t>(TakeBigEndian(4));
  return kOk;
}

ResultCode CTMByteReader::ReadI32(std::int32_t& out) {
  std::uint32_t v = 0;
  const ResultCode rc = ReadU32(v);
  out = static_cast<std::int32_t>(v);
  return rc;
}

ResultCode CTMByteReader::ReadF32(float& out) {
  out = 0.0f;
  if (!Fits(4)) return kBufferOverrun;
  out = std::bit_cast<float>(static_cast<std::uint32_t>(TakeBigEndian(4)));
  return kOk;
}

ResultCode CTMByteReader::ReadF64(double& out) {
  out = 0.0;
  if (!Fits(8)) return kBufferOverrun;
  out = std::bit_cast<double>(TakeBigEndian(8));
  return kOk;
}

ResultCode CTMByteReader::ReadU32Le(std::uint32_t& out) {
  out = 0;
  if (!Fits(4)) return kBufferOverrun;
  out = static_cast<std::uint32_t>(TakeLittleEndian(4));
  return kOk;
}

ResultCode CTMByteReader::ReadU64Le(std::uint64_t& out) {
  out = 0;
  if (!Fits(8)) return kBufferOverrun;
  out = TakeLittleEndian(8);
  return kOk;
}

ResultCode CTMByteReader::ReadGuid(tvk::Guid& out) {
  out = tvk::Guid{};
  if (!Fits(16)) return kBufferOverrun;
  out.data1 = static_cast<std::uint32_t>(TakeBigEndian(4));
  out.data2 = static_cast<std::uint16_t>(TakeBigEndian(2));
  out.data3 = static_cast<std::uint16_t>(TakeBigEndian(2));
  for (auto& b : out.data4) b = static_cast<std::uint8_t>(TakeBigEndian(1));
  return kOk;
}

ResultCode CTMByteReader::ReadSystemTime(tvk::SystemTime& out) {
  out = tvk::SystemTime{};
  if (!Fits(16)) return kBufferOverrun;
  for (std::uint16_t* field : {&out.year, &out.month, &out.dayOfWeek, &out.day, &out.hour, &out.minute,
                               &out.second, &out.milliseconds}) {
    *field = static_cast<std::uint16_t>(TakeBigEndian(2));
  }
  return kOk;
}

ResultCode CTMByteReader::ReadDeviceTime(CTMDeviceTime& out) {
  out = CTMDeviceTime{};
  if (!Fits(6)) return kBufferOverrun;
  out.seconds = static_cast<std::uint32_t>(TakeBigEndian(4));
  out.fraction = static_cast<std::uint16_t>(TakeBigEndian(2));
  return kOk;
}

ResultCode CTMByteReader::ReadString(std::uint16_t units, std::string& out) {
  out.clear();
  const std::uint32_t width = 2U * units;
  if (!Fits(width)) return kBufferOverrun;
  std::u16string text;
  text.reserve(units);
  for (std::uint16_t i = 0; i < units; ++i) {
    const auto unit = static_cast<char16_t>(TakeBigEndian(2));
    if (unit != 0) text.push_back(unit);
  }
  out = tvk::Utf16ToUtf8(text);
  return kOk;
}

ResultCode CTMByteReader::ReadBytes(std::uint32_t count, std::span<const std::uint8_t>& out) {
  out = {};
  if (!Fits(count)) return kBufferOverrun;
  out = bytes_.subspan(cursor_, count);
  cursor_ += count;
  return kOk;
}

ResultCode CTMByteReader::Skip(std::uint32_t count) {
  if (!Fits(count)) return kBufferOverrun;
  cursor_ += count;
  return kOk;
}

// --- writer ---

void CTMByteWriter::WriteBigEndian(std::uint64_t v, int width) {
  std::uint8_t bytes[8];
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(v >> (8 * (width - 1 - i)));
  target_.Append(bytes, static_cast<std::uint32_t>(width));
}

void CTMByteWriter::WriteLittleEndian(std::uint64_t v, int width) {
  std::uint8_t bytes[8];
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<std::uint8_t>(v >> (8 * i));
  target_.Append(bytes, static_cast<std::uint32_t>(width));
}

void CTMByteWriter::WriteU8(std::uint8_t v) { target_.AppendByte(v); }
void CTMByteWriter::WriteU16(std::uint16_t v) { WriteBigEndian(v, 2); }
void CTMByteWriter::WriteU32(std::uint32_t v) { WriteBigEndian(v, 4); }
void CTMByteWriter::WriteF32(float v) { WriteBigEndian(std::bit_cast<std::uint32_t>(v), 4); }
void CTMByteWriter::WriteF64(double v) { WriteBigEndian(std::bit_cast<std::uint64_t>(v), 8); }

void CTMByteWriter::WriteGuid(const tvk::Guid& v) {
  WriteU32(v.data1);
  WriteU16(v.data2);
  WriteU16(v.data3);
  for (std::uint8_t b : v.data4) WriteU8(b);
}

void CTMByteWriter::WriteSystemTime(const tvk::SystemTime& v) {
  for (std::uint16_t field : {v.year, v.month, v.dayOfWeek, v.day, v.hour, v.minute, v.second, v.milliseconds}) {
    WriteU16(field);
  }
}

void CTMByteWriter::WriteDeviceTime(const CTMDeviceTime& v) {
  WriteU32(v.seconds);
  WriteU16(v.fraction);
}

void CTMByteWriter::WriteString(std::string_view text, std::uint16_t units) {
  const std::u16string wide = tvk::Utf8ToUtf16(text);
  for (std::uint16_t i = 0; i < units; ++i) WriteU16(i < wide.size() ? wide[i] : 0);
}

void CTMByteWriter::WriteBytes(std::span<const std::uint8_t> bytes) {
  target_.Append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace TMSystem
