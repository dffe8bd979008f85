#include "logfile/LogFileDataAndCfg.h"

#include "logfile/Guarded.h"

namespace TMSystem {

using tvk::kOk;

CTMLogFileDataAndCfg::~CTMLogFileDataAndCfg() { ResetData(); }

void CTMLogFileDataAndCfg::ResetData() {
  Guard guard(mutex_);
  data_.Reset();
  integrity_ = CTMDataIntegrity{};
}

void CTMLogFileDataAndCfg::Reset() {
  Guard guard(mutex_);
  ResetData();
  CTMLogFileCfg::Reset();
}

ResultCode CTMLogFileDataAndCfg::CopyDataFrom(const CTMLogFileDataAndCfg& other) {
  if (&other == this) return kOk;
  return Guarded(mutex_, other.mutex_, [&] {
    const ResultCode rc = CopyFrom(other);
    if (tvk::Failed(rc)) return rc;
    data_ = other.data_;
    integrity_ = other.integrity_;
    return kOk;
  });
}

ResultCode CTMLogFileDataAndCfg::LoadDataAll(const std::string& path) {
  return Guarded(mutex_, [&] {
    const ResultCode rc = data_.LoadAll(path);
    NoteIntegrity();
    return rc;
  });
}

ResultCode CTMLogFileDataAndCfg::LoadDataOnDemand(const std::string& path) {
  return Guarded(mutex_, [&] {
    const ResultCode rc = data_.LoadOnDemand(path);
    NoteIntegrity();
    return rc;
  });
}

void CTMLogFileDataAndCfg::NoteIntegrity() {
  integrity_ = CTMDataIntegrity{};
  const std::uint16_t columns = data_.ColumnCount();
  const std::uint16_t rowBytes = data_.RowByteCount();
  if (columns == 0 || rowBytes == 0) return;
  integrity_.rowByteCount = rowBytes;
  integrity_.regularRowByteCount = static_cast<std::uint16_t>(RowFileSize(columns));
  integrity_.rowSizeRegular = rowBytes == RowFileSize(columns);
  const std::uint32_t headers = data_.SiteHeader().FileSize() + 10U * columns;
  const auto rows = [&](std::uint32_t bytes) { return bytes > headers ? (bytes - headers) / rowBytes : 0; };
  integrity_.rowsClaimed = rows(data_.SectionSize());
  integrity_.rowsPresent = rows(data_.SectionBytesPresent());
  integrity_.cutShort = data_.SectionBytesPresent() < data_.SectionSize();
}

CTMDataIntegrity CTMLogFileDataAndCfg::GetDataIntegrity() const {
  Guard guard(mutex_);
  return integrity_;
}

ResultCode CTMLogFileDataAndCfg::GetSiteHeader(CTMSiteHeader& out) const {
  return Guarded(mutex_, [&] {
    out = data_.SiteHeader();
    return kOk;
  });
}

ResultCode CTMLogFileDataAndCfg::SetSiteHeader(const CTMSiteHeader& header) {
  return Guarded(mutex_, [&] { return data_.SetSiteHeader(header); });
}

std::uint16_t CTMLogFileDataAndCfg::GetColumnCount() const {
  Guard guard(mutex_);
  return data_.ColumnCount();
}

std::uint32_t CTMLogFileDataAndCfg::GetRowCount() const {
  Guard guard(mutex_);
  return data_.RowCount();
}

ResultCode CTMLogFileDataAndCfg::GetChannel(std::uint32_t index, CTMChannelInfo& out) const {
  return Guarded(mutex_, [&] { return data_.GetChannel(index, out); });
}

ResultCode CTMLogFileDataAndCfg::GetChannels(std::vector<CTMChannelInfo>& out) const {
  return Guarded(mutex_, [&] {
    out = data_.Channels();
    return kOk;
  });
}

// Channels or rows made in memory are the engine's own, whatever the file held.
ResultCode CTMLogFileDataAndCfg::SetChannels(const std::vector<CTMChannelInfo>& channels) {
  return Guarded(mutex_, [&] {
    const ResultCode rc = data_.SetChannels(channels);
    if (rc == kOk) integrity_ = CTMDataIntegrity{};
    return rc;
  });
}

ResultCode CTMLogFileDataAndCfg::SetRows(const std::vector<CTMDataRow>& rows) {
  return Guarded(mutex_, [&] {
    const ResultCode rc = data_.SetRows(rows);
    if (rc == kOk) integrity_ = CTMDataIntegrity{};
    return rc;
  });
}

ResultCode CTMLogFileDataAndCfg::GetRows(std::vector<CTMDataRow>& out) {
  return Guarded(mutex_, [&] { return data_.GetRows(out); });
}

ResultCode CTMLogFileDataAndCfg::GetColumn(std::uint16_t channel, std::vector<CTMDataValue>& out) {
  return Guarded(mutex_, [&] { return data_.GetColumn(channel, out); });
}

ResultCode CTMLogFileDataAndCfg::SetColumn(std::uint16_t channel, const std::vector<CTMDataValue>& values,
                                           const CTMChannelInfo& info) {
  return Guarded(mutex_, [&] { return data_.SetColumn(channel, values, info); });
}

ResultCode CTMLogFileDataAndCfg::SetChannel(std::uint16_t channel, const CTMChannelInfo& info) {
  return Guarded(mutex_, [&] { return data_.SetChannel(channel, info); });
}

ResultCode CTMLogFileDataAndCfg::ReadRowBytes(std::uint32_t first, std::uint32_t count, std::uint8_t* target) {
  return Guarded(mutex_, [&] { return data_.ReadRowBytes(first, count, target); });
}

ResultCode CTMLogFileDataAndCfg::GetRow(std::uint32_t index, CTMDataRow& out) {
  return Guarded(mutex_, [&] { return data_.GetRow(index, out); });
}

ResultCode CTMLogFileDataAndCfg::GetRowTime(std::uint32_t index, CTMDeviceTime& out) {
  return Guarded(mutex_, [&] { return data_.GetRowTime(index, out); });
}

ResultCode CTMLogFileDataAndCfg::GetRowTimes(std::vector<CTMDeviceTime>& out) {
  return Guarded(mutex_, [&] { return data_.GetRowTimes(out); });
}

ResultCode CTMLogFileDataAndCfg::SerializeData(CTMByteBuffer& out) {
  return Guarded(mutex_, [&] { return data_.SerializeData(out); });
}

bool CTMLogFileDataAndCfg::HasData() const {
  Guard guard(mutex_);
  return data_.HasData();
}

bool CTMLogFileDataAndCfg::IsOnDemand() const {
  Guard guard(mutex_);
  return data_.OnDemand();
}

}  // namespace TMSystem
