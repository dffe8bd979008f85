#pragma once
// The user's locale as Windows-style pictures ("M/d/yyyy", "h:mm:ss tt"), derived from the C
// library's LC_TIME formats; "yyyy-MM-dd", "HH:mm:ss" and "," when the locale gives nothing usable.

#include <string>

namespace tvk::platform {

std::string LocaleShortDatePicture();
std::string LocaleTimePicture();
std::string LocaleListSeparator();

}  // namespace tvk::platform
