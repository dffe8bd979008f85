#include "correction/CorrectionChoices.h"

#include <gtest/gtest.h>

#include "correction/LevelCorrector.h"
#include "platform/TimeZone.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

using TMSystem::CTMDeviceTime;
using TMSystem::CTMVariant;

// Seconds since 1970 with a decimal fraction, as a device time.
CTMDeviceTime At(double seconds) { return TMSystem::DeviceTimeFromSeconds(seconds); }

DataPointDisplay UtcDisplay(const char* timePicture = "HH:mm:ss", const char* datePicture = "yyyy-MM-dd") {
  DisplaySnapshot snapshot;
  snapshot.useUtc = true;
  snapshot.datePicture = datePicture;
  snapshot.timePicture = timePicture;
  return DataPointDisplay(snapshot);
}

// Rows before the first, after the last and nearer the earlier of two are also compared with the
// page's own search below, over many rows.
TEST(FindNearestRow, SelectsTheRowTheReferencePageSelects) {
  constexpr double kBase = 1'300'000'000;  // 2011-03-13 07:06:40 UTC
  struct Row {
    const char* name;
    std::vector<double> rows;  // offsets from kBase
    double target;
    int expected;
    const char* timePicture = "HH:mm:ss";
    const char* datePicture = "yyyy-MM-dd";
  };
  const Row rows[] = {
      {"nearer the second of two", {0, 10, 20}, 6, 1},
      {"half way goes to the earlier", {0, 10, 20}, 5, 0},
      {"half way between the last two", {0, 10, 20}, 15, 1},
      {"on a row", {0, 10, 20}, 10, 1},
      {"one row, before it", {0}, -50, 0},
      {"one row, after it", {0}, 5000, 0},
      {"two rows, nearer the second", {0, 10}, 7, 1},
      // Whole seconds are shown: the rows read as 0 and 11, so 6 is nearer the second.
      {"fractions are not shown", {0.5, 11.8}, 6, 1},
      // Minutes only: 07:06:50 and 07:08:30 read as 07:06 and 07:08; 07:07 is half way.
      {"minutes are the resolution", {10, 110}, 20, 0, "HH:mm"},
      {"minutes, nearer the later", {10, 110}, 80, 1, "HH:mm"},
      // Two rows with the same text: the search for the text starts at the second line.
      {"same text finds the second line first", {0.2, 0.7, 5}, 0, 1},
      // Seconds without a leading zero: 07:06:34 begins with the text of 07:06:3, and is found first.
      {"a longer seconds field begins with a shorter one", {-37, -30, -6}, -37, 2, "HH:mm:s"},
      // Without the year, a row a year later shows the same text: the earlier line is found first.
      {"a date without the year shows two rows alike", {-60, 0, 366 * 86400}, 366 * 86400, 1, "HH:mm:ss", "MM-dd"},
      {"a date without the year, no twin", {-60, 3600, 366 * 86400}, 366 * 86400, 2, "HH:mm:ss", "MM-dd"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<CTMDeviceTime> times;
    for (double offset : row.rows) times.push_back(At(kBase + offset));
    const DataPointDisplay display = UtcDisplay(row.timePicture, row.datePicture);
    EXPECT_EQ(FindNearestRow(times, display.ReadBack(At(kBase + row.target)), display), row.expected);
  }
  EXPECT_EQ(FindNearestRow({}, At(kBase), UtcDisplay()), -1);
}

TEST(FindNearestRow, ReadsRowTimesAsTheLocalTimeShown) {
  DisplaySnapshot snapshot;
  snapshot.zone.bias = -120;  // two hours east of UTC, no daylight time
  snapshot.datePicture = "yyyy-MM-dd";
  snapshot.timePicture = "HH:mm:ss";
  const DataPointDisplay display(snapshot);
  EXPECT_EQ(display.ReadBack(At(1'300'000'000.75)), At(1'300'000'000 + 7200));
  EXPECT_EQ(display.Text(At(1'300'000'000)), "2011-03-13 09:06:40");
}

// The search as the page has always made it: every line's text tried, from the second line on.
int FindNearestRowByEveryLine(const std::vector<CTMDeviceTime>& times, const CTMDeviceTime& target,
                              const DataPointDisplay& display) {
  const auto t = [&](std::size_t i) { return display.ReadBack(times[i]).AsSeconds(); };
  std::size_t lo = 0, hi = times.size() - 1;
  while (hi - lo > 1) {
    const std::size_t h = (hi - lo) / 2;
    if (target.AsSeconds() <= t(lo + h)) hi -= h; else lo += h;
  }
  const std::size_t nearest = t(hi) - target.AsSeconds() < target.AsSeconds() - t(lo) ? hi : lo;
  const std::string text = display.Text(times[nearest]);
  for (std::size_t k = 1; k <= times.size(); ++k) {
    const std::size_t line = k % times.size();
    if (display.Text(times[line]).rfind(text, 0) == 0) return static_cast<int>(line);
  }
  return -1;
}

TEST(FindNearestRow, LooksOnlyNearTheNearestRowWhereTextsCannotRepeatFartherAway) {
  // Rows every 7 minutes across the night daylight time ends: local 02:00-03:00 is shown twice.
  const double start = 1'319'932'800 - 3 * 3600;  // 2011-10-29 21:00 UTC
  std::vector<CTMDeviceTime> times;
  for (int i = 0; i < 60; ++i) times.push_back(At(start + 420.0 * i));
  struct Row {
    const char* name;
    bool local;
    const char* timePicture;
    bool bounded;
    const char* datePicture = "yyyy-MM-dd";
  };
  const Row rows[] = {
      {"UTC, seconds", false, "HH:mm:ss", true},
      {"local, daylight time ends", true, "HH:mm", true},
      {"hours of varying width, which never begin one another", true, "H:mm", true},
      {"seconds that grow into a longer text", false, "HH:mm:s", false},
      {"no year", true, "HH:mm", false, "MM-dd"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DisplaySnapshot snapshot;
    snapshot.useUtc = !row.local;
    snapshot.zone = *platform::ParsePosixTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    snapshot.datePicture = row.datePicture;
    snapshot.timePicture = row.timePicture;
    const DataPointDisplay display(snapshot);
    EXPECT_EQ(display.SameTextSpan() > 0, row.bounded);
    for (int i = -3; i < 65; ++i) {
      const CTMDeviceTime target = display.ReadBack(At(start + 420.0 * i + 100));
      ASSERT_EQ(FindNearestRow(times, target, display), FindNearestRowByEveryLine(times, target, display)) << i;
    }
  }
}

TEST(SpecificGravityPreset, PresetsMatchExactly) {
  EXPECT_EQ(PresetOf(1.012f), SpecificGravityPreset::Brackish);
  EXPECT_EQ(PresetOf(0.999f), SpecificGravityPreset::Fresh);
  EXPECT_EQ(PresetOf(1.024f), SpecificGravityPreset::Sea);
  EXPECT_EQ(PresetOf(1.0119999f), SpecificGravityPreset::Custom);
  EXPECT_EQ(PresetOf(1.0f), SpecificGravityPreset::Custom);
}

// A data point with a new reference value and gravity is applied in CorrectionPassTest.
TEST(ApplyChoices, CallsTheSettersAsTheWizardsPagesDo) {
  test::TempFolder dir;
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, CTMVariant>> extra;  // entries added to a depth-to-water log
    CorrectionChoices choices;
    float referenceVal;  // new settings after applying
    bool hasOffset;
    float specificGravity;
  };
  const CTMVariant on(std::uint16_t{1});
  const Row rows[] = {
      {"reference at the start of the test is also the offset", {{"LevelReferenceMode", on}},
       {kModeDepthToWater, -1, 3.0f, 0.999f}, 3.0f, true, 0.999f},
      {"pressure head has no reference step", {}, {kModeDepth, 2, 99.0f, 1.012f}, 10.0f, false, 1.012f},
      {"a negative dynamic factor keeps the gravity", {{"DynamicSpecificGravityFactor", CTMVariant(-0.5f)}},
       {kModeDepthToWater, -1, 10.0f, 1.024f}, 10.0f, false, 1.0f},
      {"automatic density correction too", {{"AutomaticDensityCorrection", on}},
       {kModeDepthToWater, -1, 10.0f, 1.024f}, 10.0f, false, 1.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::LevelLogLayout sample = test::AcceptedLevelLog();
    for (const auto& [key, value] : row.extra) test::SetEntry(sample.entries, key, value);
    test::WriteLevelLog(sample, dir.File("log.vxl"));
    CLevelCorrector corrector;
    ASSERT_EQ(corrector.Open(dir.File("log.vxl")), 1) << corrector.GetErrorText();
    std::string error;
    ASSERT_EQ(ApplyChoices(corrector, row.choices, error), 1) << error;
    const LevelSettings& updated = corrector.GetNewSettings();
    EXPECT_EQ(updated.GetUInt16(LevelField::kLevelMeasurementMode), row.choices.mode);
    EXPECT_EQ(updated.GetFloat(LevelField::kLevelReferenceVal), row.referenceVal);
    EXPECT_EQ(updated.Has(LevelField::kLevelOffset), row.hasOffset);
    EXPECT_EQ(updated.GetFloat(LevelField::kSpecificGravity), row.specificGravity);
    EXPECT_EQ(corrector.GetReferenceRowIndex(), -1);
  }
}

TEST(ApplyChoices, RefusesWhatNoPageCanChoose) {
  test::TempFolder dir;
  test::WriteLevelLog(test::AcceptedLevelLog(), dir.File("log.vxl"));
  CLevelCorrector corrector;
  ASSERT_EQ(corrector.Open(dir.File("log.vxl")), 1);
  EXPECT_EQ(DefaultChoices(corrector).mode, kModeDepthToWater);
  EXPECT_EQ(DefaultChoices(corrector).referenceRow, -1);
  struct Row {
    const char* name;
    CorrectionChoices choices;
    const char* error;
  };
  const Row rows[] = {
      {"no mode", {0, -1, 1.0f, 1.0f}, "no level measurement mode chosen"},
      {"a row past the last", {kModeDepthToWater, 3, 1.0f, 1.0f}, "row 3 is not in the log (3 rows)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string error;
    EXPECT_EQ(ApplyChoices(corrector, row.choices, error), 0);
    EXPECT_EQ(error, row.error);
  }
  EXPECT_EQ(corrector.GetNewSettings(), corrector.GetOriginalSettings());
}

}  // namespace
}  // namespace tvk
