#include <gtest/gtest.h>

#include "common/DeviceTime.h"

namespace TMSystem {
namespace {

using tvk::MakeSystemTime;
using tvk::SystemTime;

TEST(Calendar, FileTimeRoundTripsAcrossLeapDaysAndRefusesFieldsOutOfRange) {
  for (const SystemTime& t : {MakeSystemTime(1601, 1, 1), MakeSystemTime(1970, 1, 1),
                              MakeSystemTime(2000, 2, 29, 23, 59, 59, 999), MakeSystemTime(2024, 12, 31, 12),
                              MakeSystemTime(2100, 3, 1)}) {
    const auto ticks = tvk::SystemTimeToFileTime(t);
    ASSERT_TRUE(ticks.has_value());
    EXPECT_EQ(tvk::FileTimeToSystemTime(*ticks), t);
  }
  EXPECT_EQ(*tvk::SystemTimeToFileTime(MakeSystemTime(1970, 1, 1)), tvk::kUnixEpochFileTime);
  for (const SystemTime& t : {MakeSystemTime(2023, 2, 29), MakeSystemTime(2023, 4, 31), MakeSystemTime(2023, 13, 1),
                              MakeSystemTime(1600, 12, 31), MakeSystemTime(2023, 1, 1, 24),
                              MakeSystemTime(2023, 1, 0)}) {
    EXPECT_FALSE(tvk::SystemTimeToFileTime(t).has_value()) << t.year << "-" << t.month << "-" << t.day;
  }
  EXPECT_EQ(tvk::DayOfWeek(1970, 1, 1), 4);
  EXPECT_EQ(tvk::DayOfWeek(2021, 3, 4), 4);
}

TEST(DeviceTime, CalendarConversionsRoundMillisecondsAndClampToTheValidRange) {
  EXPECT_EQ(DeviceTimeToSystemTime({0, 32768}), MakeSystemTime(1970, 1, 1, 0, 0, 0, 500));
  EXPECT_EQ(DeviceTimeToSystemTime({0, 65535}), MakeSystemTime(1970, 1, 1, 0, 0, 1, 0));  // carries into a second
  EXPECT_EQ(DeviceTimeToSystemTime({10, 1}), MakeSystemTime(1970, 1, 1, 0, 0, 10, 0));    // 1/65 ms rounds down
  EXPECT_EQ(DeviceTimeToSystemTime({kDeviceTimeMaxSeconds, 0}), MakeSystemTime(2050, 1, 1));
  EXPECT_EQ(DeviceTimeToSystemTime({0xFFFFFFFFU, 0}), MakeSystemTime(2050, 1, 1));

  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(2060, 6, 1)), (CTMDeviceTime{kDeviceTimeMaxSeconds, 0}));
  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(1960, 1, 1)), (CTMDeviceTime{0, 0}));
  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(1970, 1, 1)), (CTMDeviceTime{0, 0}));
  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(1970, 1, 1, 0, 0, 1, 500)), (CTMDeviceTime{1, 32768}));
  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(2023, 4, 31)), (CTMDeviceTime{0, 0}));  // refused
  EXPECT_EQ(DeviceTimeFromSystemTime(MakeSystemTime(2011, 2, 3, 14, 5, 9)), (CTMDeviceTime{1296741909, 0}));
}

TEST(DeviceTime, FromFieldsLimitsFebruaryButNotThirtyDayMonths) {
  struct Case {
    int year, month, day;
    SystemTime expected;
  };
  const Case cases[] = {
      {2023, 2, 30, MakeSystemTime(2023, 2, 28)},
      {2024, 2, 30, MakeSystemTime(2024, 2, 29)},
      {2000, 2, 31, MakeSystemTime(2000, 2, 29)},
      {1900, 2, 29, MakeSystemTime(1970, 2, 28)},  // year limited to 1970 first
      {2023, 4, 31, MakeSystemTime(1970, 1, 1)},   // refused: gives zero
      {2023, 13, 40, MakeSystemTime(2023, 12, 31)},
      {2051, 1, 1, MakeSystemTime(2050, 1, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day);
    EXPECT_EQ(DeviceTimeToSystemTime(DeviceTimeFromFields(c.year, c.month, c.day, 0, 0, 0)), c.expected);
  }
  EXPECT_EQ(DeviceTimeToSystemTime(DeviceTimeFromFields(2020, 5, 6, 30, 70, 80)),
            MakeSystemTime(2020, 5, 6, 23, 59, 59));
}

TEST(DeviceTime, PartsAndSecondsClampAndCompare) {
  EXPECT_EQ(DeviceTimeFromParts(kDeviceTimeMaxSeconds, 1), (CTMDeviceTime{kDeviceTimeMaxSeconds, 0}));
  EXPECT_EQ(DeviceTimeFromParts(5, 7), (CTMDeviceTime{5, 7}));
  EXPECT_EQ(DeviceTimeFromSeconds(10.5), (CTMDeviceTime{10, 32768}));
  EXPECT_EQ(DeviceTimeFromSeconds(-3.0), (CTMDeviceTime{0, 0}));
  EXPECT_EQ(DeviceTimeFromSeconds(4e9), (CTMDeviceTime{kDeviceTimeMaxSeconds, 0}));
  EXPECT_TRUE(DeviceTimeLess({1, 65535}, {2, 0}));
  EXPECT_TRUE(DeviceTimeLess({0x80000000U, 0}, {0x80000001U, 0}));  // seconds compare unsigned
  EXPECT_FALSE(DeviceTimeLess({2, 1}, {2, 1}));
}

}  // namespace
}  // namespace TMSystem
