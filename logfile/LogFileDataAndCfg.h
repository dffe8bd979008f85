#pragma once
// A log's configuration together with its data block (site header, channels, rows).

#include <cstdint>
#include <string>
#include <vector>

#include "logfile/DataBlock.h"
#include "logfile/LogFileCfg.h"

namespace TMSystem {

// How far the data block a log was loaded from can be trusted. Rows are counted with the stored row
// size, as the block counts them.
struct CTMDataIntegrity {
  std::uint32_t rowsClaimed = 0;  // by the section's size field
  std::uint32_t rowsPresent = 0;  // whole rows the file holds
  bool cutShort = false;          // the file ends before the section its size field claims
  // The stored row size is 5 x channels + 6, as every writer writes it.
  bool rowSizeRegular = true;
  std::uint16_t rowByteCount = 0;
  std::uint16_t regularRowByteCount = 0;
  bool Sound() const { return !cutShort && rowSizeRegular; }
  friend bool operator==(const CTMDataIntegrity&, const CTMDataIntegrity&) = default;
};

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
  ResultCode SetChannel(std::uint16_t channel, const CTMChannelInfo& info);
  ResultCode ReadRowBytes(std::uint32_t first, std::uint32_t count, std::uint8_t* target);
  ResultCode GetRow(std::uint32_t index, CTMDataRow& out);
  ResultCode GetRowTime(std::uint32_t index, CTMDeviceTime& out);
  // Every row's time in one call; fails with the first row that cannot be read.
  ResultCode GetRowTimes(std::vector<CTMDeviceTime>& out);
  ResultCode SerializeData(CTMByteBuffer& out);

  bool HasData() const;
  bool IsOnDemand() const;
  // What the file held of the data block at the last load, even a failed one once the channels were
  // read; sound for a block built or replaced in memory.
  CTMDataIntegrity GetDataIntegrity() const;

 protected:
  void ResetData();
  void NoteIntegrity();
  CTMDataBlock data_;
  CTMDataIntegrity integrity_;
};

}  // namespace TMSystem
