#pragma once
// Several manual readings of one log (tape measurements at known times) and the drift correction
// between them: the first reading is the ordinary correction's reference data point, each later one
// leaves a residual against the corrected level at its row, and the residuals are spread over the rows
// between readings in proportion to time, so the corrected record passes through every reading.
// Qt-free; exact: the arithmetic order below is part of the result.

#include <cstddef>
#include <string>
#include <vector>

#include "common/DeviceTime.h"
#include "correction/RowTimes.h"
#include "logfile/DataBlock.h"

namespace tvk {

class DataPointDisplay;

// A level read by hand at a time (UTC), in the log's new level unit.
struct ManualReading {
  TMSystem::CTMDeviceTime time;
  float value = 0.0f;
};

// A reading on its row: the nearest row to its time.
struct PlacedReading {
  int row = -1;
  float manual = 0.0f;
};

// What the correction made of a reading: the ordinary correction's level at its row and the drift
// correction there (manual minus logged, 0 for the first).
struct ReadingOutcome {
  int row = -1;
  float manual = 0.0f;
  float logged = 0.0f;
  double drift = 0.0;
};

// Sorts the readings by time and places each on its nearest row, found as the reference page finds
// a picked time (the display's resolution, the earlier row on a tie). False with the reason when the
// log has no rows, a reading lies before the first row's or after the last row's time as displayed, or
// two readings fall on one row.
bool PlaceReadings(std::vector<ManualReading> readings, const RowTimeList& rowTimes,
                   const DataPointDisplay& display, std::vector<PlacedReading>& placed, std::string& reason);

// Corrects `levels` (the ordinary correction's level column, one cell per row) for the drift between
// `placed` (in row order, the first being the reference data point). Every row with a level value
// gets d, 0 before the first reading's row, the last residual from the last reading's row on, and
// between readings a and b  d = e_a + (e_b - e_a) * ((T - T_a) / (T_b - T_a))  in double; its level
// becomes (float)((double)level + d). False with the reason, `levels` untouched, when a reading's row
// has no level value.
bool CorrectDrift(const std::vector<PlacedReading>& placed, const std::vector<TMSystem::CTMDeviceTime>& rowTimes,
                  std::vector<TMSystem::CTMDataValue>& levels, std::vector<ReadingOutcome>& outcomes,
                  std::string& reason);

// What reading `index` of `placed` makes of the ordinary correction's `level` at its row; false with the
// reason when the row has no level value. A step of CorrectDrift, and of a correction that streams.
bool ReadingOutcomeAt(const std::vector<PlacedReading>& placed, std::size_t index, const TMSystem::CTMDataValue& level,
                      ReadingOutcome& outcome, std::string& reason);

// The drift correction of CorrectDrift a row at a time, rows in order: `readingTimes` are the seconds
// of the outcomes' rows.
class CDriftSpread {
 public:
  CDriftSpread(const std::vector<ReadingOutcome>& outcomes, std::vector<double> readingTimes)
      : outcomes_(&outcomes), times_(std::move(readingTimes)) {}
  // Whether row `k` is corrected at all: it is at or after the first reading's row.
  bool Covers(std::size_t k) const {
    return !outcomes_->empty() && k >= static_cast<std::size_t>(outcomes_->front().row);
  }
  // The level of row `k` (covered, with a level value) at `seconds`, with its drift correction.
  float Apply(std::size_t k, double seconds, float level);

 private:
  const std::vector<ReadingOutcome>* outcomes_;
  std::vector<double> times_;
  std::size_t segment_ = 0;  // the reading at or before the row
};

// The text of the note that records reading `index` (from 1) of `count`.
std::string ReadingNoteText(std::size_t index, std::size_t count, const ReadingOutcome& outcome,
                            const std::string& unit);

// A reading note's values read back from its text; false when the text is no reading note.
struct ReadingNote {
  int index = 0;
  int count = 0;
  double manual = 0.0;
  double logged = 0.0;
  double drift = 0.0;
  std::string unit;
};
bool ParseReadingNote(const std::string& text, ReadingNote& note);

}  // namespace tvk
