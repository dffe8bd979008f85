#include "common/LocalTime.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>
#include <vector>

#include "common/DisplaySettings.h"
#include "common/Format.h"
#include "common/StringTable.h"
#include "common/TextUtil.h"
#include "platform/Locale.h"
#include "platform/TimeZone.h"

namespace tvk {

// The strftime conversions a picture turns into, split into literal runs and fields. The fields
// that are plain numbers in range are written directly; every other conversion (names, AM/PM, a
// number out of range) goes through strftime on its own, which gives the same text as formatting the
// whole format at once.
struct CompiledPicture {
  enum class Field : std::uint8_t {
    kLiteral, kYear4, kYear2, kMonth, kDay, kHour, kHour12, kMinute, kSecond, kStrftime
  };
  struct Segment {
    Field field = Field::kLiteral;
    bool padded = true;
    std::string text;  // the literal text, or the conversion as strftime takes it
  };
  std::vector<Segment> segments;
  std::size_t maxLength = 0;  // a longer result does not fit the runtime's buffer: empty text
};

namespace {

using platform::TimeZoneInfo;
using platform::TransitionRule;
using Field = CompiledPicture::Field;

// The rule's date in `year`: the occurrence-th matching weekday of the month, or the last one counted
// when the month has fewer (the 1st when none matches). Dates before 1970 all count as Sundays, so a
// rule there falls on the occurrence-th day of its month (or the 1st); from 1970 on the weekday is the
// true one. The time of day is the rule's.
SystemTime TransitionDate(const TransitionRule& rule, int year) {
  const int lastDay = DaysInMonth(year, rule.month);
  int day = 1;
  if (rule.occurrence > 0 && rule.dayOfWeek < 7 && lastDay > 0) {
    if (year < 1970) {
      if (rule.dayOfWeek == 0) day = std::min<int>(rule.occurrence, lastDay);
    } else {
      const int first = (rule.dayOfWeek - DayOfWeek(year, rule.month, 1) + 7) % 7 + 1;
      day = first + 7 * (rule.occurrence - 1);
      while (day > lastDay) day -= 7;
    }
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

// Applies the first rule of the group whose pattern occurs; true when one did.
bool ReplaceFirstMatching(std::string& text, std::initializer_list<std::pair<std::string_view, std::string_view>> group) {
  for (const auto& [from, to] : group) {
    if (ReplaceAll(text, from, to) > 0) return true;
  }
  return false;
}

std::string PictureToStrftime(std::string_view picture) {
  std::string format(picture);
  ReplaceFirstMatching(format, {{"yyyy", "%Y"}, {"YYYY", "%Y"}, {"yy", "%y"}, {"YY", "%y"}});
  // Month numbers wait behind placeholders so the minute rules cannot take their "m".
  ReplaceFirstMatching(format, {{"MMMM", "%B"}, {"MMM", "%b"}, {"MM", "%BB"}, {"M", "%#B"}});
  ReplaceFirstMatching(format, {{"DD", "%d"}, {"dd", "%d"}, {"D", "%#d"}, {"d", "%#d"}});
  ReplaceAll(format, "ms", "%%lll");
  const bool twelveHour = !ReplaceFirstMatching(format, {{"HH", "%H"}, {"H", "%#H"}}) &&
                          ReplaceFirstMatching(format, {{"hh", "%I"}, {"h", "%#I"}});
  ReplaceFirstMatching(format, {{"mm", "%M"}, {"m", "%#M"}});
  ReplaceAll(format, "%BB", "%m");
  ReplaceAll(format, "%#B", "%#m");
  ReplaceFirstMatching(format, {{"ss", "%S"}, {"s", "%#S"}});
  ReplaceAll(format, "tt", "%p");
  if (twelveHour && format.find("%p") == std::string::npos) format += "%p";
  return format;
}

Field FieldOf(char letter) {
  switch (letter) {
    case 'Y': return Field::kYear4;
    case 'y': return Field::kYear2;
    case 'm': return Field::kMonth;
    case 'd': return Field::kDay;
    case 'H': return Field::kHour;
    case 'I': return Field::kHour12;
    case 'M': return Field::kMinute;
    case 'S': return Field::kSecond;
    default: return Field::kStrftime;
  }
}

void AppendLiteral(CompiledPicture& compiled, std::string_view text) {
  if (compiled.segments.empty() || compiled.segments.back().field != Field::kLiteral) {
    compiled.segments.push_back({Field::kLiteral, true, {}});
  }
  compiled.segments.back().text += text;
}

// The "no leading zero" flag is "%#x" in the pictures' native runtime and "%-x" in the C library here.
CompiledPicture Compile(std::string_view picture) {
  const std::string format = PictureToStrftime(picture);
  CompiledPicture compiled;
  compiled.maxLength = format.size() + 255;
  for (std::size_t i = 0; i < format.size();) {
    const std::size_t percent = format.find('%', i);
    if (percent != i) {
      AppendLiteral(compiled, std::string_view(format).substr(i, percent - i));
      if (percent == std::string::npos) break;
    }
    // A conversion: '%', flags, width, an E or O modifier, then its letter.
    std::size_t end = percent + 1;
    while (end < format.size() && std::strchr("_-0^#", format[end]) != nullptr) ++end;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9') ++end;
    if (end < format.size() && (format[end] == 'E' || format[end] == 'O')) ++end;
    std::string conversion = format.substr(percent, end + 1 - percent);
    if (conversion.size() > 2 && conversion[1] == '#') conversion[1] = '-';
    i = end + 1;
    if (conversion == "%%") {
      AppendLiteral(compiled, "%");
      continue;
    }
    const bool simple = conversion.size() == 2 || (conversion.size() == 3 && conversion[1] == '-');
    const Field field = simple ? FieldOf(conversion.back()) : Field::kStrftime;
    const bool padded = conversion.size() == 2;
    const bool paddingMatters = field != Field::kYear4 && field != Field::kYear2;
    const bool direct = field != Field::kStrftime && (padded || paddingMatters);
    compiled.segments.push_back({direct ? field : Field::kStrftime, padded, std::move(conversion)});
  }
  return compiled;
}

void AppendNumber(std::string& out, int value, bool padded) {
  if (value >= 10 || padded) out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

// The number a field shows, or -1 when it lies outside the range written directly.
int FieldValue(Field field, const SystemTime& time) {
  auto within = [](int value, int low, int high) { return value >= low && value <= high ? value : -1; };
  switch (field) {
    case Field::kYear2: return time.year % 100;
    case Field::kMonth: return within(time.month, 1, 12);
    case Field::kDay: return within(time.day, 1, 31);
    case Field::kHour: return within(time.hour, 0, 23);
    case Field::kHour12: return time.hour > 23 ? -1 : (time.hour % 12 == 0 ? 12 : time.hour % 12);
    case Field::kMinute: return within(time.minute, 0, 59);
    case Field::kSecond: return within(time.second, 0, 60);
    default: return -1;
  }
}

void AppendStrftime(std::string& out, const std::string& conversion, const SystemTime& time) {
  std::tm fields = ToTmFields(time);
  // Pictures format with weekday and day of the year 0.
  fields.tm_wday = 0;
  fields.tm_yday = 0;
  char buffer[256];
  out.append(buffer, std::strftime(buffer, sizeof buffer, conversion.c_str(), &fields));
}

std::string Format(const CompiledPicture& picture, const SystemTime& time) {
  std::string out;
  out.reserve(32);
  for (const CompiledPicture::Segment& segment : picture.segments) {
    switch (segment.field) {
      case Field::kLiteral:
        out += segment.text;
        break;
      case Field::kYear4:
        if (time.year >= 1000 && time.year <= 9999) {
          AppendNumber(out, time.year / 100, true);
          AppendNumber(out, time.year % 100, true);
        } else {
          AppendStrftime(out, segment.text, time);
        }
        break;
      case Field::kStrftime:
        AppendStrftime(out, segment.text, time);
        break;
      default:
        if (const int value = FieldValue(segment.field, time); value >= 0) {
          AppendNumber(out, value, segment.padded);
        } else {
          AppendStrftime(out, segment.text, time);
        }
    }
  }
  if (out.size() > picture.maxLength) return {};
  // The milliseconds placeholder survives as "%lll"; only it is filled in, so any other '%' the
  // picture produced stays literal.
  if (out.find("%lll") != std::string::npos) ReplaceAll(out, "%lll", StrFormat("%03d", time.milliseconds));
  return out;
}

// Parsed pictures by their text; a settings file holds a handful, the locale two.
class PictureCache {
 public:
  std::shared_ptr<const CompiledPicture> Get(std::string_view picture) {
    std::lock_guard guard(lock_);
    const auto it = pictures_.find(picture);
    if (it != pictures_.end()) return it->second;
    if (pictures_.size() >= kMaxPictures) pictures_.clear();
    auto compiled = std::make_shared<const CompiledPicture>(Compile(picture));
    pictures_.emplace(std::string(picture), compiled);
    return compiled;
  }

 private:
  static constexpr std::size_t kMaxPictures = 64;
  std::mutex lock_;
  std::map<std::string, std::shared_ptr<const CompiledPicture>, std::less<>> pictures_;
};

std::shared_ptr<const CompiledPicture> CompiledOf(std::string_view picture) {
  static PictureCache cache;
  return cache.Get(picture);
}

std::string Format(const std::shared_ptr<const CompiledPicture>& compiled, const std::string& picture,
                   const SystemTime& time) {
  return compiled != nullptr ? Format(*compiled, time) : Format(*CompiledOf(picture), time);
}

DisplaySnapshot BuildSnapshot(const DisplaySettingValues& settings, const TimeZoneInfo& zone) {
  DisplaySnapshot snapshot;
  snapshot.useUtc = settings.useUtc;
  snapshot.ignoreDst = settings.ignoreDst;
  snapshot.showDateAndTime = settings.showDateAndTime;
  snapshot.twoColumns = settings.twoColsDateAndTime;
  snapshot.listSeparator = settings.customListSeparator.value_or(platform::LocaleListSeparator());
  snapshot.zone = zone;
  const std::string localeDate = platform::LocaleShortDatePicture();
  const std::string localeTime = platform::LocaleTimePicture();
  const bool customDate = settings.useCustomDateFormat && !settings.customDateFormat.empty();
  const bool customTime = settings.useCustomTimeFormat && !settings.customTimeFormat.empty();
  snapshot.datePicture = customDate ? settings.customDateFormat : localeDate;
  snapshot.timePicture = customTime ? settings.customTimeFormat : localeTime;
  snapshot.tableDatePicture = settings.useCustomDateFormat ? settings.customDateFormat : localeDate;
  snapshot.tableTimePicture = settings.useCustomTimeFormat ? settings.customTimeFormat : localeTime;
  snapshot.date = CompiledOf(snapshot.datePicture);
  snapshot.time = CompiledOf(snapshot.timePicture);
  snapshot.tableDate = CompiledOf(snapshot.tableDatePicture);
  snapshot.tableTime = CompiledOf(snapshot.tableTimePicture);
  return snapshot;
}

// The snapshot of the last call and what it was built from. Settings and zone are compared by
// object: their caches hand out the same object while their files are unchanged.
class SnapshotCache {
 public:
  std::shared_ptr<const DisplaySnapshot> Current() {
    auto settings = ReadDisplaySettings();
    auto zone = platform::CurrentTimeZoneShared();
    const char* timeLocale = std::setlocale(LC_TIME, nullptr);
    const char* numericLocale = std::setlocale(LC_NUMERIC, nullptr);
    std::lock_guard guard(lock_);
    if (snapshot_ != nullptr && settings == settings_ && zone == zone_ && SameText(timeLocale, timeLocale_) &&
        SameText(numericLocale, numericLocale_)) {
      return snapshot_;
    }
    snapshot_ = std::make_shared<const DisplaySnapshot>(BuildSnapshot(*settings, *zone));
    settings_ = std::move(settings);
    zone_ = std::move(zone);
    timeLocale_ = timeLocale != nullptr ? timeLocale : "";
    numericLocale_ = numericLocale != nullptr ? numericLocale : "";
    return snapshot_;
  }

 private:
  static bool SameText(const char* now, const std::string& before) { return now != nullptr && before == now; }

  std::mutex lock_;
  std::shared_ptr<const DisplaySettingValues> settings_;
  std::shared_ptr<const TimeZoneInfo> zone_;
  std::string timeLocale_;
  std::string numericLocale_;
  std::shared_ptr<const DisplaySnapshot> snapshot_;
};

SystemTime ShownTime(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  if (snapshot.useUtc) return utc;
  return AddMinutes(utc, -OffsetMinutes(snapshot.zone, utc, true, snapshot.ignoreDst));
}

}  // namespace

SystemTime UtcToLocal(const SystemTime& utc, bool ignoreDst) {
  try {
    return AddMinutes(utc, -OffsetMinutes(*platform::CurrentTimeZoneShared(), utc, true, ignoreDst));
  } catch (const std::exception&) {
    return utc;
  }
}

SystemTime LocalToUtc(const SystemTime& local, bool ignoreDst) {
  try {
    return AddMinutes(local, OffsetMinutes(*platform::CurrentTimeZoneShared(), local, false, ignoreDst));
  } catch (const std::exception&) {
    return local;
  }
}

bool IsDaylightTimeAt(const SystemTime& local, bool ignoreDst) {
  try {
    const auto zone = platform::CurrentTimeZoneShared();
    if (!zone->HasDaylightRule()) return false;
    return OffsetMinutes(*zone, local, false, ignoreDst) != OffsetMinutes(*zone, local, false, true);
  } catch (const std::exception&) {
    return false;
  }
}

std::string TimeZoneLabel(const SystemTime& utc) {
  try {
    const auto snapshot = CurrentDisplaySnapshot();
    if (snapshot->useUtc) return "UTC";
    const TimeZoneInfo& zone = snapshot->zone;
    if (snapshot->ignoreDst) {
      return StrFormat("%s (%s)", zone.standardName.c_str(), GetSystemString(10589).c_str());
    }
    const SystemTime local = AddMinutes(utc, -OffsetMinutes(zone, utc, true, false));
    const bool daylight = zone.HasDaylightRule() &&
                          OffsetMinutes(zone, local, false, false) != OffsetMinutes(zone, local, false, true);
    return daylight ? zone.daylightName : zone.standardName;
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatWithPicture(std::string_view picture, const SystemTime& time) {
  try {
    return Format(*CompiledOf(picture), time);
  } catch (const std::exception&) {
    return {};
  }
}

std::shared_ptr<const DisplaySnapshot> CurrentDisplaySnapshot() {
  try {
    static SnapshotCache cache;
    return cache.Current();
  } catch (const std::exception&) {
    return std::make_shared<const DisplaySnapshot>();
  }
}

DisplaySnapshot TakeDisplaySnapshot() {
  try {
    return *CurrentDisplaySnapshot();
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDate(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  try {
    return Format(snapshot.date, snapshot.datePicture, ShownTime(utc, snapshot));
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatTime(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  try {
    return Format(snapshot.time, snapshot.timePicture, ShownTime(utc, snapshot));
  } catch (const std::exception&) {
    return {};
  }
}

SystemTime DisplayedFields(const SystemTime& utc, const DisplaySnapshot& snapshot) { return ShownTime(utc, snapshot); }

std::string FormatDateTime(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  try {
    const SystemTime shown = ShownTime(utc, snapshot);
    std::string text = Format(snapshot.date, snapshot.datePicture, shown);
    text += ' ';
    text += Format(snapshot.time, snapshot.timePicture, shown);
    return text;
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDateTimeForTable(const SystemTime& utc, const DisplaySnapshot& snapshot) {
  try {
    const SystemTime shown = ShownTime(utc, snapshot);
    std::string text = Format(snapshot.tableDate, snapshot.tableDatePicture, shown);
    if (!snapshot.showDateAndTime) return text;
    text += snapshot.twoColumns ? snapshot.listSeparator : std::string(" ");
    text += Format(snapshot.tableTime, snapshot.tableTimePicture, shown);
    return text;
  } catch (const std::exception&) {
    return {};
  }
}

std::string FormatDate(const SystemTime& utc) { return FormatDate(utc, *CurrentDisplaySnapshot()); }
std::string FormatTime(const SystemTime& utc) { return FormatTime(utc, *CurrentDisplaySnapshot()); }
std::string FormatDateTime(const SystemTime& utc) { return FormatDateTime(utc, *CurrentDisplaySnapshot()); }
std::string FormatDateTimeForTable(const SystemTime& utc) {
  return FormatDateTimeForTable(utc, *CurrentDisplaySnapshot());
}

}  // namespace tvk
