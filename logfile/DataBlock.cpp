#include "logfile/DataBlock.h"

#include <algorithm>
#include <bit>
#include <filesystem>
#include <new>

#include "common/ErrorLog.h"
#include "common/Format.h"
#include "logfile/LogFileReader.h"
#include "platform/Memory.h"
#include "platform/Path.h"

namespace TMSystem {

using tvk::kBadData;
using tvk::kBadFormatVersion;
using tvk::kChannelCountMismatch;
using tvk::kFail;
using tvk::kFileNotFound;
using tvk::kInvalidIndex;
using tvk::kNoData;
using tvk::kOk;
using tvk::kOpenFailed;
using tvk::kRowReadFailed;
using tvk::kUnexpected;
using tvk::kUnsupportedDataMode;
using tvk::StrFormat;

// The file and its position are shared by copies; each read is a seek and a read under `lock`.
struct CTMDataBlock::SharedReader {
  std::mutex lock;
  CTMLogFileReader reader;
};

namespace {

constexpr std::uint32_t kStringUnits = 32;
// Rows are read in chunks of about this many bytes, so a large block is never held twice.
constexpr std::uint32_t kChunkBytes = 1U << 20;
constexpr std::uint32_t kWindowBytes = 1U << 18;

using RowCodec::DecodeCell;
using RowCodec::DecodeRow;
using RowCodec::DecodeTime;
using RowCodec::EncodeCell;
using RowCodec::EncodeRow;

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(tvk::platform::PathFromUtf8(path), ec);
}

void LogWithError(const char* format, const std::string& path, ResultCode code, int lastError) {
  tvk::WriteErrorLog(StrFormat(format, path.c_str(), static_cast<unsigned>(code), lastError));
}

void LogWithCode(const char* format, const std::string& path, ResultCode code) {
  tvk::WriteErrorLog(StrFormat(format, path.c_str(), static_cast<unsigned>(code)));
}

void WriteSiteHeader(CTMByteWriter& w, const CTMSiteHeader& h, std::uint16_t columns) {
  w.WriteU16(h.version);
  w.WriteU16(h.word1);
  w.WriteU32(h.dword1);
  w.WriteString(h.text1, kStringUnits);
  w.WriteU16(h.word2);
  w.WriteString(h.siteName, kStringUnits);
  if (h.version == 2) w.WriteGuid(h.guid1);
  w.WriteF64(h.value1);
  w.WriteF64(h.value2);
  w.WriteF64(h.value3);
  if (h.version == 2) {
    w.WriteString(h.text3, kStringUnits);
    w.WriteGuid(h.guid2);
  }
  w.WriteU16(columns);
  w.WriteU16(static_cast<std::uint16_t>(RowFileSize(columns)));
}

}  // namespace

ResultCode ParseSiteHeader(CTMByteReader& r, CTMSiteHeader& h, std::uint16_t& columnCount,
                           std::uint16_t& rowByteCount) {
  h = CTMSiteHeader{};
  columnCount = 0;
  rowByteCount = 0;
  if (const ResultCode rc = r.ReadU16(h.version); rc != kOk) return rc;
  if (h.version != 1 && h.version != 2) return kBadFormatVersion;
  if (r.Remaining() + 2 < h.FileSize()) return kFail;

  ResultCode rc = kOk;
  auto step = [&rc](ResultCode next) { rc = next; return rc == kOk; };
  const bool v2 = h.version == 2;
  (void)(step(r.ReadU16(h.word1)) && step(r.ReadU32(h.dword1)) && step(r.ReadString(kStringUnits, h.text1)) &&
         step(r.ReadU16(h.word2)) && step(r.ReadString(kStringUnits, h.siteName)) &&
         (!v2 || step(r.ReadGuid(h.guid1))) && step(r.ReadF64(h.value1)) && step(r.ReadF64(h.value2)) &&
         step(r.ReadF64(h.value3)) && (!v2 || step(r.ReadString(kStringUnits, h.text3))) &&
         (!v2 || step(r.ReadGuid(h.guid2))) && step(r.ReadU16(columnCount)) && step(r.ReadU16(rowByteCount)));
  return rc;
}

ResultCode ParseChannelHeader(CTMByteReader& r, std::uint16_t columnCount, std::vector<CTMChannelInfo>& channels) {
  channels.clear();
  if (r.Remaining() < 10U * columnCount) return kFail;
  channels.reserve(columnCount);
  for (std::uint16_t i = 0; i < columnCount; ++i) {
    CTMChannelInfo ch;
    ch.columnIndex = i;
    ResultCode rc = r.ReadU16(ch.sensorId);
    if (rc == kOk) rc = r.ReadU32(ch.sensorSerialNumber);
    if (rc == kOk) rc = r.ReadU16(ch.parameterId);
    if (rc == kOk) rc = r.ReadU16(ch.unitId);
    if (rc != kOk) return rc;
    // Older instruments left the sensor of a pressure or depth column unnamed.
    if (ch.sensorId == 0 && ch.sensorSerialNumber == 0 && (ch.parameterId == 2 || ch.parameterId == 3)) {
      ch.sensorId = 5000;
    }
    channels.push_back(ch);
  }
  return kOk;
}

ResultCode CTMDataBlock::LoadAll(const std::string& path) {
  try {
    if (!FileExists(path)) return kFileNotFound;
    CTMLogFileReader reader;
    if (const ResultCode rc = reader.Open(path); tvk::Failed(rc)) {
      LogWithError("Failed to open log file: %s - %08X - LE: %d", path, rc, reader.LastError());
      return kOpenFailed;
    }
    const std::uint32_t sectionSize = reader.LogDataSize();
    if (sectionSize == 0) return kNoData;

    Reset();  // whatever the block held before, in either mode
    sectionSize_ = sectionSize;
    sectionBytesPresent_ = reader.LogDataBytesPresent();
    CTMByteBuffer head;
    ResultCode rc = reader.ReadLogData(std::min(sectionSize, CTMSiteHeader::FileSizeOf(2)), head);
    if (rc != kOk) {
      LogWithError("Failed to read data block from log file: %s - %08X - LE: %d", path, rc, reader.LastError());
      return rc;
    }
    {
      CTMByteReader r(head);
      rc = ParseSiteHeader(r, header_, columnCount_, rowByteCount_);
    }
    if (rc == kOk && (columnCount_ == 0 || rowByteCount_ == 0)) {
      LogWithCode("Error - 0 size col cnt or row byte cnt in data blk chnl header: %s - %08X", path, kBadData);
      return kBadData;
    }
    if (rc != kOk) {
      LogWithError("Failed to extract data block site header from log file: %s - %08X - LE: %d", path, rc,
                   reader.LastError());
      return rc;
    }

    const std::uint32_t headerSize = header_.FileSize();
    const std::uint32_t channelBytes = 10U * columnCount_;
    CTMByteBuffer channelBlock;
    if (sectionSize - headerSize < channelBytes) {
      rc = kFail;
    } else if (!reader.SeekLogData(reader.LogDataStart() + headerSize)) {
      rc = kFail;
    } else {
      rc = reader.ReadLogData(channelBytes, channelBlock);
    }
    if (rc == kOk) {
      CTMByteReader r(channelBlock);
      rc = ParseChannelHeader(r, columnCount_, channels_);
    }
    if (rc != kOk) {
      LogWithError("Failed to extract data block chnl header from log file: %s - %08X - LE: %d", path, rc,
                   reader.LastError());
      return rc;
    }

    // The row count comes from the stored row size; the rows themselves lie packed one after another.
    const std::uint32_t rowBytes = sectionSize - headerSize - channelBytes;
    const std::uint32_t stride = RowFileSize(columnCount_);
    const std::uint32_t declaredRows = rowBytes / rowByteCount_;
    const std::uint32_t wholeRows = std::min(declaredRows, rowBytes / stride);
    // Memory only for rows the file really holds, so a damaged size field cannot claim more.
    const std::uint32_t present = reader.LogDataBytesPresent();
    const std::uint32_t presentRows =
        present > headerSize + channelBytes ? (present - headerSize - channelBytes) / stride : 0;
    tvk::platform::ReserveLarge(rows_, static_cast<std::size_t>(std::min(wholeRows, presentRows)) * stride);
    rows_.resize(static_cast<std::size_t>(std::min(wholeRows, presentRows)) * stride);

    const std::uint32_t rowsPerChunk = std::max<std::uint32_t>(1, kChunkBytes / stride);
    for (std::uint32_t done = 0; done < wholeRows;) {
      const std::uint32_t n = std::min(rowsPerChunk, wholeRows - done);
      rc = done + n > presentRows ? kFail : reader.ReadLogData(n * stride, rows_.data() + std::size_t{done} * stride);
      if (rc != kOk) {
        LogWithError("Failed to read data block from log file: %s - %08X - LE: %d", path, rc, reader.LastError());
        rows_.resize(std::size_t{done} * stride);
        return rc;
      }
      done += n;
      rowCount_ = done;
    }
    if (declaredRows > wholeRows) {
      LogWithError("Failed to extract data block data rows from log file: %s - %08X - LE: %d", path,
                   tvk::kBufferOverrun, reader.LastError());
      return tvk::kBufferOverrun;
    }
    rowCount_ = wholeRows;
    return kOk;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::LoadOnDemand(const std::string& path) {
  try {
    if (!FileExists(path)) return kFileNotFound;
    auto shared = std::make_shared<SharedReader>();
    CTMLogFileReader& reader = shared->reader;
    if (const ResultCode rc = reader.Open(path); tvk::Failed(rc)) {
      LogWithError("Failed to open log file: %s - %08X - LE: %d", path, rc, reader.LastError());
      return kOpenFailed;
    }
    if (reader.LogDataSize() == 0) return kNoData;

    Reset();  // whatever the block held before, in either mode
    sectionSize_ = reader.LogDataSize();
    sectionBytesPresent_ = reader.LogDataBytesPresent();
    CTMByteBuffer bytes;
    if (const ResultCode rc = reader.ReadLogData(2, bytes); rc != kOk) {
      LogWithError("Failed to read data blk format version: %s - %08X - LE: %d", path, rc, reader.LastError());
      return rc;
    }
    std::uint16_t version = 0;
    if (CTMByteReader(bytes).ReadU16(version) != kOk || (version != 1 && version != 2)) {
      tvk::WriteErrorLog(StrFormat("Log data blk format version not supported: %s", path.c_str()));
      return kBadFormatVersion;
    }
    const std::uint32_t headerSize = CTMSiteHeader::FileSizeOf(version);
    ResultCode rc = reader.SeekLogData(reader.LogDataStart()) ? reader.ReadLogData(headerSize, bytes) : kFail;
    if (rc != kOk) {
      LogWithError("Failed to read data blk site header: %s - %08X - LE: %d", path, rc, reader.LastError());
      return kBadFormatVersion;
    }
    {
      CTMByteReader r(bytes);
      rc = ParseSiteHeader(r, header_, columnCount_, rowByteCount_);
    }
    if (rc != kOk) {
      LogWithCode("Failed to extract data blk site header: %s - %08X", path, rc);
      return rc;
    }
    if (columnCount_ == 0 || rowByteCount_ == 0) {
      LogWithCode("Error - 0 size col cnt or row byte cnt in data blk chnl header: %s - %08X", path, kBadData);
      return kBadData;
    }
    if (rc = reader.ReadLogData(10U * columnCount_, bytes); rc != kOk) {
      LogWithError("Failed to read data blk column header: %s - %08X - LE: %d", path, rc, reader.LastError());
      return rc;
    }
    {
      CTMByteReader r(bytes);
      rc = ParseChannelHeader(r, columnCount_, channels_);
    }
    if (rc != kOk) {
      LogWithCode("Failed to extract data blk chnl header: %s - %08X", path, rc);
      return rc;
    }
    firstRowPosition_ = reader.LogDataCursor();
    rowCount_ = (reader.LogDataSize() - headerSize - 10U * columnCount_) / rowByteCount_;
    reader_ = std::move(shared);
    windowDecodable_ = rowByteCount_ >= RowFileSize(columnCount_);
    onDemand_ = true;
    return kOk;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::GetChannel(std::uint32_t index, CTMChannelInfo& out) const {
  if (index >= channels_.size()) return kInvalidIndex;
  out = channels_[index];
  return kOk;
}

ResultCode CTMDataBlock::SetSiteHeader(const CTMSiteHeader& header) {
  if (onDemand_ || reader_) return kUnsupportedDataMode;
  if (header.version != 1 && header.version != 2) return kBadFormatVersion;
  try {
    header_ = header;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
  return kOk;
}

ResultCode CTMDataBlock::SetChannels(const std::vector<CTMChannelInfo>& channels) {
  if (onDemand_ || reader_) return kUnsupportedDataMode;
  // The row size of the file must fit its 16-bit field.
  if (channels.empty() || RowFileSize(static_cast<std::uint32_t>(channels.size())) > 0xFFFF) {
    return kChannelCountMismatch;
  }
  try {
    channels_ = channels;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
  columnCount_ = static_cast<std::uint16_t>(channels.size());
  rowByteCount_ = static_cast<std::uint16_t>(RowFileSize(columnCount_));
  rows_.clear();
  statusHigh_.clear();
  rowCount_ = 0;
  return kOk;
}

ResultCode CTMDataBlock::SetRows(const std::vector<CTMDataRow>& rows) {
  if (onDemand_ || reader_) return kUnsupportedDataMode;
  if (!rows.empty() && rows.front().values.size() != columnCount_) return kChannelCountMismatch;
  if (rows.size() > 0xFFFFFFFFU) return kUnexpected;
  try {
    const std::size_t stride = RowFileSize(columnCount_);
    std::vector<std::uint8_t, UnfilledAllocator<std::uint8_t>> bytes;
    tvk::platform::ReserveLarge(bytes, rows.size() * stride);
    bytes.resize(rows.size() * stride);
    std::vector<std::uint8_t> high;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const CTMDataRow& row = rows[i];
      // A short row is completed as the writer would complete it.
      EncodeRow(bytes.data() + i * stride, row.time, row.values.data(), row.values.size(), columnCount_);
      for (std::size_t c = 0; c < std::min<std::size_t>(columnCount_, row.values.size()); ++c) {
        if (row.values[c].status <= 0xFF) continue;
        if (high.empty()) high.assign(rows.size() * columnCount_, 0);
        high[i * columnCount_ + c] = static_cast<std::uint8_t>(row.values[c].status >> 8);
      }
    }
    rows_.swap(bytes);
    statusHigh_.swap(high);
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
  rowCount_ = static_cast<std::uint32_t>(rows.size());
  return kOk;
}

// Rows are read a window at a time, so a run of GetRow calls costs one file read per window.
ResultCode CTMDataBlock::ReadRowOnDemand(std::uint32_t index, CTMDataRow& out) {
  if (rowCount_ == 0) return kNoData;
  if (!reader_) return kUnsupportedDataMode;
  const std::uint64_t position = RowPosition(index);
  if (!window_.Holds(position, rowByteCount_) && !FillWindow(position)) return kRowReadFailed;
  // A stored row too short for its values cannot be decoded: its last fields would lie past its end.
  if (!windowDecodable_) return tvk::kBufferOverrun;
  if (out.values.size() != columnCount_) out.values.resize(columnCount_);
  DecodeRow(window_.bytes.data() + (position - window_.start), columnCount_, out);
  return kOk;
}

// The window is the block's own; only the seek and the read of the shared file need the reader's lock.
bool CTMDataBlock::FillWindow(std::uint64_t position) {
  window_.size = 0;
  std::lock_guard guard(reader_->lock);
  CTMLogFileReader& reader = reader_->reader;
  // A file cut short still gives the rows it holds.
  const std::uint64_t sectionEnd = reader.LogDataStart() + reader.LogDataBytesPresent();
  const std::uint32_t wanted = std::max<std::uint32_t>(rowByteCount_, kWindowBytes - kWindowBytes % rowByteCount_);
  const std::uint64_t available = sectionEnd > position ? sectionEnd - position : 0;
  const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, available));
  if (count < rowByteCount_ || !reader.SeekLogData(position)) return false;
  if (window_.bytes.size() < count) window_.bytes.resize(count);
  if (reader.ReadLogData(count, window_.bytes.data()) != kOk) return false;
  window_.start = position;
  window_.size = count;
  return true;
}

const std::uint8_t* CTMDataBlock::HeldRow(std::uint32_t index) const {
  return rows_.data() + static_cast<std::size_t>(index) * RowFileSize(columnCount_);
}

std::uint8_t* CTMDataBlock::HeldRow(std::uint32_t index) {
  return rows_.data() + static_cast<std::size_t>(index) * RowFileSize(columnCount_);
}

CTMDataValue CTMDataBlock::HeldValue(std::uint32_t index, std::uint16_t channel) const {
  CTMDataValue v = DecodeCell(HeldRow(index), channel);
  if (!statusHigh_.empty()) v.status |= statusHigh_[static_cast<std::size_t>(index) * columnCount_ + channel] << 8;
  return v;
}

ResultCode CTMDataBlock::GetRowAnyWay(std::uint32_t index, CTMDataRow& out) {
  try {
    if (index >= rowCount_) return kInvalidIndex;
    if (onDemand_) return ReadRowOnDemand(index, out);
    if (out.values.size() != columnCount_) out.values.resize(columnCount_);
    DecodeRow(HeldRow(index), columnCount_, out);
    if (!statusHigh_.empty()) {
      for (std::uint16_t c = 0; c < columnCount_; ++c) out.values[c] = HeldValue(index, c);
    }
    return kOk;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::GetRowTime(std::uint32_t index, CTMDeviceTime& out) {
  out = CTMDeviceTime{};
  if (index >= rowCount_) return kInvalidIndex;
  if (!onDemand_) {
    out = DecodeTime(HeldRow(index));
    return kOk;
  }
  CTMDataRow row;
  const ResultCode rc = GetRow(index, row);
  if (rc == kOk) out = row.time;
  return rc;
}

ResultCode CTMDataBlock::GetRowTimes(std::vector<CTMDeviceTime>& out) {
  try {
    out.clear();
    tvk::platform::ReserveLarge(out, rowCount_);
    if (!onDemand_) {
      for (std::uint32_t i = 0; i < rowCount_; ++i) out.push_back(DecodeTime(HeldRow(i)));
      return kOk;
    }
    CTMDeviceTime time;
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
      if (const ResultCode rc = GetRowTime(i, time); rc != kOk) {
        out.clear();
        return rc;
      }
      out.push_back(time);
    }
    return kOk;
  } catch (const std::bad_alloc&) {
    out.clear();
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::GetRows(std::vector<CTMDataRow>& out) {
  try {
    out.clear();
    if (rowCount_ == 0) return kNoData;
    out.resize(rowCount_);
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
      if (GetRow(i, out[i]) != kOk) out[i] = CTMDataRow{};  // an unreadable row stays empty
    }
    return kOk;
  } catch (const std::bad_alloc&) {
    out.clear();
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::GetColumn(std::uint16_t channel, std::vector<CTMDataValue>& out) {
  try {
    out.clear();
    if (channel >= columnCount_) return kInvalidIndex;
    tvk::platform::ReserveLarge(out, rowCount_);
    if (!onDemand_ && statusHigh_.empty()) {
      for (std::uint32_t i = 0; i < rowCount_; ++i) out.push_back(DecodeCell(HeldRow(i), channel));
      return kOk;
    }
    CTMDataRow row;
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
      if (onDemand_) {
        if (const ResultCode rc = GetRow(i, row); rc != kOk) return rc;
        out.push_back(row.values[channel]);
      } else {
        out.push_back(HeldValue(i, channel));
      }
    }
    return kOk;
  } catch (const std::bad_alloc&) {
    out.clear();
    return kUnexpected;
  }
}

ResultCode CTMDataBlock::SetColumn(std::uint16_t channel, const std::vector<CTMDataValue>& values,
                                   const CTMChannelInfo& info) {
  if (onDemand_ || reader_) return kUnsupportedDataMode;
  if (channel >= columnCount_) return kInvalidIndex;
  if (values.size() != rowCount_) return kChannelCountMismatch;
  try {
    const bool anyHigh = std::any_of(values.begin(), values.end(), [](const CTMDataValue& v) { return v.status > 0xFF; });
    if (anyHigh && statusHigh_.empty()) statusHigh_.assign(static_cast<std::size_t>(rowCount_) * columnCount_, 0);
    channels_[channel] = info;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
  for (std::uint32_t i = 0; i < rowCount_; ++i) {
    EncodeCell(HeldRow(i), channel, values[i]);
    if (!statusHigh_.empty()) {
      statusHigh_[static_cast<std::size_t>(i) * columnCount_ + channel] = static_cast<std::uint8_t>(values[i].status >> 8);
    }
  }
  return kOk;
}

ResultCode CTMDataBlock::SetChannel(std::uint16_t channel, const CTMChannelInfo& info) {
  if (channel >= columnCount_) return kInvalidIndex;
  channels_[channel] = info;
  return kOk;
}

ResultCode CTMDataBlock::ReadRowBytes(std::uint32_t first, std::uint32_t count, std::uint8_t* target) {
  if (first > rowCount_ || count > rowCount_ - first) return kInvalidIndex;
  const std::uint32_t stride = RowFileSize(columnCount_);
  if (count == 0) return kOk;
  if (!onDemand_) {
    std::copy_n(HeldRow(first), static_cast<std::size_t>(count) * stride, target);
    return kOk;
  }
  if (!reader_) return kUnsupportedDataMode;
  // Rows of another stored size would need a read per row: every writer writes the regular one.
  if (rowByteCount_ != stride) return tvk::kBufferOverrun;
  std::lock_guard guard(reader_->lock);
  CTMLogFileReader& reader = reader_->reader;
  if (!reader.SeekLogData(RowPosition(first))) return kRowReadFailed;
  return reader.ReadLogData(count * stride, target) == kOk ? kOk : kRowReadFailed;
}

ResultCode CTMDataBlock::SerializeHeaders(CTMByteBuffer& out) const {
  try {
    if (SerializedSize() > 0xFFFFFFFFULL) return kUnexpected;
    CTMByteWriter w(out);
    WriteSiteHeader(w, header_, columnCount_);
    for (const CTMChannelInfo& ch : channels_) {
      w.WriteU16(ch.sensorId);
      w.WriteU32(ch.sensorSerialNumber);
      w.WriteU16(ch.parameterId);
      w.WriteU16(ch.unitId);
    }
    return kOk;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
}

std::uint64_t CTMDataBlock::SerializedSize() const {
  return header_.FileSize() + 10ULL * columnCount_ + static_cast<std::uint64_t>(RowFileSize(columnCount_)) * rowCount_;
}

std::span<const std::uint8_t> CTMDataBlock::HeldRowBytes() const {
  if (onDemand_) return {};
  return {rows_.data(), static_cast<std::size_t>(rowCount_) * RowFileSize(columnCount_)};
}

ResultCode CTMDataBlock::SerializeData(CTMByteBuffer& out) {
  try {
    const std::uint64_t size = SerializedSize();
    if (size > 0xFFFFFFFFULL || !out.Reserve(static_cast<std::uint32_t>(size))) return kUnexpected;
    if (const ResultCode rc = SerializeHeaders(out); rc != kOk) return rc;
    const std::uint32_t stride = RowFileSize(columnCount_);
    if (!onDemand_) {
      const std::span<const std::uint8_t> rows = HeldRowBytes();
      out.Append(rows.data(), static_cast<std::uint32_t>(rows.size()));
      return kOk;
    }
    // Rows on demand are encoded a chunk at a time and appended; the buffer already has room for them.
    const std::uint32_t rowsPerChunk = std::max<std::uint32_t>(1, kChunkBytes / stride);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(rowsPerChunk) * stride);
    std::uint32_t filled = 0;
    CTMDataRow row;
    for (std::uint32_t i = 0; i < rowCount_; ++i) {
      if (GetRow(i, row) != kOk) continue;  // a row that cannot be read is left out
      EncodeRow(chunk.data() + static_cast<std::size_t>(filled) * stride, row.time, row.values.data(),
                row.values.size(), columnCount_);
      if (++filled == rowsPerChunk) {
        out.Append(chunk.data(), filled * stride);
        filled = 0;
      }
    }
    out.Append(chunk.data(), filled * stride);
    return kOk;
  } catch (const std::bad_alloc&) {
    return kUnexpected;
  }
}

void CTMDataBlock::Reset() {
  header_ = CTMSiteHeader{};
  columnCount_ = 0;
  rowByteCount_ = 0;
  std::vector<CTMChannelInfo>().swap(channels_);
  decltype(rows_)().swap(rows_);
  std::vector<std::uint8_t>().swap(statusHigh_);
  rowCount_ = 0;
  firstRowPosition_ = 0;
  sectionSize_ = 0;
  sectionBytesPresent_ = 0;
  reader_.reset();
  decltype(window_.bytes)().swap(window_.bytes);
  window_.start = 0;
  window_.size = 0;
  windowDecodable_ = false;
  onDemand_ = false;
  hasData_ = false;
}

}  // namespace TMSystem
