#pragma once
// UTC and local time by the machine's zone rules, the zone label, and the display texts of dates and
// times with the user's display settings applied. All times handed in are UTC unless stated.

#include <string>
#include <string_view>

#include "common/Calendar.h"
#include "platform/TimeZone.h"

namespace tvk {

SystemTime UtcToLocal(const SystemTime& utc, bool ignoreDst);
SystemTime LocalToUtc(const SystemTime& local, bool ignoreDst);
bool IsDaylightTimeAt(const SystemTime& local, bool ignoreDst);

std::string TimeZoneLabel(const SystemTime& utc);

std::string FormatDate(const SystemTime& utc);
std::string FormatTime(const SystemTime& utc);
std::string FormatDateTime(const SystemTime& utc);  // date, a blank, time
std::string FormatDateTimeForTable(const SystemTime& utc);

// The display settings and the zone rules as they stand at one moment. Every call above reads them
// afresh, which is right for one text and slow for a million: an export formats all its rows alike
// from one snapshot.
struct DisplaySnapshot {
  bool useUtc = false;
  bool ignoreDst = false;
  platform::TimeZoneInfo zone;
  std::string datePicture;  // the custom picture when one is in use, else the locale's
  std::string timePicture;
};
DisplaySnapshot TakeDisplaySnapshot();
// The text FormatDateTime gives while the settings are those of `snapshot`.
std::string FormatDateTime(const SystemTime& utc, const DisplaySnapshot& snapshot);
// The calendar fields that text is made from: `utc` in UTC or in the zone's local time.
SystemTime DisplayedFields(const SystemTime& utc, const DisplaySnapshot& snapshot);

// A Windows-style picture ("dd.MM.yyyy HH:mm:ss.ms", "h:mm tt") applied to the fields of `time`.
std::string FormatWithPicture(std::string_view picture, const SystemTime& time);

}  // namespace tvk
