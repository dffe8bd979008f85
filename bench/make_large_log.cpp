// Writes a depth-to-water log of N rows (default 1,000,000) and 4 channels for the correction benchmark.

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "logfile/LogFile.h"
#include "logfile/notes/UserNotes.h"

using namespace TMSystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.vxl [ROWS]\n", argv[0]);
    return 2;
  }
  const auto rows = static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1'000'000UL);
  CTMLogFile log;
  log.SetLogName("Large Log");
  log.SetLogType(1);
  log.SetTypeVersion(1);
  log.SetPairs({{1, 1}});
  log.SetStringValue("SiteName", "Benchmark Well");
  log.SetIntegerValue("LevelMeasurementMode", 3, 4);
  log.SetIntegerValue("LevelUnitId", 3, 38);
  log.SetValue("SpecificGravity", CTMVariant(1.0f));
  log.SetIntegerValue("LevelReferenceMode", 3, 3);
  log.SetValue("LevelReferenceVal", CTMVariant(45.0f));
  log.SetValue("LevelRefDepthOfProbe", CTMVariant(0.0f));
  log.SetValue("LevelRefPressure", CTMVariant(14.2f));
  log.SetIntegerValue("LevelRefPressureUnitId", 3, 17);
  log.SetValue("LevelRefHeadPressure", CTMVariant(14.2f));
  log.SetChannels({{0, 5, 2, 17, 1}, {1, 5, 4, 38, 1}, {2, 5, 1, 1, 1}, {3, 5, 10, 65, 1}});

  // The rows are made a chunk at a time as the file is written: 50,000,000 of them fit in no memory.
  const CTMLogFile::RowSource source = [](std::uint32_t first, std::uint32_t count, std::uint8_t* bytes) {
    const std::uint32_t stride = RowFileSize(4);
    for (std::uint32_t k = 0; k < count; ++k) {
      const std::uint32_t i = first + k;
      const double column = 10.0 + std::sin(i * 1e-4);  // metres of water over the probe
      const CTMDataValue values[] = {{static_cast<float>(column / 0.70307), 0},
                                     {static_cast<float>(45.0 - column * 3.28084), 0},
                                     {11.5f, 0},
                                     {450.0f, 0}};
      RowCodec::EncodeRow(bytes + std::size_t{k} * stride, {1'300'000'000U + i, 0}, values, 4, 4);
    }
    return tvk::kOk;
  };
  CTMUserNote_AllLogNotes marker;
  (void)marker.Build();
  log.SetNotes({marker.GetRecord()});
  const ResultCode rc = log.SaveAsNew(argv[1], rows, source);
  if (tvk::Failed(rc)) {
    std::fprintf(stderr, "cannot write %s: 0x%08X\n", argv[1], static_cast<unsigned>(rc));
    return 1;
  }
  return 0;
}
