#pragma once
// The data behind the before/after level chart, without any drawing: a log's level column over time,
// its per-pixel-column envelope, and round axis ticks for level values and display times.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tvk {

// The level column of one log. A cell whose status marks it as no measured value (3, 4, 7, 8) is a
// gap: NaN, never plotted as a number.
struct LevelSeries {
  std::uint16_t mode = 0;  // parameter id of the level channel: 3, 4 or 5
  std::uint16_t unit = 0;
  std::vector<double> times;  // UTC seconds since 1970, fraction included
  std::vector<float> values;
};

// "Level Depth To Water (ft)": the mode's name and the unit's abbreviation.
std::string LevelSeriesTitle(const LevelSeries& series);

// Reads the first level channel of the log at `path` (rows on demand). False when the file cannot be
// read or has no level channel.
bool LoadLevelSeries(const std::string& path, LevelSeries& out);

// Writes both level columns as CSV through `write` (false stops the export): a header "Time,Source:
// <title>,Corrected: <title>", then one line per row time, the times as the display shows them and each
// value as the shortest text that reads back as the same float, empty for a gap or a time the other log
// lacks (rows are matched by time; both are in time order). A log that could not be read (null) gives an
// empty column. False when a write fails.
bool WriteLevelCsv(const LevelSeries* source, const LevelSeries* corrected,
                   const std::function<bool(std::string_view)>& write);

// One pixel column of a line: the lowest and highest value of the rows it covers, so no spike is lost
// however many rows share a pixel, and the first and last value in row order for joining neighbours.
struct EnvelopeColumn {
  float low;    // NaN when the column covers no value
  float high;
  float first;
  float last;
  bool joined;  // the first value continues the line from the previous value: no gap row between
};

// Spreads [start, end] over `columns` equal pixel columns; rows outside the span are left out. Rows
// are taken in order, as a log keeps them (by time).
std::vector<EnvelopeColumn> ComputeEnvelope(std::span<const double> times, std::span<const float> values,
                                            double start, double end, int columns);

// The lowest and highest value that is not a gap; false when there is none.
bool ValueRange(std::span<const float> values, float& low, float& high);

// Round ticks (1, 2 or 5 times a power of ten) covering [low, high] with at most `maxTicks`, and the
// decimals their labels need.
struct ValueTicks {
  std::vector<double> values;
  int decimals = 0;
  double low = 0;  // the span the axis shows: widened to the outer ticks
  double high = 0;
};
ValueTicks RoundValueTicks(double low, double high, int maxTicks);

// Ticks at round times of the display clock (display settings and zone as they stand): whole
// seconds, minutes, hours, days or months. `timeText` is empty for steps of a day or more; `dateText`
// is given for the first tick and whenever the day changes.
struct TimeTick {
  double utcSeconds = 0;
  std::string timeText;
  std::string dateText;
};
std::vector<TimeTick> RoundTimeTicks(double startUtc, double endUtc, int maxTicks);

// The clock the time axis shows at `utc`: "UTC", or the zone's standard or daylight name.
std::string TimeAxisZoneName(double utc);

}  // namespace tvk
