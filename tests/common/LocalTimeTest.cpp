#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "common/DisplaySettings.h"
#include "common/LocalTime.h"
#include "platform/Locale.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kEasternAustralia = "AEST-10AEDT,M10.1.0,M4.1.0/3";

struct ConversionCase {
  const char* name;
  SystemTime from;
  SystemTime expected;
};

void ExpectUtcToLocal(const ConversionCase* begin, const ConversionCase* end) {
  for (const ConversionCase* c = begin; c != end; ++c) {
    SCOPED_TRACE(c->name);
    EXPECT_EQ(UtcToLocal(c->from, false), c->expected);
  }
}

TEST(LocalTime, NorthernRuleAcrossBothTransitions) {
  test::ScopedZoneEnv zone("TZ", kCentralEurope);
  const ConversionCase cases[] = {
      {"winter", MakeSystemTime(2021, 1, 15, 12), MakeSystemTime(2021, 1, 15, 13)},
      {"before spring change", MakeSystemTime(2021, 3, 28, 0, 59), MakeSystemTime(2021, 3, 28, 1, 59)},
      {"at spring change", MakeSystemTime(2021, 3, 28, 1, 0), MakeSystemTime(2021, 3, 28, 3, 0)},
      {"summer", MakeSystemTime(2021, 7, 1, 12), MakeSystemTime(2021, 7, 1, 14)},
      {"before autumn change", MakeSystemTime(2021, 10, 31, 0, 59), MakeSystemTime(2021, 10, 31, 2, 59)},
      // The return to standard time is moved to UTC by the zone bias alone.
      {"hour after autumn change", MakeSystemTime(2021, 10, 31, 1, 30), MakeSystemTime(2021, 10, 31, 3, 30)},
      {"at autumn change by the bias", MakeSystemTime(2021, 10, 31, 2, 0), MakeSystemTime(2021, 10, 31, 3, 0)},
      {"later years use true weekdays", MakeSystemTime(2030, 3, 31, 1, 0), MakeSystemTime(2030, 3, 31, 3, 0)},
      {"later years, day before", MakeSystemTime(2030, 3, 30, 1, 0), MakeSystemTime(2030, 3, 30, 2, 0)},
  };
  ExpectUtcToLocal(std::begin(cases), std::end(cases));
}

TEST(LocalTime, SouthernRuleAcrossBothTransitions) {
  test::ScopedZoneEnv zone("TZ", kEasternAustralia);
  const ConversionCase cases[] = {
      {"summer at the year's start", MakeSystemTime(2021, 1, 15), MakeSystemTime(2021, 1, 15, 11)},
      {"before autumn change", MakeSystemTime(2021, 4, 3, 15, 59), MakeSystemTime(2021, 4, 4, 2, 59)},
      {"at autumn change by the bias", MakeSystemTime(2021, 4, 3, 17, 0), MakeSystemTime(2021, 4, 4, 3, 0)},
      {"winter", MakeSystemTime(2021, 7, 1), MakeSystemTime(2021, 7, 1, 10)},
      {"before spring change", MakeSystemTime(2021, 10, 2, 15, 59), MakeSystemTime(2021, 10, 3, 1, 59)},
      {"at spring change", MakeSystemTime(2021, 10, 2, 16, 0), MakeSystemTime(2021, 10, 3, 3, 0)},
      {"into the new year", MakeSystemTime(2021, 12, 31, 14), MakeSystemTime(2022, 1, 1, 1)},
  };
  ExpectUtcToLocal(std::begin(cases), std::end(cases));
}

TEST(LocalTime, LocalToUtcComparesWithUnshiftedDates) {
  test::ScopedZoneEnv zone("TZ", kCentralEurope);
  const ConversionCase cases[] = {
      {"before spring change", MakeSystemTime(2021, 3, 28, 1, 59), MakeSystemTime(2021, 3, 28, 0, 59)},
      {"skipped hour counts as daylight", MakeSystemTime(2021, 3, 28, 2, 30), MakeSystemTime(2021, 3, 28, 0, 30)},
      {"summer", MakeSystemTime(2021, 7, 1, 14), MakeSystemTime(2021, 7, 1, 12)},
      {"repeated hour counts as daylight", MakeSystemTime(2021, 10, 31, 2, 30), MakeSystemTime(2021, 10, 31, 0, 30)},
      {"at autumn change", MakeSystemTime(2021, 10, 31, 3, 0), MakeSystemTime(2021, 10, 31, 2, 0)},
      {"into the old year", MakeSystemTime(2022, 1, 1, 0, 30), MakeSystemTime(2021, 12, 31, 23, 30)},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LocalToUtc(c.from, false), c.expected);
  }
}

struct DaylightCase {
  const char* name;
  SystemTime local;
  bool daylight;
};

void ExpectDaylight(const char* rule, std::initializer_list<DaylightCase> cases) {
  test::ScopedZoneEnv zone("TZ", rule);
  for (const DaylightCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsDaylightTimeAt(c.local, false), c.daylight);
    EXPECT_FALSE(IsDaylightTimeAt(c.local, true));
  }
}

TEST(LocalTime, FifthOccurrenceIsTheLastWeekday) {
  // August 2021 has five Sundays (the last on the 29th), September four (the last on the 26th).
  ExpectDaylight("XST0XDT,M8.5.0/0,M9.5.0/0", {
      {"day before the fifth Sunday", MakeSystemTime(2021, 8, 28, 23, 59), false},
      {"fifth Sunday", MakeSystemTime(2021, 8, 29), true},
      {"day before the fourth and last Sunday", MakeSystemTime(2021, 9, 25, 23, 59), true},
      {"fourth and last Sunday", MakeSystemTime(2021, 9, 26), false},
  });
  // The last Monday of February: the 29th in the leap year 2016, the 23rd in 2015.
  ExpectDaylight("XST0XDT,M2.5.1/0,M11.1.0/0", {
      {"leap year, day before", MakeSystemTime(2016, 2, 28, 23, 59), false},
      {"leap year, 29th", MakeSystemTime(2016, 2, 29), true},
      {"common year, day before", MakeSystemTime(2015, 2, 22, 23, 59), false},
      {"common year, 23rd", MakeSystemTime(2015, 2, 23), true},
  });
  // Before 1970 every day counts as a Sunday, so the fifth "Sunday" of a month is its 5th.
  ExpectDaylight(kCentralEurope, {
      {"1969, 4th of March", MakeSystemTime(1969, 3, 4, 12), false},
      {"1969, 5th of March", MakeSystemTime(1969, 3, 5, 12), true},
      {"1969, 4th of October", MakeSystemTime(1969, 10, 4, 12), true},
      {"1969, 5th of October", MakeSystemTime(1969, 10, 5, 12), false},
  });
}

TEST(LocalTime, IgnoreDstUsesTheBiasAllYear) {
  for (const char* rule : {kCentralEurope, kEasternAustralia}) {
    test::ScopedZoneEnv zone("TZ", rule);
    const int bias = rule == kCentralEurope ? -60 : -600;
    for (SystemTime utc = MakeSystemTime(2021, 1, 1, 12); utc.year == 2021; utc = AddMinutes(utc, 24 * 60)) {
      SCOPED_TRACE(std::string(rule) + " day " + std::to_string(utc.month) + "-" + std::to_string(utc.day));
      const SystemTime local = UtcToLocal(utc, true);
      ASSERT_EQ(local, AddMinutes(utc, -bias));
      ASSERT_EQ(LocalToUtc(local, true), utc);
    }
  }
}

TEST(LocalTime, ZonesWithoutDaylightRuleShiftByBiasOnly) {
  const SystemTime summer = MakeSystemTime(2021, 7, 1, 12);
  test::ScopedZoneEnv zone("TZ", "<+0330>-3:30<+0430>,J79/24,J263/24");
  EXPECT_EQ(UtcToLocal(summer, false), MakeSystemTime(2021, 7, 1, 15, 30));
  EXPECT_FALSE(IsDaylightTimeAt(summer, false));
}

struct PictureCase {
  const char* name;
  const char* picture;
  SystemTime time;
  const char* expected;
};

TEST(LocalTime, FormatsWithPicture) {
  const SystemTime morning = MakeSystemTime(2021, 3, 4, 5, 6, 7, 89);
  const SystemTime evening = MakeSystemTime(2021, 11, 24, 17, 6, 7);
  const PictureCase cases[] = {
      {"day first with milliseconds", "dd.MM.yyyy HH:mm:ss.ms", morning, "04.03.2021 05:06:07.089"},
      {"no leading zeros", "M/d/yyyy", morning, "3/4/2021"},
      {"12-hour clock gets the mark appended", "h:mm", morning, "5:06AM"},
      {"12-hour clock in the afternoon", "h:mm", evening, "5:06PM"},
      {"explicit mark", "hh:mm:ss tt", morning, "05:06:07 AM"},
      {"midnight on a 12-hour clock", "h:mm tt", MakeSystemTime(2021, 3, 4, 0, 5), "12:05 AM"},
      {"24-hour clock without zeros", "H:m:s", morning, "5:6:7"},
      {"two-digit year, month abbreviation", "yy-MMM-dd", morning, "21-Mar-04"},
      {"month name", "MMMM d, yyyy", evening, "November 24, 2021"},
      {"upper-case year and day", "YYYY/MM/DD", evening, "2021/11/24"},
      {"milliseconds twice", "ms ms", morning, "089 089"},
      {"empty picture", "", morning, ""},
      {"percent signs stay literal", "%%d ms", morning, "%4 089"},
      {"fields out of range", "MMM d, yyyy", SystemTime{}, "? 0, 0"},
  };
  for (const PictureCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FormatWithPicture(c.picture, c.time), c.expected);
  }
}

class DisplayTexts : public ::testing::Test {
 protected:
  test::TempFolder folder_;
  test::ScopedEnv registryDir_{"TAVISKO_REGISTRY_DIR", folder_.Path().string()};
  test::ScopedZoneEnv zone_{"TZ", kCentralEurope};

  void SetUp() override { ResetDisplaySettingsCache(); }
  void TearDown() override { ResetDisplaySettingsCache(); }

  void WriteSettings(const std::string& values) { test::WriteDisplaySettingsHive(folder_.Path(), values); }
};

// Custom pictures switched on.
const std::string kCustom =
    "\"UseCustomDateFormat\"=dword:00000001\r\n"
    "\"UseCustomTimeFormat\"=dword:00000001\r\n"
    "\"CustomDateFormat\"=\"yyyy-MM-dd\"\r\n"
    "\"CustomTimeFormat\"=\"HH:mm\"\r\n";

const SystemTime kSummerNoon = MakeSystemTime(2021, 7, 1, 12);

// UTC shows the time as given, whatever IgnoreDST says. Tables show the date alone, or two columns.
TEST_F(DisplayTexts, SettingsDecideTheTextsAndTheZoneLabel) {
  const SystemTime winter = MakeSystemTime(2021, 1, 15, 12);
  const SystemTime newYearsEve = MakeSystemTime(2021, 12, 31, 23, 30);
  const std::string ignoreDst = "\"IgnoreDST\"=dword:00000001\r\n";
  const std::string utc = "\"UseUTC\"=dword:00000001\r\n";
  const std::string dateOnly = "\"ShowDateAndTime\"=dword:00000000\r\n";
  const std::string twoColumns = "\"TwoColsDateAndTime\"=dword:00000001\r\n";
  struct Case {
    const char* name;
    std::string values;
    const char* summer;  // the summer noon as date and time, in a table, and the zone label there
    const char* table;
    const char* label;
    const char* yearEnd;
  };
  const Case cases[] = {
      {"local time", "", "2021-07-01 14:00", "2021-07-01 14:00", "CEST", "2022-01-01 00:30"},
      {"daylight time ignored", ignoreDst, "2021-07-01 13:00", "2021-07-01 13:00", "CET (Ignore DST)",
       "2022-01-01 00:30"},
      {"UTC wins", utc + ignoreDst, "2021-07-01 12:00", "2021-07-01 12:00", "UTC", "2021-12-31 23:30"},
      {"date only", dateOnly, "2021-07-01 14:00", "2021-07-01", "CEST", "2022-01-01 00:30"},
      {"date only wins over two columns", dateOnly + twoColumns, "2021-07-01 14:00", "2021-07-01", "CEST",
       "2022-01-01 00:30"},
      {"two columns", twoColumns + "\"CustomListSeparator\"=\";\"\r\n", "2021-07-01 14:00", "2021-07-01;14:00",
       "CEST", "2022-01-01 00:30"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetDisplaySettingsCache();
    WriteSettings(kCustom + c.values);
    EXPECT_EQ(FormatDateTime(kSummerNoon), c.summer);
    EXPECT_EQ(FormatDate(kSummerNoon), std::string(c.summer).substr(0, 10));
    EXPECT_EQ(FormatTime(kSummerNoon), std::string(c.summer).substr(11));
    EXPECT_EQ(FormatDateTimeForTable(kSummerNoon), c.table);
    EXPECT_EQ(TimeZoneLabel(kSummerNoon), c.label);
    EXPECT_EQ(FormatDateTime(newYearsEve), c.yearEnd);
  }
  EXPECT_EQ(TimeZoneLabel(winter), "CET");
  ResetDisplaySettingsCache();
  WriteSettings(kCustom + "\"UseCustomTimeFormat\"=dword:00000000\r\n");
  EXPECT_EQ(FormatDateTimeForTable(kSummerNoon),
            "2021-07-01 " + FormatWithPicture(platform::LocaleTimePicture(), MakeSystemTime(2021, 7, 1, 14)));
  test::ScopedZoneEnv plain("TZ", "XST-3");
  EXPECT_EQ(TimeZoneLabel(kSummerNoon), "XST") << "a zone without daylight time";
}

TEST_F(DisplayTexts, EmptyCustomPictureFallsBackToTheLocaleOutsideTables) {
  WriteSettings(
      "\"UseCustomDateFormat\"=dword:00000001\r\n\"UseCustomTimeFormat\"=dword:00000001\r\n"
      "\"CustomDateFormat\"=\"\"\r\n\"CustomTimeFormat\"=\"\"\r\n");
  const SystemTime local = MakeSystemTime(2021, 7, 1, 14);
  EXPECT_EQ(FormatDate(kSummerNoon), FormatWithPicture(platform::LocaleShortDatePicture(), local));
  EXPECT_EQ(FormatTime(kSummerNoon), FormatWithPicture(platform::LocaleTimePicture(), local));
  EXPECT_EQ(FormatDateTimeForTable(kSummerNoon), " ") << "tables take the custom pictures as they are";
}

TEST_F(DisplayTexts, RewrittenHiveIsSeenByTheNextCall) {
  // Rewritten in place with the same size within one tick of the file system's clock: inode, size
  // and modification time all stay the same (the time is pinned here so the test does not depend
  // on timing), and only the content differs.
  const std::string hive = (folder_.Path() / "HKEY_CURRENT_USER.reg").string();
  const timespec pinned[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 3600, 123}};
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    const bool utc = round % 2 == 1;
    WriteSettings(kCustom + "\"UseUTC\"=dword:0000000" + (utc ? "1" : "0") + "\r\n");
    ASSERT_EQ(utimensat(AT_FDCWD, hive.c_str(), pinned, 0), 0);
    EXPECT_EQ(FormatDateTime(kSummerNoon), utc ? "2021-07-01 12:00" : "2021-07-01 14:00");
  }
}

TEST_F(DisplayTexts, ThreadsFormatWhileTheHiveChanges) {
  // Readers may meet a half-written hive; a value not yet written there keeps the one read before.
  WriteSettings(kCustom);
  ASSERT_EQ(FormatDateTime(kSummerNoon), "2021-07-01 14:00");
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 3; ++t) {
    readers.emplace_back([&] {
      while (!stop) {
        const std::string text = FormatDateTime(kSummerNoon);
        if (text != "2021-07-01 12:00" && text != "2021-07-01 14:00") ++wrong;
      }
    });
  }
  for (int round = 0; round < 50; ++round) {
    WriteSettings(kCustom + "\"UseUTC\"=dword:0000000" + (round % 2 == 0 ? "1" : "0") + "\r\n");
  }
  stop = true;
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong, 0);
}

TEST_F(DisplayTexts, SnapshotFormatsAsTheSettingsItWasTakenWith) {
  const char* variants[] = {
      "",
      "\"IgnoreDST\"=dword:00000001\r\n",
      "\"UseUTC\"=dword:00000001\r\n",
      "\"CustomDateFormat\"=\"\"\r\n\"UseCustomTimeFormat\"=dword:00000000\r\n",
  };
  const SystemTime times[] = {kSummerNoon, MakeSystemTime(2021, 12, 31, 23, 30)};
  for (const char* values : variants) {
    SCOPED_TRACE(values);
    ResetDisplaySettingsCache();
    WriteSettings(kCustom + values);
    const DisplaySnapshot snapshot = TakeDisplaySnapshot();
    for (const SystemTime& time : times) EXPECT_EQ(FormatDateTime(time, snapshot), FormatDateTime(time));
  }
  WriteSettings(kCustom);
  const DisplaySnapshot snapshot = TakeDisplaySnapshot();
  WriteSettings(kCustom + "\"UseUTC\"=dword:00000001\r\n");
  EXPECT_EQ(FormatDateTime(kSummerNoon, snapshot), "2021-07-01 14:00");
}

}  // namespace
}  // namespace tvk
