#include "correction/LevelChartData.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <limits>

#include "common/Calendar.h"
#include "common/DeviceTime.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "correction/LevelConversion.h"
#include "logfile/LogFile.h"

namespace tvk {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr double kDay = 86400.0;

bool IsLevelParameter(std::uint16_t parameterId) { return parameterId >= 3 && parameterId <= 5; }

SystemTime TimeFromSeconds(double seconds) {
  const auto ticks = static_cast<FileTime>(std::llround(std::max(seconds, 0.0) * 1000) * kTicksPerMillisecond);
  return FileTimeToSystemTime(kUnixEpochFileTime + ticks).value_or(MakeSystemTime(1970, 1, 1));
}

double SecondsFromTime(const SystemTime& time) {
  const FileTime ticks = SystemTimeToFileTime(time).value_or(kUnixEpochFileTime);
  return (static_cast<double>(ticks) - static_cast<double>(kUnixEpochFileTime)) / kTicksPerSecond;
}

// The display clock runs on UTC or on the zone's local time; ticks are chosen on it and placed by UTC.
struct DisplayClock {
  DisplaySnapshot snapshot = TakeDisplaySnapshot();
  double Shown(double utc) const {
    return snapshot.useUtc ? utc : SecondsFromTime(UtcToLocal(TimeFromSeconds(utc), snapshot.ignoreDst));
  }
  double Utc(double shown) const {
    return snapshot.useUtc ? shown : SecondsFromTime(LocalToUtc(TimeFromSeconds(shown), snapshot.ignoreDst));
  }
};

// A time picture without its seconds (and milliseconds) for ticks a minute or more apart.
std::string WithoutSeconds(std::string picture) {
  for (std::size_t i = 0; i + 1 < picture.size(); ++i) {
    if ((picture[i] != ':' && picture[i] != '.') || picture[i + 1] != 's') continue;
    std::size_t j = i + 1;
    while (j < picture.size() && picture[j] == 's') ++j;
    if (picture.compare(j, 3, ".ms") == 0) j += 3;
    picture.erase(i, j - i);
    break;
  }
  return picture;
}

// Shown times of ticks `months` calendar months apart, from the first such month start at or after
// `from`.
std::vector<double> MonthTicks(double from, double to, int months) {
  std::vector<double> ticks;
  const SystemTime start = TimeFromSeconds(from);
  int index = start.year * 12 + (start.month - 1);
  if (start.day != 1 || start.hour != 0 || start.minute != 0 || start.second != 0 || start.milliseconds != 0) {
    ++index;
  }
  index = (index + months - 1) / months * months;
  for (;; index += months) {
    const double shown = SecondsFromTime(MakeSystemTime(index / 12, index % 12 + 1, 1));
    if (shown > to) break;
    ticks.push_back(shown);
  }
  return ticks;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

void AppendValue(std::string& line, float value) {
  if (std::isnan(value)) return;
  char text[32];
  line.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

std::string LevelSeriesTitle(const LevelSeries& series) {
  const std::uint32_t name = series.mode == 4 ? 10302 : series.mode == 5 ? 10303 : 10301;
  return GetSystemString(name) + " (" + GetUnitAbbreviation(series.unit) + ")";
}

bool WriteLevelCsv(const LevelSeries* source, const LevelSeries* corrected,
                   const std::function<bool(std::string_view)>& write) {
  const auto title = [](const char* role, const LevelSeries* series) {
    return CsvField(series ? role + LevelSeriesTitle(*series) : std::string(role) + "not read");
  };
  std::string chunk = "Time," + title("Source: ", source) + "," + title("Corrected: ", corrected) + "\n";
  static const LevelSeries kNone;
  const LevelSeries& a = source ? *source : kNone;
  const LevelSeries& b = corrected ? *corrected : kNone;
  const std::size_t aRows = std::min(a.times.size(), a.values.size());
  const std::size_t bRows = std::min(b.times.size(), b.values.size());
  const DisplaySnapshot display = TakeDisplaySnapshot();
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < aRows || j < bRows) {
    const bool fromA = i < aRows && (j >= bRows || a.times[i] <= b.times[j]);
    const bool fromB = j < bRows && (i >= aRows || b.times[j] <= a.times[i]);
    const double time = fromA ? a.times[i] : b.times[j];
    chunk += CsvField(FormatDateTime(TMSystem::DeviceTimeToSystemTime(TMSystem::DeviceTimeFromSeconds(time)), display));
    chunk += ',';
    if (fromA) AppendValue(chunk, a.values[i++]);
    chunk += ',';
    if (fromB) AppendValue(chunk, b.values[j++]);
    chunk += '\n';
    if (chunk.size() >= 1 << 16) {
      if (!write(chunk)) return false;
      chunk.clear();
    }
  }
  return chunk.empty() || write(chunk);
}

bool LoadLevelSeries(const std::string& path, LevelSeries& out) {
  out = {};
  try {
    TMSystem::CTMLogFile log;
    if (Failed(log.Load(path, TMSystem::kLoadOnDemand))) return false;
    std::vector<TMSystem::CTMChannelInfo> channels;
    if (Failed(log.GetChannels(channels))) return false;
    const auto level = std::find_if(channels.begin(), channels.end(),
                                    [](const auto& c) { return IsLevelParameter(c.parameterId); });
    if (level == channels.end()) return false;
    const auto channel = static_cast<std::size_t>(level - channels.begin());
    out.mode = level->parameterId;
    out.unit = level->unitId;

    const std::uint32_t rows = log.GetRowCount();
    out.times.reserve(rows);
    out.values.reserve(rows);
    TMSystem::CTMDataRow row;
    row.values.resize(channels.size());
    for (std::uint32_t i = 0; i < rows; ++i) {
      if (Failed(log.GetRow(i, row)) || row.values.size() <= channel) {
        out = {};
        return false;
      }
      const TMSystem::CTMDataValue cell = row.values[channel];
      out.times.push_back(row.time.seconds + row.time.fraction / 65536.0);
      out.values.push_back(IsUnconvertedStatus(cell.status) || !std::isfinite(cell.value) ? kNaN : cell.value);
    }
    return true;
  } catch (const std::exception&) {
    out = {};
    return false;
  }
}

std::vector<EnvelopeColumn> ComputeEnvelope(std::span<const double> times, std::span<const float> values,
                                            double start, double end, int columns) {
  std::vector<EnvelopeColumn> envelope(static_cast<std::size_t>(std::max(columns, 0)),
                                       EnvelopeColumn{kNaN, kNaN, kNaN, kNaN, false});
  if (envelope.empty()) return envelope;
  const double scale = end > start ? columns / (end - start) : 0.0;
  const std::size_t count = std::min(times.size(), values.size());
  bool afterGap = true;
  for (std::size_t i = 0; i < count; ++i) {
    const double t = times[i];
    if (t < start || t > end) continue;
    const float v = values[i];
    if (std::isnan(v)) {
      afterGap = true;
      continue;
    }
    const int c = std::min(static_cast<int>((t - start) * scale), columns - 1);
    EnvelopeColumn& column = envelope[static_cast<std::size_t>(c)];
    if (std::isnan(column.low)) {
      column = {v, v, v, v, !afterGap};
    } else {
      column.low = std::min(column.low, v);
      column.high = std::max(column.high, v);
      column.last = v;
    }
    afterGap = false;
  }
  return envelope;
}

bool ValueRange(std::span<const float> values, float& low, float& high) {
  bool any = false;
  for (const float v : values) {
    if (std::isnan(v)) continue;
    low = any ? std::min(low, v) : v;
    high = any ? std::max(high, v) : v;
    any = true;
  }
  return any;
}

ValueTicks RoundValueTicks(double low, double high, int maxTicks) {
  ValueTicks ticks;
  maxTicks = std::max(maxTicks, 2);
  if (!std::isfinite(low) || !std::isfinite(high)) return ticks;
  if (!(high > low)) {  // one value: a span around it
    const double pad = low != 0.0 ? std::abs(low) * 0.01 : 1.0;
    low -= pad;
    high += pad;
  }
  // The smallest of 1, 2, 5 x 10^n that needs no more than maxTicks ticks.
  double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / (maxTicks - 1))));
  double step = magnitude;
  double first = 0;
  double last = 0;
  const auto fits = [&](double s) {
    first = std::floor(low / s + 1e-9);
    last = std::ceil(high / s - 1e-9);
    return last - first + 1 <= maxTicks;
  };
  for (bool found = false; !found; magnitude *= 10) {
    for (const double factor : {1.0, 2.0, 5.0}) {
      step = factor * magnitude;
      if ((found = fits(step))) break;
    }
  }
  for (double k = first; k <= last; ++k) ticks.values.push_back(k * step);
  ticks.low = first * step;
  ticks.high = last * step;
  ticks.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
  return ticks;
}

std::vector<TimeTick> RoundTimeTicks(double startUtc, double endUtc, int maxTicks) {
  std::vector<TimeTick> ticks;
  try {
    const DisplayClock clock;
    const double from = clock.Shown(startUtc);
    const double to = clock.Shown(std::max(endUtc, startUtc));
    const double span = to - from;
    maxTicks = std::max(maxTicks, 2);

    static constexpr std::array<double, 20> kSteps{1,    2,    5,     10,    15,    30,    60,
                                                   120,  300,  600,   900,   1800,  3600,  7200,
                                                   10800, 21600, 43200, kDay, 2 * kDay, 7 * kDay};
    static constexpr std::array<int, 8> kMonthSteps{1, 2, 3, 6, 12, 24, 60, 120};
    std::vector<double> shown;
    double step = 0;
    for (const double s : kSteps) {
      if (span / s <= maxTicks - 1) {
        step = s;
        break;
      }
    }
    if (step > 0) {
      // Weeks start on Monday; 1970-01-01 was a Thursday.
      const double origin = step == 7 * kDay ? 4 * kDay : 0.0;
      for (double k = std::ceil((from - origin) / step); origin + k * step <= to; ++k) shown.push_back(origin + k * step);
    } else {
      for (const int months : kMonthSteps) {
        if (span / (months * 30.44 * kDay) <= maxTicks - 1 || months == kMonthSteps.back()) {
          shown = MonthTicks(from, to, months);
          break;
        }
      }
    }

    const DisplaySnapshot& display = clock.snapshot;
    const std::string timePicture = step > 0 && step < 60 ? display.timePicture : WithoutSeconds(display.timePicture);
    std::string lastDate;
    for (const double s : shown) {
      const SystemTime fields = TimeFromSeconds(s);
      TimeTick tick;
      tick.utcSeconds = clock.Utc(s);
      if (step > 0 && step < kDay) tick.timeText = FormatWithPicture(timePicture, fields);
      const std::string date = FormatWithPicture(display.datePicture, fields);
      if (date != lastDate) tick.dateText = date;
      lastDate = date;
      ticks.push_back(std::move(tick));
    }
  } catch (const std::exception&) {
    ticks.clear();
  }
  return ticks;
}

std::string TimeAxisZoneName(double utc) {
  try {
    const DisplaySnapshot display = TakeDisplaySnapshot();
    if (display.useUtc) return "UTC";
    const SystemTime local = UtcToLocal(TimeFromSeconds(utc), display.ignoreDst);
    const bool daylight = !display.ignoreDst && IsDaylightTimeAt(local, false) && !display.zone.daylightName.empty();
    return daylight ? display.zone.daylightName : display.zone.standardName;
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tvk
