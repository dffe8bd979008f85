#include "platform/TimeZone.h"

#include <cctype>
#include <new>

namespace tvk::platform {
namespace {

constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerDay = 86'400;
// Zone offsets stay within a day; rule times may reach a week (the extended TZif footer grammar).
constexpr int kMaxOffsetHours = 24;
constexpr int kMaxRuleHours = 167;

// A cursor over the rule text; every reader leaves it unmoved on failure only where noted.
class RuleReader {
 public:
  explicit RuleReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // A zone abbreviation: three or more letters, or "<...>" of letters, digits and signs.
  std::optional<std::string> Name() {
    std::string name;
    if (Take('<')) {
      while (!AtEnd() && Peek() != '>') {
        const char c = text_[pos_++];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-') return std::nullopt;
        name += c;
      }
      if (!Take('>')) return std::nullopt;
    } else {
      while (std::isalpha(static_cast<unsigned char>(Peek()))) name += text_[pos_++];
    }
    if (name.size() < 3) return std::nullopt;
    return name;
  }

  std::optional<int> Number(int maxValue) {
    if (!std::isdigit(static_cast<unsigned char>(Peek()))) return std::nullopt;
    int value = 0;
    while (std::isdigit(static_cast<unsigned char>(Peek()))) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > maxValue) return std::nullopt;
    }
    return value;
  }

  // [+|-]hh[:mm[:ss]] in seconds, signed as written.
  std::optional<int> Duration(int maxHours) {
    int sign = 1;
    if (Take('-')) {
      sign = -1;
    } else {
      Take('+');
    }
    const auto hours = Number(maxHours);
    if (!hours) return std::nullopt;
    int seconds = *hours * kSecondsPerHour;
    for (int unit : {60, 1}) {
      if (!Take(':')) break;
      const auto part = Number(59);
      if (!part) return std::nullopt;
      seconds += *part * unit;
    }
    return sign * seconds;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

enum class DateKind { kMonthWeekDay, kJulianNoLeap, kZeroBasedDay };

struct RuleDate {
  DateKind kind = DateKind::kMonthWeekDay;
  int month = 0;
  int week = 0;
  int weekday = 0;
  int day = 0;  // for the day-of-year forms
  int time = 2 * kSecondsPerHour;
};

std::optional<RuleDate> ReadRuleDate(RuleReader& reader) {
  RuleDate date;
  if (reader.Take('M')) {
    const auto month = reader.Number(12);
    if (!month || *month < 1 || !reader.Take('.')) return std::nullopt;
    const auto week = reader.Number(5);
    if (!week || *week < 1 || !reader.Take('.')) return std::nullopt;
    const auto weekday = reader.Number(6);
    if (!weekday) return std::nullopt;
    date.month = *month;
    date.week = *week;
    date.weekday = *weekday;
  } else {
    date.kind = reader.Take('J') ? DateKind::kJulianNoLeap : DateKind::kZeroBasedDay;
    const auto day = reader.Number(365);
    if (!day) return std::nullopt;
    if (date.kind == DateKind::kJulianNoLeap && *day < 1) return std::nullopt;
    date.day = *day;
  }
  if (reader.Take('/')) {
    const auto time = reader.Duration(kMaxRuleHours);
    if (!time) return std::nullopt;
    date.time = *time;
  }
  return date;
}

// Whole days of a rule time move the weekday; the rest is the time of day.
TransitionRule ToTransitionRule(const RuleDate& date) {
  int days = date.time / kSecondsPerDay;
  int rest = date.time % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  TransitionRule rule;
  rule.month = static_cast<std::uint16_t>(date.month);
  rule.occurrence = static_cast<std::uint16_t>(date.week);
  rule.dayOfWeek = static_cast<std::uint16_t>(((date.weekday + days) % 7 + 7) % 7);
  rule.hour = static_cast<std::uint16_t>(rest / kSecondsPerHour);
  rule.minute = static_cast<std::uint16_t>(rest / 60 % 60);
  rule.second = static_cast<std::uint16_t>(rest % 60);
  return rule;
}

bool IsFirstDayOfYear(const RuleDate& date) {
  const bool firstDay = (date.kind == DateKind::kZeroBasedDay && date.day == 0) ||
                        (date.kind == DateKind::kJulianNoLeap && date.day == 1);
  return firstDay && date.time == 0;
}

bool IsPastLastDayOfYear(const RuleDate& date) {
  return date.kind == DateKind::kJulianNoLeap && date.day == 365 && date.time == 25 * kSecondsPerHour;
}

}  // namespace

std::optional<TimeZoneInfo> ParsePosixTimeZone(std::string_view text) {
  if (!text.empty() && text.front() == ':') text.remove_prefix(1);
  RuleReader reader(text);
  TimeZoneInfo info;
  const auto standardName = reader.Name();
  if (!standardName) return std::nullopt;
  const auto standardOffset = reader.Duration(kMaxOffsetHours);
  if (!standardOffset) return std::nullopt;
  info.standardName = *standardName;
  info.bias = *standardOffset / 60;
  if (reader.AtEnd()) return info;

  const auto daylightName = reader.Name();
  if (!daylightName) return std::nullopt;
  int daylightOffset = *standardOffset - kSecondsPerHour;
  if (reader.Peek() != ',' && !reader.AtEnd()) {
    const auto offset = reader.Duration(kMaxOffsetHours);
    if (!offset) return std::nullopt;
    daylightOffset = *offset;
  }
  RuleDate start{DateKind::kMonthWeekDay, 3, 2, 0, 0, 2 * kSecondsPerHour};
  RuleDate end{DateKind::kMonthWeekDay, 11, 1, 0, 0, 2 * kSecondsPerHour};
  if (reader.Take(',')) {
    const auto parsedStart = ReadRuleDate(reader);
    if (!parsedStart || !reader.Take(',')) return std::nullopt;
    const auto parsedEnd = ReadRuleDate(reader);
    if (!parsedEnd) return std::nullopt;
    start = *parsedStart;
    end = *parsedEnd;
  }
  if (!reader.AtEnd()) return std::nullopt;

  info.daylightName = *daylightName;
  if (IsFirstDayOfYear(start) && IsPastLastDayOfYear(end)) {
    info.standardName = *daylightName;
    info.bias = daylightOffset / 60;
    return info;
  }
  if (start.kind != DateKind::kMonthWeekDay || end.kind != DateKind::kMonthWeekDay) return info;
  info.daylightDate = ToTransitionRule(start);
  info.standardDate = ToTransitionRule(end);
  info.daylightBias = (daylightOffset - *standardOffset) / 60;
  return info;
}

std::optional<std::string> TzifFooterRule(std::string_view content) {
  constexpr std::size_t kHeaderSize = 44;
  if (content.size() < kHeaderSize + 2 || content.substr(0, 4) != "TZif") return std::nullopt;
  const char version = content[4];
  if (version < '2' || version > '9') return std::nullopt;
  if (content.back() != '\n') return std::nullopt;
  const std::size_t open = content.rfind('\n', content.size() - 2);
  if (open == std::string_view::npos || open < kHeaderSize) return std::nullopt;
  const std::string_view rule = content.substr(open + 1, content.size() - open - 2);
  if (rule.empty()) return std::nullopt;
  return std::string(rule);
}

}  // namespace tvk::platform
