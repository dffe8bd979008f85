// Arbitrary bytes as the data block of a log, loaded both ways: all rows, and rows on demand.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "logfile/DataBlock.h"
#include "logfile/LogFileWriter.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = "/tmp/fuzz_datablock_" + std::to_string(getpid()) + ".vxl";
  return path;
}

bool WriteLog(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> configuration(16, 1);
  TMSystem::CTMLogFileWriter writer;
  return writer.Create(ScratchPath()) == tvk::kOk &&
         writer.WriteConfiguration(configuration.data(), static_cast<std::uint32_t>(configuration.size())) ==
             tvk::kOk &&
         writer.AppendLogData(data, static_cast<std::uint32_t>(size)) == tvk::kOk && writer.Close() == tvk::kOk;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1U << 20) || !WriteLog(data, size)) return 0;
  TMSystem::CTMDataBlock all;
  TMSystem::CTMDataBlock onDemand;
  const bool allOk = all.LoadAll(ScratchPath()) == tvk::kOk;
  const bool onDemandOk = onDemand.LoadOnDemand(ScratchPath()) == tvk::kOk;
  std::vector<TMSystem::CTMDataRow> rowsAll;
  std::vector<TMSystem::CTMDataRow> rowsOnDemand;
  TMSystem::CTMByteBuffer bytes;
  if (allOk) {
    (void)all.GetRows(rowsAll);
    (void)all.SerializeData(bytes);
  }
  if (onDemandOk) {
    (void)onDemand.GetRows(rowsOnDemand);
    (void)onDemand.SerializeData(bytes);
  }
  // With the regular row size both ways must read the same rows.
  if (allOk && onDemandOk && all.RowByteCount() == TMSystem::RowFileSize(all.ColumnCount()) &&
      rowsAll != rowsOnDemand) {
    std::abort();
  }
  return 0;
}
