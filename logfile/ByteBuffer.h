#pragma once
// Growable byte buffer, bounds-checked big-endian reading cursor and appending writer (with the few
// little-endian fields of the container header). Every block of a log and the container header are
// built and parsed with these; nothing else touches raw offsets, but for the row codec of DataBlock.h.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/Calendar.h"
#include "common/DeviceTime.h"
#include "common/Guid.h"
#include "common/ResultCodes.h"

namespace TMSystem {

using tvk::ResultCode;

class CTMByteBuffer {
 public:
  CTMByteBuffer() = default;
  CTMByteBuffer(const std::uint8_t* bytes, std::uint32_t n) { Assign(bytes, n); }

  const std::uint8_t* Data() const { return data_.data(); }
  std::uint8_t* Data() { return data_.data(); }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(data_.size()); }
  std::uint32_t Capacity() const { return static_cast<std::uint32_t>(data_.capacity()); }
  bool Empty() const { return data_.empty(); }
  std::span<const std::uint8_t> Bytes() const { return data_; }

  // Each returns false when memory could not be had; the buffer is then unchanged.
  bool Assign(const std::uint8_t* bytes, std::uint32_t n);
  bool Append(const std::uint8_t* bytes, std::uint32_t n);
  bool AppendByte(std::uint8_t b);
  // Replaces the contents with room for `n` bytes and size 0.
  bool Reserve(std::uint32_t n);
  // Size `n`, contents zero; for callers that fill the bytes in place (file reads).
  bool Resize(std::uint32_t n);
  // Frees the memory.
  void Clear();

  friend bool operator==(const CTMByteBuffer&, const CTMByteBuffer&) = default;

 private:
  std::vector<std::uint8_t> data_;
};

// Reads big-endian fields from a buffer it does not own (the buffer must outlive the reader).
// A read succeeds only when the whole field lies inside the buffer; otherwise it returns
// kBufferOverrun and the cursor does not move. The out value is zeroed first in every case.
class CTMByteReader {
 public:
  explicit CTMByteReader(const CTMByteBuffer& buffer) : bytes_(buffer.Bytes()) {}
  explicit CTMByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  CTMByteReader(CTMByteBuffer&&) = delete;

  std::uint32_t Cursor() const { return cursor_; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::uint32_t Remaining() const { return Size() - cursor_; }
  bool AtEnd() const { return cursor_ >= Size(); }

  [[nodiscard]] ResultCode ReadU8(std::uint8_t& out);
  [[nodiscard]] ResultCode ReadI8(std::int8_t& out);
  [[nodiscard]] ResultCode ReadU16(std::uint16_t& out);
  [[nodiscard]] ResultCode ReadI16(std::int16_t& out);
  [[nodiscard]] ResultCode ReadU32(std::uint32_t& out);
  [[nodiscard]] ResultCode ReadI32(std::int32_t& out);
  [[nodiscard]] ResultCode ReadF32(float& out);
  [[nodiscard]] ResultCode ReadF64(double& out);
  // Little-endian, as the container header stores its numbers.
  [[nodiscard]] ResultCode ReadU32Le(std::uint32_t& out);
  [[nodiscard]] ResultCode ReadU64Le(std::uint64_t& out);
  [[nodiscard]] ResultCode ReadGuid(tvk::Guid& out);
  [[nodiscard]] ResultCode ReadSystemTime(tvk::SystemTime& out);
  [[nodiscard]] ResultCode ReadDeviceTime(CTMDeviceTime& out);
  // `units` UTF-16 code units; zero units are skipped. 0 units reads nothing and gives "".
  [[nodiscard]] ResultCode ReadString(std::uint16_t units, std::string& out);
  // The next `count` bytes as they stand.
  [[nodiscard]] ResultCode ReadBytes(std::uint32_t count, std::span<const std::uint8_t>& out);
  [[nodiscard]] ResultCode Skip(std::uint32_t count);

 private:
  // True when `width` bytes remain; the one bounds check of the reader.
  bool Fits(std::uint32_t width) const { return cursor_ <= Size() && width <= Size() - cursor_; }
  std::uint64_t TakeBigEndian(std::uint32_t width);
  std::uint64_t TakeLittleEndian(std::uint32_t width);

  std::span<const std::uint8_t> bytes_;
  std::uint32_t cursor_ = 0;
};

// Appends big-endian fields to a buffer. Writers report nothing: a byte that cannot be stored (no
// memory) is dropped, which is why block writers reserve their full size first.
class CTMByteWriter {
 public:
  explicit CTMByteWriter(CTMByteBuffer& target) : target_(target) {}

  void WriteU8(std::uint8_t v);
  void WriteU16(std::uint16_t v);
  void WriteU32(std::uint32_t v);
  void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
  void WriteF32(float v);
  void WriteF64(double v);
  void WriteU32Le(std::uint32_t v) { WriteLittleEndian(v, 4); }
  void WriteU64Le(std::uint64_t v) { WriteLittleEndian(v, 8); }
  void WriteGuid(const tvk::Guid& v);
  void WriteSystemTime(const tvk::SystemTime& v);
  void WriteDeviceTime(const CTMDeviceTime& v);
  // Exactly `units` UTF-16 code units: the text's first units, padded with zero units.
  void WriteString(std::string_view text, std::uint16_t units);
  void WriteBytes(std::span<const std::uint8_t> bytes);

 private:
  void WriteBigEndian(std::uint64_t v, int width);
  void WriteLittleEndian(std::uint64_t v, int width);

  CTMByteBuffer& target_;
};

}  // namespace TMSystem
