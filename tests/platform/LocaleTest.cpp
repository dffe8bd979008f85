#include <gtest/gtest.h>

#include <clocale>

#include "platform/Locale.h"

namespace tvk::platform {
namespace {

TEST(Locale, PictureFromStrftimeMapsExactFieldsOnly) {
  struct Row {
    const char* name;
    const char* format;
    const char* picture;  // "" = no exact picture
    const char* localeAmPm = nullptr;  // what %r stands for, when not the default
  };
  const Row rows[] = {
      {"us short date", "%m/%d/%y", "MM/dd/yy"},
      {"us long year", "%m/%d/%Y", "MM/dd/yyyy"},
      {"german", "%d.%m.%Y", "dd.MM.yyyy"},
      {"iso composite", "%F", "yyyy-MM-dd"},
      {"date composite", "%D", "MM/dd/yy"},
      {"unpadded fields", "%-m/%-d/%Y", "M/d/yyyy"},
      {"month names", "%d %b %Y / %B / %h", "dd MMM yyyy / MMMM / MMM"},
      {"non-ascii literals", "%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5",
       "yyyy\xE5\xB9\xB4MM\xE6\x9C\x88""dd\xE6\x97\xA5"},
      {"24-hour", "%H:%M:%S", "HH:mm:ss"},
      {"time composite", "%T", "HH:mm:ss"},
      {"hour-minute composite", "%R", "HH:mm"},
      {"12-hour", "%I:%M:%S %p", "hh:mm:ss tt"},
      {"unpadded 12-hour", "%-I:%M %p", "h:mm tt"},
      {"locale am/pm composite", "%r", "hh:mm:ss tt"},
      {"unpadded locale am/pm", "%r", "h:mm:ss tt", "%-I:%M:%S %p"},
      {"am/pm first", "%r", "tt hh:mm", "%p %I:%M"},
      {"am/pm composite through itself", "%r", "", "%r"},
      {"am/pm composite of an unmapped field", "%r", "", "%l:%M"},
      {"empty", "", ""},
      {"space-padded day", "%e.%m.%Y", ""},
      {"weekday name", "%a %d.%m.%Y", ""},
      {"era year", "%Ey", ""},
      {"alternative digits", "%Od", ""},
      {"literal letter", "%Hh%M", ""},
      {"literal quote", "%H'%M", ""},
      {"literal percent", "%H%%", ""},
      {"trailing percent", "%H:%", ""},
      {"trailing flag", "%H:%-", ""},
      {"unpadded year", "%-y", ""},
      {"reads as milliseconds", "%H%M%S", ""},
      {"time zone", "%H:%M %Z", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.localeAmPm ? PictureFromStrftime(row.format, row.localeAmPm) : PictureFromStrftime(row.format),
              row.picture);
  }
}

TEST(Locale, CLocaleGivesTheIsoFallbacks) {
  const std::string old = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(LocaleShortDatePicture(), "yyyy-MM-dd");
  EXPECT_EQ(LocaleTimePicture(), "HH:mm:ss");
  EXPECT_EQ(LocaleListSeparator(), ",");
  std::setlocale(LC_ALL, old.c_str());
}

}  // namespace
}  // namespace tvk::platform
