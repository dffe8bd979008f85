// Display texts of row times with the user's settings in a hive file and the zone from a zone file:
// the live FormatDateTime (which must notice a changed hive at the next call) beside the snapshot
// an export takes once. Target: 1,000,000 row times in under a second with the settings unchanged.
// The live call pays one stat of the hive and one of the zone file each time; compare CPU times, the
// build machine is shared.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "common/LocalTime.h"

namespace {

constexpr int kRows = 1'000'000;

struct Fixture {
  std::string folder;

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / ("tavisko-bench-display-" + std::to_string(::getpid())))
                 .string();
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/HKEY_CURRENT_USER.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings]\r\n"
           "\"UseCustomDateFormat\"=dword:00000001\r\n"
           "\"UseCustomTimeFormat\"=dword:00000001\r\n"
           "\"CustomDateFormat\"=\"dd.MM.yyyy\"\r\n"
           "\"CustomTimeFormat\"=\"HH:mm:ss.ms\"\r\n";
    setenv("TAVISKO_REGISTRY_DIR", folder.c_str(), 1);
    // A zone name, so the rule comes from its zone file as on a desktop.
    setenv("TZ", "Europe/Berlin", 1);
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

tvk::SystemTime RowTime(int i) {
  return tvk::AddMinutes(tvk::MakeSystemTime(2021, 1, 1), static_cast<std::int64_t>(i % 500'000));
}

void BM_FormatDateTimeLive(benchmark::State& state) {
  Shared();
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(tvk::FormatDateTime(RowTime(i++)));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatDateTimeLive);

void BM_FormatDateTimeSnapshot(benchmark::State& state) {
  Shared();
  const tvk::DisplaySnapshot snapshot = tvk::TakeDisplaySnapshot();
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(tvk::FormatDateTime(RowTime(i++), snapshot));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FormatDateTimeSnapshot);

// The figure the target is stated in: a million row times through the live call.
void BM_MillionRowTimesLive(benchmark::State& state) {
  Shared();
  for (auto _ : state) {
    for (int i = 0; i < kRows; ++i) benchmark::DoNotOptimize(tvk::FormatDateTime(RowTime(i)));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_MillionRowTimesLive)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MillionRowTimesSnapshot(benchmark::State& state) {
  Shared();
  for (auto _ : state) {
    const tvk::DisplaySnapshot snapshot = tvk::TakeDisplaySnapshot();
    for (int i = 0; i < kRows; ++i) benchmark::DoNotOptimize(tvk::FormatDateTime(RowTime(i), snapshot));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_MillionRowTimesSnapshot)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
