#pragma once
// The user's date and time display preferences, shared with the host through the registry
// (HKEY_CURRENT_USER\Software\Tamrel\Dovmark\SystemSettings). Every getter reads the registry afresh;
// a missing or mistyped value keeps the last value read (or the default).

#include <string>

namespace tvk {

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
