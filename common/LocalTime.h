#pragma once
// UTC and local time by the machine's zone rules, the zone label, and the display texts of dates and
// times with the user's display settings applied. All times handed in are UTC unless stated.

#include <memory>
#include <string>
#include <string_view>

#include "common/Calendar.h"
#include "platform/TimeZone.h"

namespace tvk {

SystemTime UtcToLocal(const SystemTime& utc, bool ignoreDst);
SystemTime LocalToUtc(const SystemTime& local, bool ignoreDst);
bool IsDaylightTimeAt(const SystemTime& local, bool ignoreDst);

// "UTC" when times are shown in UTC; else the zone's daylight or standard name for the time, with
// " (Ignore DST)" (string 10589) after the standard name when daylight time is ignored.
std::string TimeZoneLabel(const SystemTime& utc);

// Each text follows the settings and the zone as they stand at the call: a change to either is seen
// at the next call, and while nothing changed a call costs one stat per settings or zone file.
std::string FormatDate(const SystemTime& utc);
std::string FormatTime(const SystemTime& utc);
std::string FormatDateTime(const SystemTime& utc);  // date, a blank, time
std::string FormatDateTimeForTable(const SystemTime& utc);

// A date or time picture parsed once (see FormatWithPicture).
struct CompiledPicture;

// The display settings, the zone rules and the locale's pictures as they stand at one moment. The
// calls above format through the snapshot of the moment; a caller that formats many times alike
// (an export) may take one snapshot and format from it without looking at the files again.
struct DisplaySnapshot {
  bool useUtc = false;
  bool ignoreDst = false;
  bool showDateAndTime = true;
  bool twoColumns = false;
  std::string listSeparator;
  platform::TimeZoneInfo zone;
  std::string datePicture;  // the custom picture when one is in use, else the locale's
  std::string timePicture;
  // Tables take a custom picture whenever its switch is on, even an empty one.
  std::string tableDatePicture;
  std::string tableTimePicture;
  // The pictures above, parsed; a snapshot filled in by hand may leave them null.
  std::shared_ptr<const CompiledPicture> date, time, tableDate, tableTime;
};
DisplaySnapshot TakeDisplaySnapshot();
// The snapshot the live calls use now; shared and never changed once handed out.
std::shared_ptr<const DisplaySnapshot> CurrentDisplaySnapshot();

// The texts the calls above give while the settings are those of `snapshot`.
std::string FormatDate(const SystemTime& utc, const DisplaySnapshot& snapshot);
std::string FormatTime(const SystemTime& utc, const DisplaySnapshot& snapshot);
std::string FormatDateTime(const SystemTime& utc, const DisplaySnapshot& snapshot);
std::string FormatDateTimeForTable(const SystemTime& utc, const DisplaySnapshot& snapshot);
// The calendar fields that text is made from: `utc` in UTC or in the zone's local time.
SystemTime DisplayedFields(const SystemTime& utc, const DisplaySnapshot& snapshot);

// A Windows-style picture ("dd.MM.yyyy HH:mm:ss.ms", "h:mm tt") applied to the fields of `time`.
std::string FormatWithPicture(std::string_view picture, const SystemTime& time);

}  // namespace tvk
