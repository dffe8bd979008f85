#pragma once
// Calendar time (the fields of a Windows SYSTEMTIME) and FILETIME ticks, with our own calendar
// arithmetic: proleptic Gregorian, no time zone involved.

#include <cstdint>
#include <ctime>
#include <optional>

namespace tvk {

struct SystemTime {
  std::uint16_t year = 0;
  std::uint16_t month = 0;
  std::uint16_t dayOfWeek = 0;  // 0 = Sunday
  std::uint16_t day = 0;
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;
  std::uint16_t milliseconds = 0;

  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

// 100-ns ticks since 1601-01-01 00:00:00 UTC.
using FileTime = std::uint64_t;

constexpr FileTime kTicksPerSecond = 10'000'000;
constexpr FileTime kTicksPerMillisecond = 10'000;
constexpr FileTime kUnixEpochFileTime = 116'444'736'000'000'000ULL;  // 1970-01-01 00:00:00

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 for a month outside 1..12

// Days since 1970-01-01 of a proleptic Gregorian date (negative before).
std::int64_t DaysFromCivil(int year, int month, int day);

// Weekday of a date, 0 = Sunday.
int DayOfWeek(int year, int month, int day);

// Fails, as the operating system does, for fields out of range (day beyond the month's end, year
// before 1601 or after 30827, hour 24, ...). The day of week is not checked.
std::optional<FileTime> SystemTimeToFileTime(const SystemTime& time);

// Fails for ticks at or beyond 0x8000000000000000. The day of week is filled in.
std::optional<SystemTime> FileTimeToSystemTime(FileTime ticks);

SystemTime MakeSystemTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                          int milliseconds = 0);

// Compares by FILETIME value; times the calendar refuses order before all valid ones.
bool SystemTimeLess(const SystemTime& a, const SystemTime& b);

// Adds (or subtracts) minutes; the result has its day of week filled in.
SystemTime AddMinutes(const SystemTime& time, std::int64_t minutes);

// The calendar fields as the C library's strftime takes them (weekday and day of the year included).
std::tm ToTmFields(const SystemTime& time);

// The system clock as UTC.
SystemTime CurrentUtcTime();
FileTime CurrentUtcFileTime();

}  // namespace tvk
