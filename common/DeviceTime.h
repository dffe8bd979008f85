#pragma once
// The compact UTC time of logs and notes: whole seconds since 1970 and a 1/65536-second fraction,
// valid from 1970-01-01 to 2050-01-01.

#include <cstdint>

#include "common/Calendar.h"

namespace TMSystem {

struct CTMDeviceTime {
  std::uint32_t seconds = 0;
  std::uint16_t fraction = 0;  // 1/65536 s

  double AsSeconds() const { return seconds + fraction / 65536.0; }
  friend bool operator==(const CTMDeviceTime&, const CTMDeviceTime&) = default;
};

// 2050-01-01 00:00:00 UTC, the end of the valid range, in seconds since 1970.
constexpr std::uint32_t kDeviceTimeMaxSeconds = 2'524'608'000U;

// Each conversion clamps to the valid range.
CTMDeviceTime DeviceTimeFromParts(std::uint32_t seconds, std::uint16_t fraction);
CTMDeviceTime DeviceTimeFromSeconds(double seconds);
CTMDeviceTime DeviceTimeFromSystemTime(const tvk::SystemTime& utc);
CTMDeviceTime DeviceTimeFromFields(int year, int month, int day, int hour, int minute, int second);
tvk::SystemTime DeviceTimeToSystemTime(const CTMDeviceTime& time);
bool DeviceTimeLess(const CTMDeviceTime& a, const CTMDeviceTime& b);

// A calendar time limited to the valid range; calendar values the clock refuses give 1970-01-01.
tvk::SystemTime ClampToDeviceRange(const tvk::SystemTime& time);

// The current UTC time as a device time.
CTMDeviceTime CurrentDeviceTime();

}  // namespace TMSystem
