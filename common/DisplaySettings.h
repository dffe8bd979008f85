#pragma once
// The user's date and time display preferences, shared with the host through the registry
// (HKEY_CURRENT_USER\Software\Tamrel\Dovmark\SystemSettings). Every read sees the hive as it is now
// (an unchanged hive file costs one stat); a missing or mistyped value keeps the last value read (or
// the default). Any thread may read.

#include <memory>
#include <optional>
#include <string>

namespace tvk {

struct DisplaySettingValues {
  bool showDateAndTime = true;
  bool twoColsDateAndTime = false;
  bool useUtc = false;
  bool ignoreDst = false;
  bool useCustomDateFormat = false;
  bool useCustomTimeFormat = false;
  std::string customDateFormat;
  std::string customTimeFormat;
  std::optional<std::string> customListSeparator;  // none read yet: the locale's list separator

  friend bool operator==(const DisplaySettingValues&, const DisplaySettingValues&) = default;
};

// All nine settings from one look at the hive. The values handed out never change; a change to the
// hive gives a new object.
std::shared_ptr<const DisplaySettingValues> ReadDisplaySettings();

bool GetShowDateAndTime();       // default on
bool GetTwoColsDateAndTime();    // default off
bool GetUseUTC();                // default off
bool GetIgnoreDST();             // default off
bool GetUseCustomDateFormat();   // default off
bool GetUseCustomTimeFormat();   // default off
std::string GetCustomDateFormat();     // default empty
std::string GetCustomTimeFormat();     // default empty
std::string GetCustomListSeparator();  // default: the locale's list separator

// Back to the defaults, as at start-up (tests).
void ResetDisplaySettingsCache();

}  // namespace tvk
