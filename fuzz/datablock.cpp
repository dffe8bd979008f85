// Arbitrary bytes as the data block of a log, loaded both ways: all rows, and rows on demand.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "logfile/DataBlock.h"
#include "logfile/LogFileWriter.h"
#include "platform/FileOps.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = "/tmp/fuzz_datablock_" + std::to_string(getpid()) + ".vxl";
  return path;
}

// The scratch file need not outlive a crash: no flushing to the disk keeps thousands of inputs a second.
class UnflushedFileOps : public tvk::platform::FileOps {
 public:
  int Sync(int) override { return 0; }
};

bool WriteLog(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> configuration(16, 1);
  static UnflushedFileOps ops;
  TMSystem::CTMLogFileWriter writer(ops);
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
  std::vector<TMSystem::CTMDataRow> rows;
  TMSystem::CTMByteBuffer bytesAll;
  TMSystem::CTMByteBuffer bytesOnDemand;
  if (allOk) {
    (void)all.GetRows(rows);
    (void)all.SerializeData(bytesAll);
  }
  if (onDemandOk) {
    (void)onDemand.GetRows(rows);
    (void)onDemand.SerializeData(bytesOnDemand);
  }
  // With the regular row size both ways must read the same rows (compared as bytes: values may be NaN).
  if (allOk && onDemandOk && all.RowByteCount() == TMSystem::RowFileSize(all.ColumnCount()) &&
      !(bytesAll == bytesOnDemand)) {
    std::abort();
  }
  return 0;
}
