// The reference page's data-point search over a million rows: the binary search reads a handful of
// row times back through their display form; the line search then formats a text per line until it
// meets the nearest row's, so its cost grows with the index of the row found (the first row is the
// worst case: every other line is tried before it).

#include <benchmark/benchmark.h>

#include <vector>

#include "correction/CorrectionChoices.h"

namespace {

std::vector<TMSystem::CTMDeviceTime> RowTimes() {
  std::vector<TMSystem::CTMDeviceTime> times(1'000'000);
  for (std::uint32_t i = 0; i < times.size(); ++i) times[i] = {1'300'000'000U + i, 0};
  return times;
}

tvk::DataPointDisplay Display() {
  tvk::DisplaySnapshot snapshot;
  snapshot.useUtc = true;
  snapshot.datePicture = "M/d/yyyy";
  snapshot.timePicture = "h:mm:ss tt";
  return tvk::DataPointDisplay(snapshot);
}

void FindNearestRowAt(benchmark::State& state) {
  static const auto times = RowTimes();
  const auto display = Display();
  const auto target = display.ReadBack(times[static_cast<std::size_t>(state.range(0))]);
  for (auto _ : state) benchmark::DoNotOptimize(tvk::FindNearestRow(times, target, display));
}
BENCHMARK(FindNearestRowAt)->Arg(1)->Arg(1000)->Arg(500'000)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
