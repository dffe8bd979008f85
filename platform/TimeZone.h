#pragma once
// The machine's time-zone information in the shape of the Windows structure: a bias and two yearly
// transition rules. On Linux it comes from a POSIX TZ rule ("CET-1CEST,M3.5.0,M10.5.0/3"), taken from
// $TZ, from the footer of the zone file $TZ names, or from the footer of /etc/localtime; UTC otherwise.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tvk::platform {

// "The occurrence-th weekday of month at hour:minute:second local time"; occurrence 5 is the last
// such weekday. Month 0 means the zone has no daylight time.
struct TransitionRule {
  std::uint16_t month = 0;
  std::uint16_t occurrence = 0;  // 1..5
  std::uint16_t dayOfWeek = 0;   // 0 = Sunday
  std::uint16_t hour = 0;
  std::uint16_t minute = 0;
  std::uint16_t second = 0;

  friend bool operator==(const TransitionRule&, const TransitionRule&) = default;
};

// UTC = local + bias (minutes); in standard time bias + standardBias, in daylight time bias +
// daylightBias. `standardDate` starts standard time, `daylightDate` starts daylight time.
struct TimeZoneInfo {
  std::int32_t bias = 0;
  std::string standardName = "UTC";
  TransitionRule standardDate;
  std::int32_t standardBias = 0;
  std::string daylightName;
  TransitionRule daylightDate;
  std::int32_t daylightBias = 0;

  bool HasDaylightRule() const { return standardDate.month != 0 && daylightDate.month != 0; }

  friend bool operator==(const TimeZoneInfo&, const TimeZoneInfo&) = default;
};

// Parses a POSIX TZ rule (an optional leading ':' is skipped); nullopt when it is malformed.
// Only "Mm.w.d[/time]" dates map onto transition rules. A rule time outside 0..24 h moves the weekday
// by whole days and keeps the occurrence ("M3.4.4/26" becomes the 4th Friday at 02:00), which is
// exact unless the shift crosses into another week of the month. Day-of-year dates ("Jn", "n") have
// no weekday form: the zone then keeps standard time all year, except the idiom for daylight time
// all year (start "0/0" or "J1/0", end "J365/25"), which becomes the daylight offset as standard time.
// A daylight name without a rule gets the common default M3.2.0,M11.1.0.
std::optional<TimeZoneInfo> ParsePosixTimeZone(std::string_view rule);

// The POSIX rule in the footer of a TZif file of version 2 or later (the line between the last two
// newlines); nullopt for other content or an empty footer.
std::optional<std::string> TzifFooterRule(std::string_view fileContent);

// The zone of this machine as it stands now: $TZ as a rule or as a zone name (under $TZDIR or
// /usr/share/zoneinfo, or an absolute path), else /etc/localtime, else UTC. An empty or unresolvable
// $TZ gives UTC, and so does a zone file that is not a regular file. A changed zone file is seen at
// the next call; an unchanged one costs one stat. The shared zone never changes once handed out.
std::shared_ptr<const TimeZoneInfo> CurrentTimeZoneShared();
TimeZoneInfo CurrentTimeZone();

}  // namespace tvk::platform
