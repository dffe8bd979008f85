#pragma once
// The user's locale as Windows-style pictures ("M/d/yyyy", "h:mm:ss tt"), derived from the C
// library's LC_TIME formats; "yyyy-MM-dd", "HH:mm:ss" and "," when the locale gives nothing usable.

#include <string>
#include <string_view>

namespace tvk::platform {

std::string LocaleShortDatePicture();
std::string LocaleTimePicture();
std::string LocaleListSeparator();

// The picture of a strftime format, or empty when any part of it has no exact equivalent that the
// picture formatter understands. "%r" stands for `ampmFormat` (the locale's T_FMT_AMPM).
std::string PictureFromStrftime(std::string_view format,
                                std::string_view ampmFormat = "%I:%M:%S %p");

}  // namespace tvk::platform
