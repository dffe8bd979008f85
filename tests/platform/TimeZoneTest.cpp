#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/TimeZone.h"
#include "support/ScopedEnvironment.h"

namespace tvk::platform {
namespace {

TimeZoneInfo Zone(std::int32_t bias, const char* standardName, const char* daylightName = "",
                  TransitionRule daylightDate = {}, TransitionRule standardDate = {}, std::int32_t daylightBias = 0) {
  TimeZoneInfo zone;
  zone.bias = bias;
  zone.standardName = standardName;
  zone.daylightName = daylightName;
  zone.daylightDate = daylightDate;
  zone.standardDate = standardDate;
  zone.daylightBias = daylightBias;
  return zone;
}

const TimeZoneInfo kCentralEurope = Zone(-60, "CET", "CEST", {3, 5, 0, 2, 0, 0}, {10, 5, 0, 3, 0, 0}, -60);

struct ParseCase {
  const char* name;
  const char* rule;
  TimeZoneInfo expected;
};

TEST(TimeZone, ParsesPosixRules) {
  const ParseCase cases[] = {
      {"northern, last Sundays", "CET-1CEST,M3.5.0,M10.5.0/3", kCentralEurope},
      {"leading colon", ":CET-1CEST,M3.5.0,M10.5.0/3", kCentralEurope},
      {"west of Greenwich", "EST5EDT,M3.2.0,M11.1.0", Zone(300, "EST", "EDT", {3, 2, 0, 2, 0, 0}, {11, 1, 0, 2, 0, 0}, -60)},
      {"no rule takes the common default", "EST5EDT", Zone(300, "EST", "EDT", {3, 2, 0, 2, 0, 0}, {11, 1, 0, 2, 0, 0}, -60)},
      {"quoted names, half-hour daylight shift", "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0",
       Zone(-630, "+1030", "+11", {10, 1, 0, 2, 0, 0}, {4, 1, 0, 2, 0, 0}, -30)},
      {"explicit daylight offset and times", "NZST-12NZDT-13,M9.5.0,M4.1.0/3",
       Zone(-720, "NZST", "NZDT", {9, 5, 0, 2, 0, 0}, {4, 1, 0, 3, 0, 0}, -60)},
      {"UTC", "UTC0", Zone(0, "UTC")},
      {"explicit plus sign and seconds", "<-0330>+3:30:00", Zone(210, "-0330")},
      {"time past midnight moves the weekday on", "IST-2IDT,M3.4.4/26,M10.5.0",
       Zone(-120, "IST", "IDT", {3, 4, 5, 2, 0, 0}, {10, 5, 0, 2, 0, 0}, -60)},
      {"negative time moves the weekday back", "<-02>2<-01>,M3.5.0/-1,M10.5.0/0",
       Zone(120, "-02", "-01", {3, 5, 6, 23, 0, 0}, {10, 5, 0, 0, 0, 0}, -60)},
      {"day-of-year dates keep standard time", "<+0330>-3:30<+0430>,J79/24,J263/24", Zone(-210, "+0330", "+0430")},
      {"zero-based day dates keep standard time", "XST3XDT,59,300", Zone(180, "XST", "XDT")},
      {"daylight time all year", "EST5EDT,0/0,J365/25", Zone(240, "EDT", "EDT")},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto parsed = ParsePosixTimeZone(c.rule);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, c.expected);
  }
}

TEST(TimeZone, RefusesMalformedRules) {
  const ParseCase cases[] = {
      {"empty", "", {}},
      {"name too short", "CE-1", {}},
      {"no offset", "CET", {}},
      {"unclosed quoted name", "<+1030-10:30", {}},
      {"offset beyond a day", "CET-25", {}},
      {"minutes out of range", "CET-1:60", {}},
      {"only one transition", "CET-1CEST,M3.5.0", {}},
      {"month 13", "CET-1CEST,M13.5.0,M10.5.0", {}},
      {"week 6", "CET-1CEST,M3.6.0,M10.5.0", {}},
      {"weekday 7", "CET-1CEST,M3.5.7,M10.5.0", {}},
      {"rule time beyond a week", "CET-1CEST,M3.5.0/168,M10.5.0", {}},
      {"day of year 366", "CET-1CEST,J366,J200", {}},
      {"Julian day 0", "CET-1CEST,J0,J200", {}},
      {"trailing text", "CET-1CEST,M3.5.0,M10.5.0/3x", {}},
      {"short daylight name", "CET-1CE,M3.5.0,M10.5.0", {}},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(ParsePosixTimeZone(c.rule).has_value());
  }
}

std::string TzifContent(char version, const std::string& footer) {
  std::string content = std::string("TZif") + version;
  return content + std::string(39, '\0') + std::string(20, '\x01') + "\n" + footer + "\n";
}

TEST(TimeZone, ReadsTzifFooter) {
  EXPECT_EQ(TzifFooterRule(TzifContent('2', "CET-1CEST,M3.5.0,M10.5.0/3")), "CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(TzifFooterRule(TzifContent('4', "UTC0")), "UTC0");
  EXPECT_FALSE(TzifFooterRule(TzifContent('\0', "UTC0")).has_value()) << "version 1 has no footer";
  EXPECT_FALSE(TzifFooterRule(TzifContent('2', "")).has_value()) << "empty footer";
  const std::string content = TzifContent('2', "UTC0");
  EXPECT_FALSE(TzifFooterRule("X" + content.substr(1)).has_value()) << "not TZif";
  EXPECT_FALSE(TzifFooterRule(content.substr(0, content.size() - 1)).has_value()) << "no final newline";
  EXPECT_FALSE(TzifFooterRule("TZif2\nUTC0\n").has_value()) << "truncated header";
}

TEST(TimeZoneEnvironment, ResolvesTzAsRuleOrZoneName) {
  test::TempFolder folder;
  test::WriteWholeFile(folder.Path() / "Test" / "Zone", TzifContent('2', "CET-1CEST,M3.5.0,M10.5.0/3"));
  test::WriteWholeFile(folder.Path() / "Test" / "Broken", "not a zone file");
  test::ScopedZoneEnv tzdir("TZDIR", folder.Path().string());
  const std::string absolute = ":" + (folder.Path() / "Test" / "Zone").string();
  struct Case {
    const char* name;
    std::string tz;
    TimeZoneInfo expected;
  };
  const Case cases[] = {
      {"rule", "EST5EDT,M3.2.0,M11.1.0", Zone(300, "EST", "EDT", {3, 2, 0, 2, 0, 0}, {11, 1, 0, 2, 0, 0}, -60)},
      {"zone name", "Test/Zone", kCentralEurope},
      {"zone name with colon", ":Test/Zone", kCentralEurope},
      {"absolute path", absolute, kCentralEurope},
      {"empty", "", Zone(0, "UTC")},
      {"unknown zone", "Nowhere/Atlantis", Zone(0, "UTC")},
      {"not a zone file", "Test/Broken", Zone(0, "UTC")},
      {"a folder", "Test", Zone(0, "UTC")},
      {"leaves the zone folder", "../etc/Test/Zone", Zone(0, "UTC")},
      {"malformed rule", "CET-1CEST,M3.5.0", Zone(0, "UTC")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScopedZoneEnv tz("TZ", c.tz);
    EXPECT_EQ(CurrentTimeZone(), c.expected);
  }
}

TEST(TimeZone, ReadsInstalledZoneFiles) {
  if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin")) GTEST_SKIP() << "no zone files installed";
  test::ScopedZoneEnv tzdir("TZDIR", std::nullopt);
  test::ScopedZoneEnv tz("TZ", "Europe/Berlin");
  EXPECT_EQ(CurrentTimeZone(), kCentralEurope);
}

}  // namespace
}  // namespace tvk::platform
