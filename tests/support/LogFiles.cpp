#include "support/LogFiles.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "logfile/LogFileCfg.h"
#include "logfile/LogFileWriter.h"

namespace tvk::test {

using TMSystem::CTMByteBuffer;
using TMSystem::CTMByteWriter;

Bytes ToBytes(const CTMByteBuffer& buffer) { return Bytes(buffer.Data(), buffer.Data() + buffer.Size()); }

CTMByteBuffer ToBuffer(const Bytes& bytes) {
  return CTMByteBuffer(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteLogFile(const std::string& path, const Bytes& configuration, const Bytes& notes, const Bytes& data,
                  const Creator* creator) {
  TMSystem::CTMLogFileWriter writer;
  const auto size = [](const Bytes& b) { return static_cast<std::uint32_t>(b.size()); };
  const ResultCode created = creator != nullptr
                                 ? writer.Create(path.c_str(), creator->user, creator->computer, creator->created)
                                 : writer.Create(path);
  if (created != kOk || writer.WriteConfiguration(configuration.data(), size(configuration)) != kOk ||
      writer.AppendNotes(notes.data(), size(notes)) != kOk || writer.AppendLogData(data.data(), size(data)) != kOk ||
      writer.Close() != kOk) {
    throw std::runtime_error("cannot write test log " + path);
  }
}

Bytes MakeConfiguration(const std::string& logName,
                        const std::vector<std::pair<std::string, std::string>>& entries) {
  TMSystem::CTMLogFileCfg cfg;
  cfg.SetLogName(logName);
  cfg.SetLogType(1);
  cfg.SetTypeVersion(1);
  cfg.SetPairs({{1, 2}});
  for (const auto& [key, text] : entries) cfg.SetStringValue(key, text);
  CTMByteBuffer block;
  if (cfg.SerializeConfiguration(block) != kOk) throw std::runtime_error("cannot build configuration");
  return ToBytes(block);
}

Bytes MakePlainNote(std::uint8_t type, std::uint32_t seconds) {
  return Bytes{8,
               static_cast<std::uint8_t>(seconds >> 24),
               static_cast<std::uint8_t>(seconds >> 16),
               static_cast<std::uint8_t>(seconds >> 8),
               static_cast<std::uint8_t>(seconds),
               0,
               0,
               type};
}

Bytes MakeDataBlock(const DataBlockLayout& layout) {
  CTMByteBuffer buffer;
  CTMByteWriter w(buffer);
  const auto& h = layout.header;
  const auto columns = static_cast<std::uint16_t>(layout.channels.size());
  w.WriteU16(h.version);
  w.WriteU16(h.word1);
  w.WriteU32(h.dword1);
  w.WriteString(h.text1, 32);
  w.WriteU16(h.word2);
  w.WriteString(h.siteName, 32);
  if (h.version == 2) w.WriteGuid(h.guid1);
  w.WriteF64(h.value1);
  w.WriteF64(h.value2);
  w.WriteF64(h.value3);
  if (h.version == 2) {
    w.WriteString(h.text3, 32);
    w.WriteGuid(h.guid2);
  }
  w.WriteU16(columns);
  w.WriteU16(layout.rowByteCount != 0 ? layout.rowByteCount : static_cast<std::uint16_t>(5 * columns + 6));
  for (const auto& ch : layout.channels) {
    w.WriteU16(ch.sensorId);
    w.WriteU32(ch.sensorSerialNumber);
    w.WriteU16(ch.parameterId);
    w.WriteU16(ch.unitId);
  }
  for (const auto& row : layout.rows) {
    w.WriteDeviceTime(row.time);
    for (const auto& v : row.values) {
      w.WriteF32(v.value);
      w.WriteU8(static_cast<std::uint8_t>(v.status));
    }
  }
  return ToBytes(buffer);
}

void DamageLogFile(const std::string& path, const LogDamage& damage) {
  Bytes file = ReadFileBytes(path);
  std::uint64_t header = 0;  // the LogData section header, from the section table
  for (int i = 7; i >= 0; --i) header = header << 8 | file.at(42 + i);
  const std::size_t data = header + 16;
  if (damage.dataSize) {
    for (int i = 0; i < 4; ++i) file.at(header + 8 + i) = static_cast<std::uint8_t>(*damage.dataSize >> (8 * i));
  }
  if (damage.rowByteCount) {
    const std::size_t field = data + (file.at(data + 1) == 1 ? 166 : 262) - 2;  // by the site header's version
    file.at(field) = static_cast<std::uint8_t>(*damage.rowByteCount >> 8);
    file.at(field + 1) = static_cast<std::uint8_t>(*damage.rowByteCount);
  }
  if (damage.keepDataBytes) file.resize(data + *damage.keepDataBytes);
  WriteFileBytes(path, file);
}

}  // namespace tvk::test

