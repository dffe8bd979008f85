// Data block speed and memory on a generated log of 1,000,000 rows and 4 channels (about 26 MB),
// each operation beside a plain read or write of the same number of bytes in the same run.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "logfile/DataBlock.h"
#include "logfile/LogFileReader.h"
#include "logfile/LogFileWriter.h"

namespace {

using namespace TMSystem;

constexpr std::uint32_t kRows = 1'000'000;
constexpr std::uint16_t kChannels = 4;

struct Fixture {
  std::string folder;
  std::string logPath;
  std::string plainPath;  // the data block's bytes alone, for the plain read
  std::uint32_t blockSize = 0;

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / ("tavisko-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    logPath = folder + "/bench.vxl";
    plainPath = folder + "/plain.bin";

    CTMDataBlock block;
    std::vector<CTMChannelInfo> channels(kChannels);
    for (std::uint16_t c = 0; c < kChannels; ++c) channels[c] = {c, 12, static_cast<std::uint16_t>(c + 1), 35, 1};
    block.SetChannels(channels);
    std::vector<CTMDataRow> rows(kRows);
    for (std::uint32_t i = 0; i < kRows; ++i) {
      rows[i].time = {1'300'000'000U + i, 0};
      for (std::uint16_t c = 0; c < kChannels; ++c) {
        rows[i].values.push_back({static_cast<float>(std::sin(i * 0.001) + c), 0});
      }
    }
    block.SetRows(rows);
    CTMByteBuffer data;
    block.SerializeData(data);
    blockSize = data.Size();

    const std::vector<std::uint8_t> configuration(180, 1);
    CTMLogFileWriter writer;
    writer.Create(logPath);
    writer.WriteConfiguration(configuration.data(), 180);
    writer.AppendLogData(data);
    writer.Close();
    std::FILE* f = std::fopen(plainPath.c_str(), "wb");
    std::fwrite(data.Data(), 1, data.Size(), f);
    std::fclose(f);
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void PlainRead(benchmark::State& state) {
  std::vector<std::uint8_t> buffer(Data().blockSize);
  for (auto _ : state) {
    std::FILE* f = std::fopen(Data().plainPath.c_str(), "rb");
    benchmark::DoNotOptimize(std::fread(buffer.data(), 1, buffer.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

// The same bytes read the way rows on demand are: one seek and one small read per row.
void PlainReadRowByRow(benchmark::State& state) {
  const std::uint32_t stride = RowFileSize(kChannels);
  const std::uint32_t first = Data().blockSize - kRows * stride;
  std::vector<std::uint8_t> row(stride);
  for (auto _ : state) {
    std::FILE* f = std::fopen(Data().plainPath.c_str(), "rb");
    for (std::uint32_t i = 0; i < kRows; ++i) {
      std::fseek(f, static_cast<long>(first + static_cast<std::uint64_t>(i) * stride), SEEK_SET);
      benchmark::DoNotOptimize(std::fread(row.data(), 1, stride, f));
    }
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

void LoadDataAll(benchmark::State& state) {
  std::size_t held = 0;
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    CTMDataBlock block;
    if (block.LoadAll(Data().logPath) != tvk::kOk) state.SkipWithError("load failed");
    held = mallinfo2().uordblks - before;
    benchmark::DoNotOptimize(block.RowCount());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
  state.counters["held_over_block"] = static_cast<double>(held) / Data().blockSize;
}

void GetRowOnDemand(benchmark::State& state) {
  for (auto _ : state) {
    CTMDataBlock block;
    if (block.LoadOnDemand(Data().logPath) != tvk::kOk) state.SkipWithError("load failed");
    CTMDataRow row;
    for (std::uint32_t i = 0; i < block.RowCount(); ++i) {
      block.GetRow(i, row);
      benchmark::DoNotOptimize(row.values.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

// The same through a copy that shares the loaded block's reader, as copies of a log do.
void GetRowOnDemandSharedCopy(benchmark::State& state) {
  for (auto _ : state) {
    CTMDataBlock block;
    if (block.LoadOnDemand(Data().logPath) != tvk::kOk) state.SkipWithError("load failed");
    CTMDataBlock copy = block;
    CTMDataRow row;
    for (std::uint32_t i = 0; i < copy.RowCount(); ++i) {
      copy.GetRow(i, row);
      benchmark::DoNotOptimize(row.values.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

void PlainWrite(benchmark::State& state) {
  std::vector<std::uint8_t> buffer(Data().blockSize, 7);
  const std::string path = Data().folder + "/plain-write.bin";
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    benchmark::DoNotOptimize(std::fwrite(buffer.data(), 1, buffer.size(), f));
    std::fclose(f);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

void SerializeData(benchmark::State& state) {
  CTMDataBlock block;
  block.LoadAll(Data().logPath);
  for (auto _ : state) {
    CTMByteBuffer out;
    if (block.SerializeData(out) != tvk::kOk) state.SkipWithError("serialize failed");
    benchmark::DoNotOptimize(out.Data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Data().blockSize));
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond);
BENCHMARK(LoadDataAll)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainReadRowByRow)->Unit(benchmark::kMillisecond);
BENCHMARK(GetRowOnDemand)->Unit(benchmark::kMillisecond);
BENCHMARK(GetRowOnDemandSharedCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(SerializeData)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
