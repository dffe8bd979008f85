#include "common/LocalTime.h"

#include <ctime>
#include <vector>

#include "common/DisplaySettings.h"
#include "common/Format.h"
#include "common/StringTable.h"
#include "platform/Locale.h"
#include "platform/TimeZone.h"

namespace tvk {
namespace {

using platform::TimeZoneInfo;
using platform::TransitionRule;

// Dates before 1970 all count as Sundays, so a rule there falls on the occurrence-th day of its month
// (or the 1st). From 1970 on the weekday is (4 + days since 1970-01-01) mod 7, continued without end:
// the true weekday.
int TransitionWeekday(int year, int month, int day) {
  if (year < 1970) return 0;
  return DayOfWeek(year, month, day);
}

// The rule's date in `year`: the occurrence-th matching weekday of the month, or the last one counted
// when the month has fewer (the 1st when none matches). The time of day is the rule's.
SystemTime TransitionDate(const TransitionRule& rule, int year) {
  const int lastDay = DaysInMonth(year, rule.month);
  int day = 1;
  int count = 0;
  for (int d = 1; d <= lastDay && count < rule.occurrence; ++d) {
    if (TransitionWeekday(year, rule.month, d) != rule.dayOfWeek) continue;
    day = d;
    ++count;
  }
  return MakeSystemTime(year, rule.month, day, rule.hour, rule.minute, rule.second);
}

// Minutes to add to a time of the zone's clock to reach UTC. `time` is UTC when `timeIsUtc`, else
// local. The transition dates are moved to UTC by the zone bias alone, so the hour after the return
// to standard time still counts as daylight time for UTC input.
std::int64_t OffsetMinutes(const TimeZoneInfo& zone, const SystemTime& time, bool timeIsUtc, bool ignoreDst) {
  if (ignoreDst || !zone.HasDaylightRule()) return zone.bias;
  SystemTime daylightStart = TransitionDate(zone.daylightDate, time.year);
  SystemTime standardStart = TransitionDate(zone.standardDate, time.year);
  const bool northern = SystemTimeLess(daylightStart, standardStart);
  if (timeIsUtc) {
    daylightStart = AddMinutes(daylightStart, zone.bias);
    standardStart = AddMinutes(standardStart, zone.bias);
  }
  const bool afterDaylightStart = !SystemTimeLess(time, daylightStart);
  const bool beforeStandardStart = SystemTimeLess(time, standardStart);
  const bool daylight =
      northern ? afterDaylightStart && beforeStandardStart : afterDaylightStart || beforeStandardStart;
  return zone.bias + (daylight ? zone.daylightBias : zone.standardBias);
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

// Applies the first rule of the group whose pattern occurs; true when one did.
bool ReplaceFirstMatching(std::string& text, std::initializer_list<std::pair<std::string_view, std::string_view>> group) {
  for (const auto& [from, to] : group) {
    if (text.find(from) == std::string::npos) continue;
    text = ReplaceAll(std::move(text), from, to);
    return true;
  }
  return false;
}

std::string PictureToStrftime(std::string_view picture) {
  std::string format(picture);
  ReplaceFirstMatching(format, {{"yyyy", "%Y"}, {"YYYY", "%Y"}, {"yy", "%y"}, {"YY", "%y"}});
  // Month numbers wait behind placeholders so the minute rules cannot take their "m".
  ReplaceFirstMatching(format, {{"MMMM", "%B"}, {"MMM", "%b"}, {"MM", "%BB"}, {"M", "%#B"}});
  ReplaceFirstMatching(format, {{"DD", "%d"}, {"dd", "%d"}, {"D", "%#d"}, {"d", "%#d"}});
  format = ReplaceAll(std::move(format), "ms", "%%lll");
  const bool twelveHour = !ReplaceFirstMatching(format, {{"HH", "%H"}, {"H", "%#H"}}) &&
                          ReplaceFirstMatching(format, {{"hh", "%I"}, {"h", "%#I"}});
  ReplaceFirstMatching(format, {{"mm", "%M"}, {"m", "%#M"}});
  format = ReplaceAll(std::move(format), "%BB", "%m");
  format = ReplaceAll(std::move(format), "%#B", "%#m");
  ReplaceFirstMatching(format, {{"ss", "%S"}, {"s", "%#S"}});
  format = ReplaceAll(std::move(format), "tt", "%p");
  if (twelveHour && format.find("%p") == std::string::npos) format += "%p";
  return format;
}

// The "no leading zero" flag is "%#x" in the pictures' native runtime and "%-x" in the C library here.
std::string ToLibcFlags(const std::string& format) {
  std::string out;
  out.reserve(format.size());
  for (std::size_t i = 0; i < format.size(); ++i) {
    out += format[i];
    if (format[i] != '%' || i + 1 >= format.size()) continue;
    const char next = format[++i];
    out += next == '#' ? '-' : next;
  }
  return out;
}

std::string FormatFields(const std::string& format, const SystemTime& time) {
  std::tm fields = ToTmFields(time);
  fields.tm_wday = 0;  // pictures format with weekday and day of the year 0
  fields.tm_yday = 0;
  std::vector<char> buffer(format.size() + 255 + 1);
  const std::size_t length = std::strftime(buffer.data(), buffer.size(), ToLibcFlags(format).c_str(), &fields);
  return std::string(buffer.data(), length);
}

SystemTime DisplayedTime(const SystemTime& utc) { return GetUseUTC() ? utc : UtcToLocal(utc, GetIgnoreDST()); }

// `useCustom` decides alone: an empty custom picture then gives an empty text.
std::string DateText(const SystemTime& shown, bool useCustom) {
  return FormatWithPicture(useCustom ? GetCustomDateFormat() : platform::LocaleShortDatePicture(), shown);
}

std::string TimeText(const SystemTime& shown, bool useCustom) {
  return FormatWithPicture(useCustom ? GetCustomTimeFormat() : platform::LocaleTimePicture(), shown);
}

}  // namespace

SystemTime UtcToLocal(const SystemTime& utc, bool ignoreDst) {
  try {
    const TimeZoneInfo zone = platform::CurrentTimeZone();
    return AddMinutes(utc, -OffsetMinutes(zone, utc, true, ignoreDst));
  } catch (const std::exception&) {
    return utc;
  }
}

SystemTime LocalToUtc(const SystemTime& local, bool ignoreDst) {
  try {
    const TimeZoneInfo zone = platform::CurrentTimeZone();
    return AddMinutes(local, OffsetMinutes(zone, local, false, ignoreDst));
  } catch (const std::exception&) {
    return local;
  }
}

bool IsDaylightTimeAt(const SystemTime& local, bool ignoreDst) {
  try {
    const TimeZoneInfo zone = platform::CurrentTimeZone();
    if (!zone.HasDaylightRule()) return false;
    return OffsetMinutes(zone, local, false, ignoreDst) != OffsetMinutes(zone, local, false, true);
  } catch (const std::exception&) {
    return false;
  }
}

std::string TimeZoneLabel(const SystemTime& utc) {
  if (GetUseUTC()) return "UTC";
  const bool ignoreDst = GetIgnoreDST();
  std::string name;
  try {
    const TimeZoneInfo zone = platform::CurrentTimeZone();
    const bool daylight = !ignoreDst && IsDaylightTimeAt(UtcToLocal(utc, false), false);
    name = daylight && !zone.daylightName.empty() ? zone.daylightName : zone.standardName;
  } catch (const std::exception&) {
    name = "UTC";
  }
  return ignoreDst ? StrFormat("%s (%s)", name.c_str(), GetSystemString(10589).c_str()) : name;
}

std::string FormatWithPicture(std::string_view picture, const SystemTime& time) {
  try {
    const std::string text = FormatFields(PictureToStrftime(picture), time);
    // The milliseconds placeholder survives strftime as "%lll"; only it is filled in, so any other
    // '%' the picture produced stays literal.
    return ReplaceAll(text, "%lll", StrFormat("%03d", time.milliseconds));
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDate(const SystemTime& utc) {
  try {
    return DateText(DisplayedTime(utc), GetUseCustomDateFormat() && !GetCustomDateFormat().empty());
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatTime(const SystemTime& utc) {
  try {
    return TimeText(DisplayedTime(utc), GetUseCustomTimeFormat() && !GetCustomTimeFormat().empty());
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDateTime(const SystemTime& utc) {
  try {
    return FormatDate(utc) + " " + FormatTime(utc);
  } catch (const std::exception&) {
    return {};
  }
}

DisplaySnapshot TakeDisplaySnapshot() {
  DisplaySnapshot snapshot;
  try {
    snapshot.useUtc = GetUseUTC();
    snapshot.ignoreDst = GetIgnoreDST();
    snapshot.zone = platform::CurrentTimeZone();
    const bool customDate = GetUseCustomDateFormat() && !GetCustomDateFormat().empty();
    snapshot.datePicture = customDate ? GetCustomDateFormat() : platform::LocaleShortDatePicture();
    const bool customTime = GetUseCustomTimeFormat() && !GetCustomTimeFormat().empty();
    snapshot.timePicture = customTime ? GetCustomTimeFormat() : platform::LocaleTimePicture();
  } catch (const std::exception&) {
  }
  return snapshot;
}

SystemTime DisplayedFields(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  return snapshot.useUtc ? utc : AddMinutes(utc, -OffsetMinutes(snapshot.zone, utc, true, snapshot.ignoreDst));
}

std::string FormatDateTime(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  try {
    const SystemTime shown = DisplayedFields(utc, snapshot);
    return FormatWithPicture(snapshot.datePicture, shown) + " " + FormatWithPicture(snapshot.timePicture, shown);
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDateTimeForTable(const SystemTime& utc) {
  try {
    const SystemTime shown = DisplayedTime(utc);
    const std::string date = DateText(shown, GetUseCustomDateFormat());
    if (!GetShowDateAndTime()) return date;
    const std::string separator = GetTwoColsDateAndTime() ? GetCustomListSeparator() : " ";
    return date + separator + TimeText(shown, GetUseCustomTimeFormat());
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tvk
