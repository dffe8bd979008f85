// The correction summary's chart on a 1,000,000-row log under the offscreen platform: reading the
// level column of a log, drawing both lines (envelope included) at 100 % and 200 %, and writing both
// columns as CSV (Export CSV...). Target: drawing under 100 ms at 100 %.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "correction/LevelChartData.h"
#include "logfile/LogFile.h"
#include "wizard/LevelChart.h"

namespace {

constexpr std::uint32_t kRows = 1'000'000;

// The large log of make_large_log's shape: depth to water in feet, one row a second, with a spike and
// a gap; the corrected series is its water column in metres.
struct Fixture {
  std::string folder;
  std::string logPath;
  tvk::LevelSeries source;
  tvk::LevelSeries corrected;

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / ("tavisko-bench-chart-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    logPath = folder + "/large.vxl";
    TMSystem::CTMLogFile log;
    log.SetLogName("Large Log");
    log.SetLogType(1);
    log.SetTypeVersion(1);
    log.SetPairs({{1, 1}});
    log.SetChannels({{0, 5, 2, 17, 1}, {1, 5, 4, 38, 1}, {2, 5, 1, 1, 1}, {3, 5, 10, 65, 1}});
    std::vector<TMSystem::CTMDataRow> rows(kRows);
    for (std::uint32_t i = 0; i < kRows; ++i) {
      const double column = 10.0 + std::sin(i * 1e-5) + (i == 400'000 ? 2.0 : 0.0);
      const std::uint16_t status = i >= 700'000 && i < 720'000 ? 7 : 0;
      rows[i].time = {1'300'000'000U + i, 0};
      rows[i].values = {{static_cast<float>(column / 0.70307), 0},
                        {static_cast<float>(45.0 - column * 3.28084), status},
                        {11.5f, 0},
                        {450.0f, 0}};
    }
    log.SetRows(rows);
    if (tvk::Failed(log.SaveAs(logPath)) || !tvk::LoadLevelSeries(logPath, source)) std::abort();
    corrected = source;
    corrected.mode = 3;
    corrected.unit = 35;
    for (float& v : corrected.values) v = static_cast<float>((45.0 - v) / 3.28084);
  }
  ~Fixture() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void BM_ReadLevelColumn(benchmark::State& state) {
  tvk::LevelSeries series;
  for (auto _ : state) {
    if (!tvk::LoadLevelSeries(Data().logPath, series)) state.SkipWithError("cannot read the log");
    benchmark::DoNotOptimize(series.values.data());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

// One full paint of a 680 x 320 chart: the envelope of both lines is computed afresh every time (the
// width alternates by a pixel), ticks chosen, lines and text drawn.
void BM_DrawChart(benchmark::State& state) {
  const qreal ratio = static_cast<qreal>(state.range(0));
  tvk::CLevelChart chart;
  chart.SetSeries(Data().source, Data().corrected);
  int width = 680;
  for (auto _ : state) {
    width = width == 680 ? 681 : 680;
    chart.resize(width, 320);
    QImage image(QSize(width, 320) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    chart.render(&image);
    benchmark::DoNotOptimize(image.bits());
  }
}

void BM_WriteLevelCsv(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    tvk::WriteLevelCsv(&Data().source, &Data().corrected, [&bytes](std::string_view chunk) {
      bytes += chunk.size();
      return true;
    });
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK(BM_WriteLevelCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLevelColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawChart)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
