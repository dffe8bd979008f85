#pragma once
// A log's configuration together with its data block (site header, channels, rows).

#include <cstdint>
#include <string>
#include <vector>

#include "logfile/DataBlock.h"
#include "logfile/LogFileCfg.h"

namespace TMSystem {

class CTMLogFileDataAndCfg : public CTMLogFileCfg {
 public:
  CTMLogFileDataAndCfg() = default;
  ~CTMLogFileDataAndCfg() override;

  // Data, then configuration, back to a new object's state.
  void Reset() override;
  // Configuration and data; rows on demand keep being read through the source's reader, now shared.
  virtual ResultCode CopyDataFrom(const CTMLogFileDataAndCfg& other);

  ResultCode LoadDataAll(const std::string& path);
  ResultCode LoadDataOnDemand(const std::string& path);

  ResultCode GetSiteHeader(CTMSiteHeader& out) const;
  ResultCode SetSiteHeader(const CTMSiteHeader& header);
  std::uint16_t GetColumnCount() const;
  std::uint32_t GetRowCount() const;
  ResultCode GetChannel(std::uint32_t index, CTMChannelInfo& out) const;
  ResultCode GetChannels(std::vector<CTMChannelInfo>& out) const;
  ResultCode SetChannels(const std::vector<CTMChannelInfo>& channels);
  ResultCode SetRows(const std::vector<CTMDataRow>& rows);
  ResultCode GetRows(std::vector<CTMDataRow>& out);
  ResultCode GetColumn(std::uint16_t channel, std::vector<CTMDataValue>& out);
  ResultCode SetColumn(std::uint16_t channel, const std::vector<CTMDataValue>& values, const CTMChannelInfo& info);
  ResultCode GetRow(std::uint32_t index, CTMDataRow& out);
  ResultCode GetRowTime(std::uint32_t index, CTMDeviceTime& out);
  // Every row's time in one call; fails with the first row that cannot be read.
  ResultCode GetRowTimes(std::vector<CTMDeviceTime>& out);
  ResultCode SerializeData(CTMByteBuffer& out);

  bool HasData() const;
  bool IsOnDemand() const;

 protected:
  void ResetData();
  CTMDataBlock data_;
};

}  // namespace TMSystem
