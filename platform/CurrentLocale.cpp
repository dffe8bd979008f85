#include <langinfo.h>

#include <clocale>
#include <cstring>
#include <new>

#include "platform/Locale.h"

// The pictures of the C library's LC_TIME formats.

namespace tvk::platform {
namespace {

constexpr const char* kFallbackDate = "yyyy-MM-dd";
constexpr const char* kFallbackTime = "HH:mm:ss";
constexpr const char* kDefaultAmPm = "%I:%M:%S %p";

bool IsCLocale(const char* name) {
  if (name == nullptr) return true;
  return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

std::string LocaleText(nl_item item) {
  const char* text = nl_langinfo(item);
  return text != nullptr ? std::string(text) : std::string();
}

std::string PictureOfLocale(nl_item item, const char* fallback) {
  if (IsCLocale(std::setlocale(LC_TIME, nullptr))) return fallback;
  std::string ampm = LocaleText(T_FMT_AMPM);
  if (ampm.empty()) ampm = kDefaultAmPm;
  std::string picture = PictureFromStrftime(LocaleText(item), ampm);
  return picture.empty() ? std::string(fallback) : picture;
}

}  // namespace

std::string LocaleShortDatePicture() {
  try {
    return PictureOfLocale(D_FMT, kFallbackDate);
  } catch (const std::bad_alloc&) {
    return kFallbackDate;
  }
}

std::string LocaleTimePicture() {
  try {
    return PictureOfLocale(T_FMT, kFallbackTime);
  } catch (const std::bad_alloc&) {
    return kFallbackTime;
  }
}

std::string LocaleListSeparator() {
  const char* point = nl_langinfo(RADIXCHAR);
  return point != nullptr && std::strcmp(point, ",") == 0 ? ";" : ",";
}

}  // namespace tvk::platform
