#include <exception>

#include "platform/Locale.h"
#include "platform/windows/Wide.h"

// The user's regional settings: Windows keeps them as the very pictures the engine formats with.

namespace tvk::platform {
namespace {

constexpr const char* kFallbackDate = "yyyy-MM-dd";
constexpr const char* kFallbackTime = "HH:mm:ss";

std::string LocaleItem(LCTYPE item) {
  wchar_t text[128] = {};
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, item, text, 128) == 0) return {};
  return windows::Narrow(text);
}

// Only fields the picture formatter knows, each at most as long as it reads it, and literals that
// are neither letters nor quotes: quoted text ("d 'de' MMMM") and day names fall back.
bool IsFormattable(const std::string& picture) {
  if (picture.empty()) return false;
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c == '\'' || c == '"') return false;
    if (letter) {
      const std::size_t longest = c == 'y' || c == 'M' ? 4 : c == 'd' || c == 'h' || c == 'H' || c == 'm' ||
                                                                    c == 's' || c == 't' ? 2 : 0;
      if (run > longest || (c == 'y' && run == 3) || (c == 'd' && run > 2)) return false;
    }
    i += run;
  }
  return true;
}

std::string Picture(LCTYPE item, const char* fallback) {
  try {
    const std::string picture = LocaleItem(item);
    return IsFormattable(picture) ? picture : std::string(fallback);
  } catch (const std::exception&) {
    return fallback;
  }
}

}  // namespace

std::string LocaleShortDatePicture() { return Picture(LOCALE_SSHORTDATE, kFallbackDate); }

std::string LocaleTimePicture() { return Picture(LOCALE_STIMEFORMAT, kFallbackTime); }

std::string LocaleListSeparator() {
  try {
    const std::string separator = LocaleItem(LOCALE_SLIST);
    return separator.empty() ? std::string(",") : separator;
  } catch (const std::exception&) {
    return ",";
  }
}

}  // namespace tvk::platform
