#include "common/DeviceTime.h"

#include <cmath>

namespace TMSystem {

using tvk::FileTime;
using tvk::SystemTime;

namespace {

constexpr FileTime kRangeEndTicks =
    tvk::kUnixEpochFileTime + static_cast<FileTime>(kDeviceTimeMaxSeconds) * tvk::kTicksPerSecond;

SystemTime FromTicks(FileTime ticks) { return tvk::FileTimeToSystemTime(ticks).value_or(SystemTime{}); }

// Ticks clamped to the valid range, or none when the calendar refuses the fields.
std::optional<FileTime> ClampedTicks(const SystemTime& time) {
  const auto ticks = tvk::SystemTimeToFileTime(time);
  if (!ticks) return std::nullopt;
  if (*ticks < tvk::kUnixEpochFileTime) return tvk::kUnixEpochFileTime;
  if (*ticks > kRangeEndTicks) return kRangeEndTicks;
  return ticks;
}

}  // namespace

SystemTime ClampToDeviceRange(const SystemTime& time) {
  return FromTicks(ClampedTicks(time).value_or(tvk::kUnixEpochFileTime));
}

SystemTime DeviceTimeToSystemTime(const CTMDeviceTime& time) {
  // The added half millisecond makes the truncated milliseconds the rounded value.
  const auto fractionTicks = static_cast<FileTime>((time.fraction / 65536.0 + 0.0005) * 10'000'000.0);
  FileTime ticks = static_cast<FileTime>(time.seconds) * tvk::kTicksPerSecond + fractionTicks +
                   tvk::kUnixEpochFileTime;
  if (ticks > kRangeEndTicks) ticks = kRangeEndTicks;
  return FromTicks(ticks);
}

CTMDeviceTime DeviceTimeFromSystemTime(const SystemTime& utc) {
  SystemTime limited = utc;
  if (limited.year > 2050) limited.year = 2050;
  const auto ticks = ClampedTicks(limited);
  if (!ticks || *ticks <= tvk::kUnixEpochFileTime) return {};
  const FileTime d = *ticks - tvk::kUnixEpochFileTime;
  CTMDeviceTime result;
  result.seconds = static_cast<std::uint32_t>(d / tvk::kTicksPerSecond);
  result.fraction = static_cast<std::uint16_t>((d - result.seconds * tvk::kTicksPerSecond) * 65536 /
                                               tvk::kTicksPerSecond);
  return result;
}

CTMDeviceTime DeviceTimeFromParts(std::uint32_t seconds, std::uint16_t fraction) {
  if (seconds >= kDeviceTimeMaxSeconds && (seconds > kDeviceTimeMaxSeconds || fraction > 0)) {
    return {kDeviceTimeMaxSeconds, 0};
  }
  return {seconds, fraction};
}

CTMDeviceTime DeviceTimeFromSeconds(double seconds) {
  if (!(seconds > 0.0)) return {};  // also NaN
  if (seconds >= static_cast<double>(kDeviceTimeMaxSeconds)) return {kDeviceTimeMaxSeconds, 0};
  const double whole = std::trunc(seconds);
  const auto fraction = static_cast<std::uint16_t>((seconds - whole) * 65536.0);
  return {static_cast<std::uint32_t>(whole), fraction};
}

CTMDeviceTime DeviceTimeFromFields(int year, int month, int day, int hour, int minute, int second) {
  auto limit = [](int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); };
  year = limit(year, 1970, 2050);
  month = limit(month, 1, 12);
  day = limit(day, 1, 31);
  if (month == 2) day = limit(day, 1, tvk::IsLeapYear(year) ? 29 : 28);
  hour = limit(hour, 0, 23);
  minute = limit(minute, 0, 59);
  second = limit(second, 0, 59);
  // Day 31 of a 30-day month is left alone: the calendar refuses it and the result is zero.
  return DeviceTimeFromSystemTime(tvk::MakeSystemTime(year, month, day, hour, minute, second, 0));
}

bool DeviceTimeLess(const CTMDeviceTime& a, const CTMDeviceTime& b) {
  return a.seconds != b.seconds ? a.seconds < b.seconds : a.fraction < b.fraction;
}

CTMDeviceTime CurrentDeviceTime() { return DeviceTimeFromSystemTime(tvk::CurrentUtcTime()); }

}  // namespace TMSystem
