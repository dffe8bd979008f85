#pragma once
// The LogData section: site header, channel list and rows. Rows are held in memory (all loaded, or
// set by the engine) or read one at a time from the file on demand.

#include <bit>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/DeviceTime.h"
#include "common/Guid.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"

namespace TMSystem {

class CTMLogFileReader;

struct CTMSiteHeader {
  std::uint16_t version = 2;  // 1 or 2; the version-2 fields are written only for version 2
  std::uint16_t word1 = 0;
  std::uint32_t dword1 = 0;
  std::string text1;
  std::uint16_t word2 = 0;
  std::string siteName;
  tvk::Guid guid1;
  double value1 = 0.0;
  double value2 = 0.0;
  double value3 = 0.0;
  std::string text3;
  tvk::Guid guid2;

  // Bytes of the header in the file, column count and row byte count included.
  static constexpr std::uint32_t FileSizeOf(std::uint16_t version) { return version == 1 ? 166U : 262U; }
  std::uint32_t FileSize() const { return FileSizeOf(version); }
  friend bool operator==(const CTMSiteHeader&, const CTMSiteHeader&) = default;
};

struct CTMChannelInfo {
  std::uint16_t columnIndex = 0;
  std::uint16_t sensorId = 0;
  std::uint16_t parameterId = 0;
  std::uint16_t unitId = 0;
  std::uint32_t sensorSerialNumber = 0;
  friend bool operator==(const CTMChannelInfo&, const CTMChannelInfo&) = default;
};

struct CTMDataValue {
  float value = 0.0f;
  std::uint16_t status = 0x0100;  // a value made in memory; only the low byte is written
  friend bool operator==(const CTMDataValue&, const CTMDataValue&) = default;
};

struct CTMDataRow {
  CTMDeviceTime time;
  std::vector<CTMDataValue> values;
  friend bool operator==(const CTMDataRow&, const CTMDataRow&) = default;
};

// For memory that reading or encoding fills completely: elements are not zeroed first.
template <class T>
struct UnfilledAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UnfilledAllocator<U>;
  };
  UnfilledAllocator() = default;
  template <class U>
  UnfilledAllocator(const UnfilledAllocator<U>&) noexcept {}
  template <class U>
  void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void*>(p)) U;
  }
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

// The file form of a row, the one codec for it: the time (uint32 seconds, uint16 fraction), then per
// channel the value (float32) and the status byte, all big-endian. Rows are decoded straight from
// memory, without a reader per row: callers hand over a whole row (RowFileSize bytes).
namespace RowCodec {

constexpr std::uint32_t kTimeBytes = 6;
constexpr std::uint32_t kCellBytes = 5;

// Offset of channel `channel`'s cell in a row.
constexpr std::uint32_t CellOffset(std::uint32_t channel) { return kTimeBytes + kCellBytes * channel; }

inline std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

inline void StoreU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 24);
  p[1] = static_cast<std::uint8_t>(v >> 16);
  p[2] = static_cast<std::uint8_t>(v >> 8);
  p[3] = static_cast<std::uint8_t>(v);
}

inline CTMDeviceTime DecodeTime(const std::uint8_t* row) {
  return {LoadU32(row), static_cast<std::uint16_t>(row[4] << 8 | row[5])};
}

inline CTMDataValue DecodeCell(const std::uint8_t* row, std::uint32_t channel) {
  const std::uint8_t* cell = row + CellOffset(channel);
  return {std::bit_cast<float>(LoadU32(cell)), cell[4]};
}

// Only the low status byte is stored.
inline void EncodeCell(std::uint8_t* row, std::uint32_t channel, const CTMDataValue& v) {
  std::uint8_t* cell = row + CellOffset(channel);
  StoreU32(cell, std::bit_cast<std::uint32_t>(v.value));
  cell[4] = static_cast<std::uint8_t>(v.status & 0xFF);
}

// Into `out`, whose values already number `columns`.
inline void DecodeRow(const std::uint8_t* row, std::uint16_t columns, CTMDataRow& out) {
  out.time = DecodeTime(row);
  CTMDataValue* values = out.values.data();
  // Fields are stored one by one: assigning whole values makes the compiler carry their padding along.
  for (std::uint16_t c = 0; c < columns; ++c) {
    const std::uint8_t* cell = row + CellOffset(c);
    values[c].value = std::bit_cast<float>(LoadU32(cell));
    values[c].status = cell[4];
  }
}

// `count` values; missing ones are written as 0.0 with status 0.
inline void EncodeRow(std::uint8_t* row, const CTMDeviceTime& time, const CTMDataValue* values, std::size_t count,
                      std::uint16_t columns) {
  StoreU32(row, time.seconds);
  row[4] = static_cast<std::uint8_t>(time.fraction >> 8);
  row[5] = static_cast<std::uint8_t>(time.fraction);
  for (std::uint16_t c = 0; c < columns; ++c) EncodeCell(row, c, c < count ? values[c] : CTMDataValue{0.0f, 0});
}

}  // namespace RowCodec

// Bytes of one row written with `columns` channels.
constexpr std::uint32_t RowFileSize(std::uint32_t columns) { return RowCodec::CellOffset(columns); }

// The file bytes of the rows a block read last on demand. Each block has its own, so copies that share
// a reader never share a window; a copy starts with an empty one.
struct CTMRowWindow {
  std::vector<std::uint8_t, UnfilledAllocator<std::uint8_t>> bytes;
  std::uint64_t start = 0;
  std::uint32_t size = 0;

  CTMRowWindow() = default;
  CTMRowWindow(const CTMRowWindow&) noexcept {}
  CTMRowWindow& operator=(const CTMRowWindow&) noexcept {
    size = 0;
    return *this;
  }
  bool Holds(std::uint64_t position, std::uint32_t count) const {
    return position >= start && position + count <= start + size;
  }
};

// The data part of a log. Not locked itself: the log object that holds it serialises its use. Copies
// share an on-demand reader, which has its own lock, since copies have their own and may be used from
// different threads; every read through it takes that lock.
class CTMDataBlock {
 public:
  // Whole block into memory. kFileNotFound, kOpenFailed, kNoData (empty section, not a failure), or
  // the failing step's code; each failure is written to the error log.
  ResultCode LoadAll(const std::string& path);
  // Site header and channels; the file stays open for row reads.
  ResultCode LoadOnDemand(const std::string& path);

  const CTMSiteHeader& SiteHeader() const { return header_; }
  std::uint16_t ColumnCount() const { return columnCount_; }
  std::uint16_t RowByteCount() const { return rowByteCount_; }
  std::uint32_t RowCount() const { return rowCount_; }
  bool OnDemand() const { return onDemand_; }
  bool HasData() const { return hasData_; }
  // The section's size field and the bytes of it the file held when the block was loaded (0 for a block
  // built in memory).
  std::uint32_t SectionSize() const { return sectionSize_; }
  std::uint32_t SectionBytesPresent() const { return sectionBytesPresent_; }
  void SetHasData(bool hasData) { hasData_ = hasData; }

  ResultCode GetChannel(std::uint32_t index, CTMChannelInfo& out) const;
  const std::vector<CTMChannelInfo>& Channels() const { return channels_; }
  // Replaces the site header; only for rows held in memory.
  ResultCode SetSiteHeader(const CTMSiteHeader& header);
  // Replace the channel list (and drop all rows) / the rows; only for rows held in memory.
  ResultCode SetChannels(const std::vector<CTMChannelInfo>& channels);
  ResultCode SetRows(const std::vector<CTMDataRow>& rows);

  ResultCode GetRows(std::vector<CTMDataRow>& out);
  // One channel's values of every row, without building rows: the engine's way to a column.
  ResultCode GetColumn(std::uint16_t channel, std::vector<CTMDataValue>& out);
  // Replaces one channel's values (one per row) and its description; only for rows held in memory.
  ResultCode SetColumn(std::uint16_t channel, const std::vector<CTMDataValue>& values, const CTMChannelInfo& info);
  // Replaces one channel's description, rows held or not (a copy that streams the rows rewrites them).
  ResultCode SetChannel(std::uint16_t channel, const CTMChannelInfo& info);
  // Rows [first, first + count) in their file form (RowFileSize bytes each) into `target`: held rows
  // copied, rows on demand read from the file in one read. kInvalidIndex past the last row;
  // kBufferOverrun when the stored row size is not the regular one.
  ResultCode ReadRowBytes(std::uint32_t first, std::uint32_t count, std::uint8_t* target);
  ResultCode GetRow(std::uint32_t index, CTMDataRow& out) {
    // A scan of rows on demand mostly finds its row in the block's own window; that case is decoded
    // in the caller, without a call and without the reader's lock.
    if (windowDecodable_ && index < rowCount_ && out.values.size() == columnCount_) {
      const std::uint64_t position = RowPosition(index);
      if (window_.Holds(position, rowByteCount_)) {
        RowCodec::DecodeRow(window_.bytes.data() + (position - window_.start), columnCount_, out);
        return tvk::kOk;
      }
    }
    return GetRowAnyWay(index, out);
  }
  ResultCode GetRowTime(std::uint32_t index, CTMDeviceTime& out);
  ResultCode GetRowTimes(std::vector<CTMDeviceTime>& out);

  // The block as written to a file; rows read on demand are read from the source file.
  ResultCode SerializeData(CTMByteBuffer& out);
  // The same in two pieces, for writing without a copy of the rows: the site and channel headers,
  // then the rows held in memory as they lie. Only for rows held in memory.
  ResultCode SerializeHeaders(CTMByteBuffer& out) const;
  std::span<const std::uint8_t> HeldRowBytes() const;

  // Back to empty; a shared reader is released (and closed by the last holder).
  void Reset();

 private:
  struct SharedReader;

  ResultCode GetRowAnyWay(std::uint32_t index, CTMDataRow& out);
  ResultCode ReadRowOnDemand(std::uint32_t index, CTMDataRow& out);
  [[gnu::noinline]] bool FillWindow(std::uint64_t position);
  std::uint64_t RowPosition(std::uint32_t index) const {
    return firstRowPosition_ + std::uint64_t{rowByteCount_} * index;
  }
  const std::uint8_t* HeldRow(std::uint32_t index) const;
  std::uint8_t* HeldRow(std::uint32_t index);
  std::uint64_t SerializedSize() const;
  CTMDataValue HeldValue(std::uint32_t index, std::uint16_t channel) const;

  CTMSiteHeader header_;
  std::uint16_t columnCount_ = 0;
  std::uint16_t rowByteCount_ = 0;
  std::uint32_t rowCount_ = 0;
  std::vector<CTMChannelInfo> channels_;
  // Rows in memory keep their file form, RowFileSize(columnCount_) bytes each: loading and writing
  // them are plain copies, and they take no more memory than the file. statusHigh_ holds the status
  // bits above the written byte, one per value; it stays empty while they are all 0, as they are for
  // every row read from a file.
  std::vector<std::uint8_t, UnfilledAllocator<std::uint8_t>> rows_;
  std::vector<std::uint8_t> statusHigh_;
  std::uint64_t firstRowPosition_ = 0;
  std::uint32_t sectionSize_ = 0;
  std::uint32_t sectionBytesPresent_ = 0;
  std::shared_ptr<SharedReader> reader_;
  CTMRowWindow window_;
  bool windowDecodable_ = false;  // rows on demand whose stored size holds all their values
  bool onDemand_ = false;
  bool hasData_ = false;
};

// Field-level parsing, shared by both load modes and by the fuzz target.
ResultCode ParseSiteHeader(CTMByteReader& reader, CTMSiteHeader& header, std::uint16_t& columnCount,
                           std::uint16_t& rowByteCount);
ResultCode ParseChannelHeader(CTMByteReader& reader, std::uint16_t columnCount,
                              std::vector<CTMChannelInfo>& channels);

}  // namespace TMSystem
