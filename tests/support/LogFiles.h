#pragma once
// Builders of log file bytes for tests.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "logfile/ByteBuffer.h"
#include "logfile/DataBlock.h"

namespace tvk::test {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const TMSystem::CTMByteBuffer& buffer);
TMSystem::CTMByteBuffer ToBuffer(const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

// Who wrote a container and when; without one the writer takes the current user and time.
struct Creator {
  std::string user;
  std::string computer;
  std::uint64_t created = 0;  // FILETIME ticks
};

// A container with the given sections (an empty one is not written, except the configuration,
// which must not be empty).
void WriteLogFile(const std::string& path, const Bytes& configuration, const Bytes& notes, const Bytes& data,
                  const Creator* creator = nullptr);

// A configuration block of log type 1 named `logName` with one pair and the given string entries.
Bytes MakeConfiguration(const std::string& logName,
                        const std::vector<std::pair<std::string, std::string>>& entries = {});

// One note record of a type without payload (3, 4, 5 or 9) at `seconds`.
Bytes MakePlainNote(std::uint8_t type, std::uint32_t seconds);

// A data block written field by field (not through the library's own writer), `rowByteCount` 0
// meaning the regular 5 x channels + 6.
struct DataBlockLayout {
  TMSystem::CTMSiteHeader header;
  std::vector<TMSystem::CTMChannelInfo> channels;
  std::vector<TMSystem::CTMDataRow> rows;
  std::uint16_t rowByteCount = 0;
};
Bytes MakeDataBlock(const DataBlockLayout& layout);

// Damage as found in the field, done to a binary log file in place: the file cut `keepDataBytes` into its
// LogData section, the section's size field or the data block's row size field overwritten.
struct LogDamage {
  std::optional<std::uint32_t> keepDataBytes;
  std::optional<std::uint32_t> dataSize;
  std::optional<std::uint16_t> rowByteCount;
};
inline LogDamage CutInData(std::uint32_t keepDataBytes) { return {keepDataBytes, {}, {}}; }
inline LogDamage DataSizeField(std::uint32_t size) { return {{}, size, {}}; }
inline LogDamage RowSizeField(std::uint16_t rowByteCount) { return {{}, {}, rowByteCount}; }
void DamageLogFile(const std::string& path, const LogDamage& damage);

}  // namespace tvk::test
