#include <gtest/gtest.h>

#include <set>

#include "common/Utf.h"
#include "logfile/ConfigKeys.h"

namespace TMSystem {
namespace {

TEST(ConfigKeys, MapsNamesAndIdsBothWays) {
  struct Row {
    const char* name;
    ConfigKeyId id;
  };
  const Row rows[] = {
      {"Unknown", 0},
      {"SiteName", kKeySiteName},
      {"LevelMeasurementMode", kKeyLevelMeasurementMode},
      {"SpecCondCoeff_Beta7", 51},
      {"LogChannelCount", kKeyLogChannelCount},
      {"CH1 SensorId", 61},
      {"CH12 ParameterId", 54 + 6 * 12 + 3},
      {"CH31 SentinelValue", 245},
      {"LogSetupTimeZoneInfoState", 262},
      {"TSSFactor", 269},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(KeyIdFromName(row.name), row.id);
    EXPECT_EQ(KeyNameFromId(row.id), row.name);
  }
  EXPECT_EQ(ChannelKeyId(1, ChannelKey::kSensorId), 61U);
  EXPECT_EQ(ChannelKeyId(32, ChannelKey::kSensorId), kKeyUnknown);
}

TEST(ConfigKeys, IgnoresCaseAndGivesZeroForUnknownNames) {
  EXPECT_EQ(KeyIdFromName("levelmeasurementmode"), kKeyLevelMeasurementMode);
  EXPECT_EQ(KeyIdFromName("ch31 sentinelvalue"), 245U);
  EXPECT_EQ(KeyIdFromName("OrgLevelMeasurementMode"), kKeyUnknown);
  EXPECT_EQ(KeyIdFromName("CH32 SensorId"), kKeyUnknown);
  EXPECT_EQ(KeyIdFromName("CH1  SensorId"), kKeyUnknown);
  EXPECT_EQ(KeyIdFromName(""), kKeyUnknown);
  EXPECT_EQ(KeyNameFromId(kConfigKeyCount), "");
}

TEST(ConfigKeys, NamesAreDistinctAndFitAKey) {
  std::set<std::string> upper;
  for (ConfigKeyId id = 0; id < kConfigKeyCount; ++id) {
    const std::string name = KeyNameFromId(id);
    SCOPED_TRACE(name);
    EXPECT_FALSE(name.empty());
    EXPECT_LE(tvk::Utf16Length(name), 32U);
    EXPECT_TRUE(upper.insert(tvk::ToUpperAscii(name)).second);
  }
}

}  // namespace
}  // namespace TMSystem
