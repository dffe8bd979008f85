#include "logfile/LogFileDataAndCfg.h"

#include "logfile/Guarded.h"

namespace TMSystem {

using tvk::kOk;

CTMLogFileDataAndCfg::~CTMLogFileDataAndCfg() { ResetData(); }

void CTMLogFileDataAndCfg::ResetData() {
  Guard guard(mutex_);
  data_.Reset();
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
    return kOk;
  });
}

ResultCode CTMLogFileDataAndCfg::LoadDataAll(const std::string& path) {
  return Guarded(mutex_, [&] { return data_.LoadAll(path); });
}

ResultCode CTMLogFileDataAndCfg::LoadDataOnDemand(const std::string& path) {
  return Guarded(mutex_, [&] { return data_.LoadOnDemand(path); });
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

ResultCode CTMLogFileDataAndCfg::SetChannels(const std::vector<CTMChannelInfo>& channels) {
  return Guarded(mutex_, [&] { return data_.SetChannels(channels); });
}

ResultCode CTMLogFileDataAndCfg::SetRows(const std::vector<CTMDataRow>& rows) {
  return Guarded(mutex_, [&] { return data_.SetRows(rows); });
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
