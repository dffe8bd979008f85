#include "correction/LevelChartData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

TEST(LevelEnvelope, ASingleRowSpikeSurvivesAMillionRowsInFewColumns) {
  constexpr int kRows = 1'000'000;
  std::vector<double> times(kRows);
  std::vector<float> values(kRows, 5.0f);
  for (int i = 0; i < kRows; ++i) times[i] = 1e9 + i;
  values[123'457] = 100.0f;
  values[900'001] = -40.0f;
  const std::vector<EnvelopeColumn> envelope = ComputeEnvelope(times, values, times.front(), times.back(), 300);
  ASSERT_EQ(envelope.size(), 300u);
  int high = 0, low = 0;
  for (const EnvelopeColumn& c : envelope) {
    high += c.high == 100.0f;
    low += c.low == -40.0f;
    EXPECT_FALSE(std::isnan(c.low));
  }
  EXPECT_EQ(high, 1);
  EXPECT_EQ(low, 1);
  EXPECT_EQ(envelope[123'457 * 300 / kRows].high, 100.0f);
}

TEST(LevelSeries, GapStatusesAreGapsNotZeros) {
  test::TempFolder dir;
  test::LevelLogLayout sample;
  sample.entries = test::DepthToWaterSettings();
  const std::uint16_t statuses[] = {0, 3, 0, 4, 0, 7, 0, 8, 1, 0};
  for (std::uint16_t s : statuses) sample.levels.push_back({2.0f, s});
  test::WriteLevelLog(sample, dir.File("log.vxl"));

  LevelSeries series;
  ASSERT_TRUE(LoadLevelSeries(dir.File("log.vxl"), series));
  EXPECT_EQ(series.mode, 4);
  EXPECT_EQ(series.unit, 35);
  ASSERT_EQ(series.values.size(), std::size(statuses));
  EXPECT_DOUBLE_EQ(series.times[1] - series.times[0], 60.0);
  // One column per row: a gap empties its column and breaks the line after it.
  const auto envelope = ComputeEnvelope(series.times, series.values, series.times.front(), series.times.back() + 1, 10);
  for (std::size_t i = 0; i < std::size(statuses); ++i) {
    SCOPED_TRACE(i);
    const bool gap = statuses[i] >= 3;
    EXPECT_EQ(std::isnan(series.values[i]), gap);
    EXPECT_EQ(std::isnan(envelope[i].high), gap);
    if (!gap) {
      EXPECT_EQ(envelope[i].joined, i > 0 && statuses[i - 1] < 3);
    }
  }

  // An unreadable source or a log without a level channel gives no series.
  sample.withLevelChannel = false;
  test::WriteLevelLog(sample, dir.File("nolevel.vxl"));
  LevelSeries none;
  EXPECT_FALSE(LoadLevelSeries(dir.File("missing.vxl"), none));
  EXPECT_FALSE(LoadLevelSeries(dir.File("nolevel.vxl"), none));
  EXPECT_TRUE(none.values.empty());
}

TEST(AxisTicks, ValuesAreRoundAndCoverTheRange) {
  struct Case {
    double low, high;
    int maxTicks;
    std::vector<double> ticks;
    int decimals;
  };
  const Case cases[] = {
      {0.13, 0.87, 6, {0.0, 0.2, 0.4, 0.6, 0.8, 1.0}, 1},
      {31.7, 44.9, 8, {30, 35, 40, 45}, 0},  // steps of 1 and 2 need more than 8

      {-3.2, 12.1, 6, {-5, 0, 5, 10, 15}, 0},
      {312.4, 312.4, 5, {308, 310, 312, 314, 316}, 0},  // one value: a span around it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.low);
    const ValueTicks ticks = RoundValueTicks(c.low, c.high, c.maxTicks);
    ASSERT_EQ(ticks.values.size(), c.ticks.size());
    for (std::size_t i = 0; i < c.ticks.size(); ++i) EXPECT_NEAR(ticks.values[i], c.ticks[i], 1e-9);
    EXPECT_EQ(ticks.decimals, c.decimals);
    EXPECT_LE(ticks.low, c.low);
    EXPECT_GE(ticks.high, c.high);
  }
}

TEST(AxisTicks, TimesFallOnWholeHoursOfTheDisplayClockWithTheDateOnce) {
  test::TempFolder registry;
  test::ScopedEnv registryDir("TAVISKO_REGISTRY_DIR", registry.Path().string());
  test::ScopedZoneEnv zone("TZ", "EST5");  // the display clock runs five hours behind UTC
  const double start = 1'300'000'000 + 7 * 60;  // 2011-03-13 07:13:40 UTC
  const std::vector<TimeTick> ticks = RoundTimeTicks(start, start + 6 * 3600, 7);
  ASSERT_EQ(ticks.size(), 6u);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::fmod(ticks[i].utcSeconds, 3600), 0);
    EXPECT_EQ(ticks[i].dateText.empty(), i != 0);
  }
  EXPECT_EQ(ticks[0].utcSeconds, 1'300'003'200);  // 03:00 EST
  EXPECT_EQ(ticks[0].timeText, "03:00");
}

// Rows are matched by time: a row of one log alone leaves the other's cell empty, as a gap does.
TEST(LevelCsv, TimesAsDisplayedShortestExactFloatsAndEmptyCells) {
  test::TempFolder registry;
  test::ScopedEnv registryDir("TAVISKO_REGISTRY_DIR", registry.Path().string());
  test::ScopedZoneEnv zone("TZ", "EST5");
  const double t0 = 1'300'000'000;  // 2011-03-13 07:06:40 UTC
  const float gap = std::numeric_limits<float>::quiet_NaN();
  const LevelSeries source{4, 35, {t0, t0 + 60, t0 + 120, t0 + 180}, {1.5f, gap, 0.1f, 16777217.0f}};
  const LevelSeries corrected{5, 38, {t0, t0 + 60, t0 + 120}, {-10.0f, gap, 1e-7f}};
  std::string csv;
  const auto append = [&csv](std::string_view chunk) {
    csv += chunk;
    return true;
  };
  ASSERT_TRUE(WriteLevelCsv(&source, &corrected, append));
  EXPECT_EQ(csv,
            "Time,Source: Level Depth To Water (m),Corrected: Level Surface Elevation (ft)\n"
            "2011-03-13 02:06:40,1.5,-10\n"
            "2011-03-13 02:07:40,,\n"
            "2011-03-13 02:08:40,0.1,1e-07\n"
            "2011-03-13 02:09:40,16777216,\n");

  csv.clear();
  ASSERT_TRUE(WriteLevelCsv(nullptr, &corrected, append));
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Time,Source: not read,Corrected: Level Surface Elevation (ft)");
  EXPECT_FALSE(WriteLevelCsv(&source, &corrected, [](std::string_view) { return false; }));
}

}  // namespace
}  // namespace tvk
