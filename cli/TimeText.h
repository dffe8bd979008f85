#pragma once
// Times as the commands print them for machines and for readers who need to know the zone: ISO 8601
// with the offset the display uses, and the zone a column of display texts is in.

#include <string>

#include "common/DeviceTime.h"
#include "common/LocalTime.h"

namespace tvk::cli {

// Minutes the display's fields are ahead of UTC at `utc` (0 when it shows UTC).
int DisplayOffsetMinutes(const TMSystem::CTMDeviceTime& utc, const DisplaySnapshot& display);

// "2011-03-13T03:06:40-05:00" (".500" when the time has a fraction of a second; "Z" for offset 0).
std::string IsoTime(const TMSystem::CTMDeviceTime& utc, int offsetMinutes);
std::string IsoUtcTime(const TMSystem::CTMDeviceTime& utc);

// The zone display texts are in: "UTC", "UTC-05:00" (UTC+00:00 is "UTC"), or for a zone keeping daylight time
// "UTC-05:00, UTC-04:00 in daylight time".
std::string DisplayZoneText(const DisplaySnapshot& display);

}  // namespace tvk::cli
