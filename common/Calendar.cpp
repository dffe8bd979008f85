#include "common/Calendar.h"

#include <chrono>

namespace tvk {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kFileTimeEpochDays = 134'774;

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t DaysFromCivil(int year, int month, int day) {
  // Howard Hinnant's algorithm, exact for the whole proleptic Gregorian calendar.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int DayOfWeek(int year, int month, int day) {
  const std::int64_t days = DaysFromCivil(year, month, day);
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

std::optional<FileTime> SystemTimeToFileTime(const SystemTime& t) {
  if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59 ||
      t.milliseconds > 999) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) + kFileTimeEpochDays;
  const std::int64_t seconds = days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
  return static_cast<FileTime>(seconds) * kTicksPerSecond +
         static_cast<FileTime>(t.milliseconds) * kTicksPerMillisecond;
}

std::optional<SystemTime> FileTimeToSystemTime(FileTime ticks) {
  if (ticks >= 0x8000000000000000ULL) return std::nullopt;
  const auto totalSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
  std::int64_t days = totalSeconds / kSecondsPerDay - kFileTimeEpochDays;
  const std::int64_t secondsOfDay = totalSeconds % kSecondsPerDay;

  // Inverse of DaysFromCivil.
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);

  SystemTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.hour = static_cast<std::uint16_t>(secondsOfDay / 3600);
  t.minute = static_cast<std::uint16_t>(secondsOfDay / 60 % 60);
  t.second = static_cast<std::uint16_t>(secondsOfDay % 60);
  t.milliseconds = static_cast<std::uint16_t>(ticks % kTicksPerSecond / kTicksPerMillisecond);
  t.dayOfWeek = static_cast<std::uint16_t>(DayOfWeek(t.year, t.month, t.day));
  return t;
}

SystemTime MakeSystemTime(int year, int month, int day, int hour, int minute, int second,
                          int milliseconds) {
  SystemTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.hour = static_cast<std::uint16_t>(hour);
  t.minute = static_cast<std::uint16_t>(minute);
  t.second = static_cast<std::uint16_t>(second);
  t.milliseconds = static_cast<std::uint16_t>(milliseconds);
  if (month >= 1 && month <= 12) t.dayOfWeek = static_cast<std::uint16_t>(DayOfWeek(year, month, day));
  return t;
}

bool SystemTimeLess(const SystemTime& a, const SystemTime& b) {
  const auto fa = SystemTimeToFileTime(a);
  const auto fb = SystemTimeToFileTime(b);
  if (!fb) return false;
  if (!fa) return true;
  return *fa < *fb;
}

SystemTime AddMinutes(const SystemTime& time, std::int64_t minutes) {
  const auto ticks = SystemTimeToFileTime(time);
  if (!ticks) return time;
  const std::int64_t delta = minutes * 60 * static_cast<std::int64_t>(kTicksPerSecond);
  const auto shifted = static_cast<std::int64_t>(*ticks) + delta;
  if (shifted < 0) return time;
  return FileTimeToSystemTime(static_cast<FileTime>(shifted)).value_or(time);
}

std::tm ToTmFields(const SystemTime& time) {
  std::tm fields{};
  fields.tm_year = time.year - 1900;
  fields.tm_mon = time.month - 1;
  fields.tm_mday = time.day;
  fields.tm_wday = time.dayOfWeek;
  fields.tm_hour = time.hour;
  fields.tm_min = time.minute;
  fields.tm_sec = time.second;
  fields.tm_yday = static_cast<int>(DaysFromCivil(time.year, time.month, time.day) - DaysFromCivil(time.year, 1, 1));
  return fields;
}

FileTime CurrentUtcFileTime() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>>(since);
  return kUnixEpochFileTime + static_cast<FileTime>(ticks.count());
}

SystemTime CurrentUtcTime() { return FileTimeToSystemTime(CurrentUtcFileTime()).value_or(SystemTime{}); }

}  // namespace tvk
