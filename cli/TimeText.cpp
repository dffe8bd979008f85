#include "cli/TimeText.h"

#include <cmath>
#include <cstdlib>

#include "common/Calendar.h"
#include "common/Format.h"

namespace tvk::cli {
namespace {

// "UTC" or "UTC-05:00".
std::string ZoneText(int minutes) {
  if (minutes == 0) return "UTC";
  return "UTC" + StrFormat("%c%02d:%02d", minutes < 0 ? '-' : '+', std::abs(minutes) / 60, std::abs(minutes) % 60);
}

}  // namespace

int DisplayOffsetMinutes(const TMSystem::CTMDeviceTime& utc, const DisplaySnapshot& display) {
  if (display.useUtc) return 0;
  const SystemTime fields = TMSystem::DeviceTimeToSystemTime(utc);
  const auto shown = SystemTimeToFileTime(DisplayedFields(fields, display));
  const auto at = SystemTimeToFileTime(fields);
  if (!shown || !at) return 0;
  // Rounded: the displayed fields may drop the milliseconds.
  const double minutes = (static_cast<double>(*shown) - static_cast<double>(*at)) / (60.0 * kTicksPerSecond);
  return static_cast<int>(std::lround(minutes));
}

std::string IsoTime(const TMSystem::CTMDeviceTime& utc, int offsetMinutes) {
  const SystemTime t = AddMinutes(TMSystem::DeviceTimeToSystemTime(utc), offsetMinutes);
  std::string text = StrFormat("%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  if (t.milliseconds != 0) text += StrFormat(".%03d", t.milliseconds);
  return text + (offsetMinutes == 0 ? std::string("Z") : ZoneText(offsetMinutes).substr(3));
}

std::string IsoUtcTime(const TMSystem::CTMDeviceTime& utc) { return IsoTime(utc, 0); }

std::string DisplayZoneText(const DisplaySnapshot& display) {
  if (display.useUtc) return "UTC";
  const platform::TimeZoneInfo& zone = display.zone;
  const std::string standard = ZoneText(-(zone.bias + zone.standardBias));
  if (display.ignoreDst || !zone.HasDaylightRule()) return standard;
  return standard + ", " + ZoneText(-(zone.bias + zone.daylightBias)) + " in daylight time";
}

}  // namespace tvk::cli
