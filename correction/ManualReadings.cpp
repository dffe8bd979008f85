#include "correction/ManualReadings.h"

#include <algorithm>
#include <cstdio>

#include "common/Format.h"
#include "correction/CorrectionChoices.h"
#include "correction/LevelConversion.h"

namespace tvk {

namespace {

double Shown(const DataPointDisplay& display, const TMSystem::CTMDeviceTime& utc) {
  return display.ReadBack(utc).AsSeconds();
}

std::string Ordinal(std::size_t i) { return "manual reading " + std::to_string(i + 1); }

}  // namespace

bool PlaceReadings(std::vector<ManualReading> readings, const RowTimeList& rowTimes,
                   const DataPointDisplay& display, std::vector<PlacedReading>& placed, std::string& reason) {
  placed.clear();
  if (rowTimes.empty()) {
    reason = "the log has no rows to place manual readings on";
    return false;
  }
  std::stable_sort(readings.begin(), readings.end(), [](const ManualReading& a, const ManualReading& b) {
    return a.time.AsSeconds() < b.time.AsSeconds();
  });
  const double first = Shown(display, rowTimes.front());
  const double last = Shown(display, rowTimes.back());
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const TMSystem::CTMDeviceTime target = display.ReadBack(readings[i].time);
    const double at = target.AsSeconds();
    if (at < first || at > last) {
      reason = Ordinal(i) + " (" + display.Text(readings[i].time) + ") lies " + (at < first ? "before the first" : "after the last") +
               " row of the log";
      return false;
    }
    const int row = FindNearestRow(rowTimes, target, display);
    if (!placed.empty() && placed.back().row >= row) {
      reason = Ordinal(i - 1) + " and " + Ordinal(i) + " fall on the same row (" + display.Text(rowTimes[static_cast<std::size_t>(row)]) + ")";
      return false;
    }
    placed.push_back({row, readings[i].value});
  }
  return true;
}

bool ReadingOutcomeAt(const std::vector<PlacedReading>& placed, std::size_t index, const TMSystem::CTMDataValue& level,
                      ReadingOutcome& outcome, std::string& reason) {
  if (IsUnconvertedStatus(level.status)) {
    reason = Ordinal(index) + " falls on a row without a level value (" + std::to_string(placed[index].row) + ")";
    return false;
  }
  const float logged = level.value;
  const double drift = index == 0 ? 0.0 : static_cast<double>(placed[index].manual) - static_cast<double>(logged);
  outcome = {placed[index].row, placed[index].manual, logged, drift};
  return true;
}

float CDriftSpread::Apply(std::size_t k, double seconds, float level) {
  const std::vector<ReadingOutcome>& outcomes = *outcomes_;
  while (segment_ + 1 < outcomes.size() && static_cast<std::size_t>(outcomes[segment_ + 1].row) <= k) ++segment_;
  double d = outcomes[segment_].drift;
  if (segment_ + 1 < outcomes.size()) {
    const ReadingOutcome& a = outcomes[segment_];
    const ReadingOutcome& b = outcomes[segment_ + 1];
    const double ta = times_[segment_];
    const double tb = times_[segment_ + 1];
    const double share = (seconds - ta) / (tb - ta);
    const double step = (b.drift - a.drift) * share;
    d = a.drift + step;
  }
  return static_cast<float>(static_cast<double>(level) + d);
}

bool CorrectDrift(const std::vector<PlacedReading>& placed, const std::vector<TMSystem::CTMDeviceTime>& rowTimes,
                  std::vector<TMSystem::CTMDataValue>& levels, std::vector<ReadingOutcome>& outcomes,
                  std::string& reason) {
  outcomes.clear();
  std::vector<double> readingTimes;
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const auto row = static_cast<std::size_t>(placed[i].row);
    if (placed[i].row < 0 || row >= levels.size() || row >= rowTimes.size() ||
        (i > 0 && placed[i].row <= placed[i - 1].row)) {
      reason = Ordinal(i) + " is not on a row of the log after the reading before it";
      return false;
    }
    ReadingOutcome outcome;
    if (!ReadingOutcomeAt(placed, i, levels[row], outcome, reason)) return false;
    outcomes.push_back(outcome);
    readingTimes.push_back(rowTimes[row].AsSeconds());
  }
  if (outcomes.empty()) return true;

  CDriftSpread spread(outcomes, std::move(readingTimes));
  for (std::size_t k = static_cast<std::size_t>(outcomes.front().row); k < levels.size(); ++k) {
    if (IsUnconvertedStatus(levels[k].status)) continue;
    levels[k].value = spread.Apply(k, rowTimes[k].AsSeconds(), levels[k].value);
  }
  return true;
}

std::string ReadingNoteText(std::size_t index, std::size_t count, const ReadingOutcome& outcome,
                            const std::string& unit) {
  return StrFormat("Manual reading %d of %d: %g %s, logged %g %s, drift correction %+g %s", static_cast<int>(index),
                   static_cast<int>(count), static_cast<double>(outcome.manual), unit.c_str(),
                   static_cast<double>(outcome.logged), unit.c_str(), outcome.drift, unit.c_str());
}

bool ParseReadingNote(const std::string& text, ReadingNote& note) {
  ReadingNote read;
  char unit[3][64] = {};
  int used = 0;
  const int fields = std::sscanf(text.c_str(), "Manual reading %d of %d: %lf %63[^,], logged %lf %63[^,], drift correction %lf %63s%n",
                                 &read.index, &read.count, &read.manual, unit[0], &read.logged, unit[1], &read.drift,
                                 unit[2], &used);
  if (fields != 8 || static_cast<std::size_t>(used) != text.size() || read.index < 1 || read.index > read.count) {
    return false;
  }
  read.unit = unit[0];
  note = read;
  return true;
}

}  // namespace tvk
