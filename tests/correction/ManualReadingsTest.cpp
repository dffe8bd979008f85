#include "correction/ManualReadings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>

#include "correction/CorrectionChoices.h"
#include "support/SampleLogs.h"

namespace tvk {
namespace {

using TMSystem::CTMDataValue;
using TMSystem::CTMDeviceTime;
using test::Levels;

constexpr std::uint32_t kBase = 1'300'000'000;  // 2011-03-13 07:06:40 UTC

std::vector<CTMDeviceTime> Times(const std::vector<std::uint32_t>& offsets) {
  std::vector<CTMDeviceTime> times;
  for (std::uint32_t offset : offsets) times.push_back(TMSystem::DeviceTimeFromParts(kBase + offset, 0));
  return times;
}

DataPointDisplay UtcDisplay() {
  DisplaySnapshot snapshot;
  snapshot.useUtc = true;
  snapshot.datePicture = "yyyy-MM-dd";
  snapshot.timePicture = "HH:mm:ss";
  return DataPointDisplay(snapshot);
}

TEST(ManualReadings, TheWorkedExampleToTheBit) {
  // Rows at 0, 100, 200, 300 s; the ordinary correction gave 10.0, 10.5, 11.0, 11.5 ft; readings 10.0 at
  // row 0 and 10.8 at row 2.
  std::vector<CTMDataValue> levels = Levels({10.0f, 10.5f, 11.0f, 11.5f});
  std::vector<ReadingOutcome> outcomes;
  std::string reason;
  ASSERT_TRUE(CorrectDrift({{0, 10.0f}, {2, 10.8f}}, Times({0, 100, 200, 300}), levels, outcomes, reason)) << reason;
  const std::uint32_t expected[] = {0x41200000, 0x41266666, 0x412CCCCD, 0x4134CCCD};
  for (std::size_t k = 0; k < 4; ++k) EXPECT_EQ(std::bit_cast<std::uint32_t>(levels[k].value), expected[k]) << k;
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[1].drift, -0.19999980926513672);
  EXPECT_EQ(ReadingNoteText(2, 2, outcomes[1], "ft"), "Manual reading 2 of 2: 10.8 ft, logged 11 ft, drift correction -0.2 ft");
  EXPECT_EQ(ReadingNoteText(1, 2, outcomes[0], "ft"), "Manual reading 1 of 2: 10 ft, logged 10 ft, drift correction +0 ft");
}

TEST(ManualReadings, SegmentsGapsAndEnds) {
  // Rows a minute apart; row 4 has no level value. Readings on rows 1, 3 and 6.
  std::vector<CTMDataValue> levels = Levels({5, 5, 5, 5, 5, 5, 5, 5});
  levels[4].status = 3;
  levels[4].value = -99.0f;
  std::vector<ReadingOutcome> outcomes;
  std::string reason;
  ASSERT_TRUE(CorrectDrift({{1, 5.0f}, {3, 6.0f}, {6, 4.0f}}, Times({0, 60, 120, 180, 240, 300, 360, 420}), levels,
                           outcomes, reason));
  const float expected[] = {5.0f, 5.0f, 5.5f, 6.0f, -99.0f, 4.6666665f, 4.0f, 4.0f};
  for (std::size_t k = 0; k < levels.size(); ++k) EXPECT_EQ(levels[k].value, expected[k]) << k;
  EXPECT_EQ(levels[4].status, 3) << "a gap keeps its status";
}

TEST(ManualReadings, ReadingsAreSortedPlacedAndRefusedWithReasons) {
  const std::vector<CTMDeviceTime> rows = Times({0, 60, 120, 180});
  const auto at = [](std::int64_t offset, float value) {
    return ManualReading{TMSystem::DeviceTimeFromParts(static_cast<std::uint32_t>(kBase + offset), 0), value};
  };
  struct Row {
    const char* name;
    std::vector<ManualReading> readings;
    std::vector<int> rows;  // empty: refused
    const char* reason = "";
  };
  const Row table[] = {
      {"sorted by time, nearest rows, a tie to the earlier", {at(150, 2.0f), at(20, 1.0f), at(180, 3.0f)}, {0, 2, 3}},
      {"two on one row", {at(0, 1.0f), at(25, 2.0f)}, {}, "manual reading 1 and manual reading 2 fall on the same row"},
      {"before the first row", {at(-1, 1.0f)}, {}, "manual reading 1 (2011-03-13 07:06:39) lies before the first row"},
      {"after the last row", {at(0, 1.0f), at(181, 2.0f)}, {}, "manual reading 2 (2011-03-13 07:09:41) lies after the last row"},
  };
  for (const Row& row : table) {
    SCOPED_TRACE(row.name);
    std::vector<PlacedReading> placed;
    std::string reason;
    const bool ok = PlaceReadings(row.readings, rows, UtcDisplay(), placed, reason);
    EXPECT_EQ(ok, !row.rows.empty());
    EXPECT_TRUE(reason.starts_with(row.reason)) << reason;
    std::vector<int> placedRows;
    for (const PlacedReading& p : placed) placedRows.push_back(p.row);
    if (ok) {
      EXPECT_EQ(placedRows, row.rows);
    }
  }
  std::vector<PlacedReading> placed;
  std::string reason;
  EXPECT_FALSE(PlaceReadings({at(0, 1.0f)}, {}, UtcDisplay(), placed, reason));

  std::vector<CTMDataValue> levels = Levels({1, 2, 3, 4});
  levels[2].status = 7;
  std::vector<ReadingOutcome> outcomes;
  EXPECT_FALSE(CorrectDrift({{0, 1.0f}, {2, 2.0f}}, rows, levels, outcomes, reason));
  EXPECT_EQ(reason, "manual reading 2 falls on a row without a level value (2)");
  EXPECT_EQ(levels[0].value, 1.0f) << "nothing changes on a refusal";
}

TEST(ManualReadings, NotesReadBackAsTheirValues) {
  ReadingNote note;
  ASSERT_TRUE(ParseReadingNote("Manual reading 2 of 3: 10.8 ft, logged 11 ft, drift correction -0.2 ft", note));
  EXPECT_EQ(note.index, 2);
  EXPECT_EQ(note.count, 3);
  EXPECT_EQ(note.manual, 10.8);
  EXPECT_EQ(note.logged, 11.0);
  EXPECT_EQ(note.drift, -0.2);
  EXPECT_EQ(note.unit, "ft");
  for (const char* other : {"Manual reading 4 of 3: 1 m, logged 1 m, drift correction +0 m", "Device Reset",
                            "Manual reading 1 of 1: 1 m, logged 1 m, drift correction +0 m and more"}) {
    EXPECT_FALSE(ParseReadingNote(other, note)) << other;
  }
}

}  // namespace
}  // namespace tvk
