#include <cstdlib>
#include <exception>

#include "platform/TimeZone.h"
#include "platform/windows/Wide.h"

// The zone Windows keeps, unless $TZ holds a POSIX rule: the C runtime honours that variable too, and
// tests use it to pin a zone.

namespace tvk::platform {
namespace {

TransitionRule RuleOf(const SYSTEMTIME& date) {
  TransitionRule rule;
  // A rule for one year only (wYear set) has no yearly form: no daylight time then.
  if (date.wYear != 0 || date.wMonth < 1 || date.wMonth > 12 || date.wDay < 1 || date.wDay > 5) return rule;
  rule.month = date.wMonth;
  rule.occurrence = date.wDay;
  rule.dayOfWeek = date.wDayOfWeek;
  rule.hour = date.wHour;
  rule.minute = date.wMinute;
  rule.second = date.wSecond;
  return rule;
}

TimeZoneInfo WindowsTimeZone() {
  TIME_ZONE_INFORMATION system{};
  if (GetTimeZoneInformation(&system) == TIME_ZONE_ID_INVALID) return TimeZoneInfo{};
  TimeZoneInfo info;
  info.bias = system.Bias;
  info.standardName = windows::Narrow(system.StandardName);
  info.daylightName = windows::Narrow(system.DaylightName);
  info.standardBias = system.StandardBias;
  info.standardDate = RuleOf(system.StandardDate);
  info.daylightDate = RuleOf(system.DaylightDate);
  if (info.HasDaylightRule()) {
    info.daylightBias = system.DaylightBias;
  } else {
    info.standardDate = {};
    info.daylightDate = {};
  }
  return info;
}

}  // namespace

std::shared_ptr<const TimeZoneInfo> CurrentTimeZoneShared() {
  try {
    if (const char* tz = std::getenv("TZ"); tz != nullptr) {
      if (auto parsed = ParsePosixTimeZone(tz)) return std::make_shared<const TimeZoneInfo>(*parsed);
    }
    return std::make_shared<const TimeZoneInfo>(WindowsTimeZone());
  } catch (const std::exception&) {
    static const auto utc = std::make_shared<const TimeZoneInfo>();
    return utc;
  }
}

TimeZoneInfo CurrentTimeZone() {
  try {
    return *CurrentTimeZoneShared();
  } catch (const std::exception&) {
    return TimeZoneInfo{};
  }
}

}  // namespace tvk::platform
