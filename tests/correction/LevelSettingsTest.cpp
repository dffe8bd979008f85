#include "correction/LevelSettings.h"

#include <gtest/gtest.h>

#include "common/ResultCodes.h"
#include "common/ResultMessages.h"

namespace tvk {
namespace {

using TMSystem::CTMLogFileCfg;
using TMSystem::CTMVariant;
using TMSystem::VariantType;

std::vector<std::string> KeysOf(const CTMLogFileCfg& cfg) {
  std::vector<TMSystem::CTMConfigEntry> entries;
  EXPECT_EQ(cfg.GetEntries(entries), kOk);
  std::vector<std::string> keys;
  for (const auto& entry : entries) keys.push_back(entry.key);
  return keys;
}

TEST(LevelSettings, ReadsStoredValuesWhateverTheKeySpellingAndDefaultsTheRest) {
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.SetValue("levelmeasurementmode", CTMVariant(std::uint16_t{5})), kOk);
  ASSERT_EQ(cfg.SetValue("AdvancedSGLatitude", CTMVariant(47.5)), kOk);
  LevelSettings settings;
  std::string error;
  ASSERT_EQ(ReadLevelSettings(cfg, settings, error), 1);
  EXPECT_EQ(settings.GetUInt16(LevelField::kLevelMeasurementMode), 5);
  EXPECT_EQ(settings.Get(LevelField::kAdvancedSGLatitude), CTMVariant(47.5));
  EXPECT_EQ(settings.Get(LevelField::kLevelReferenceMode), CTMVariant(std::uint16_t{3}));
  EXPECT_EQ(settings.Get(LevelField::kSpecificGravity), CTMVariant(0.0f));
  for (LevelField absent : {LevelField::kLevelUnitId, LevelField::kAdvancedSGUsed, LevelField::kLevelRefHeadPressure,
                            LevelField::kLevelOffset}) {
    EXPECT_FALSE(settings.Has(absent)) << LevelFieldKey(absent);
  }
}

TEST(LevelSettings, AdvancedFlagAcceptsEvery32BitKindAsOneOrZero) {
  struct Row {
    const char* name;
    std::uint32_t type;
    std::uint32_t raw;
    std::uint32_t expected;
  };
  const Row rows[] = {
      {"int32 non-zero", 4, 0xFFFFFFFFU, 1}, {"uint32 zero", 5, 0, 0}, {"flag 7", 11, 7, 1}, {"type 12", 12, 1, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.SetIntegerValue("AdvancedSGUsed", row.type, row.raw), kOk);
    LevelSettings settings;
    std::string error;
    ASSERT_EQ(ReadLevelSettings(cfg, settings, error), 1);
    EXPECT_EQ(settings.Get(LevelField::kAdvancedSGUsed).Type(), VariantType::kUInt32B);
    EXPECT_EQ(settings.Get(LevelField::kAdvancedSGUsed).AsUInt32(), row.expected);
  }
}

TEST(LevelSettings, AValueOfAnotherKindFailsTheWholeRead) {
  struct Row {
    const char* name;
    const char* key;
    CTMVariant value;
  };
  const Row rows[] = {
      {"double where a float is kept", "SpecificGravity", CTMVariant(1.0)},
      {"uint32 where a uint16 is kept", "LevelUnitId", CTMVariant(std::uint32_t{35})},
      {"uint16 for the 32-bit flag", "AdvancedSGUsed", CTMVariant(std::uint16_t{1})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogFileCfg cfg;
    ASSERT_EQ(cfg.SetValue(row.key, row.value), kOk);
    LevelSettings settings;
    settings.Get(LevelField::kLevelOffset) = CTMVariant(9.0f);
    std::string error;
    EXPECT_EQ(ReadLevelSettings(cfg, settings, error), 0);
    EXPECT_EQ(error, GetResultCodeMessage(kFail));
    EXPECT_EQ(settings.GetFloat(LevelField::kLevelOffset), 9.0f) << "a failed read leaves the record";
  }
}

TEST(LevelSettings, DynamicDensityFromFactorOrAutomaticCorrection) {
  struct Row {
    const char* name;
    CTMVariant factor;
    CTMVariant automatic;
    bool expected;
  };
  const Row rows[] = {
      {"neither", {}, {}, false},
      {"factor exactly 0", CTMVariant(0.0f), {}, false},
      {"factor as double", CTMVariant(0.5), {}, true},
      {"automatic correction on", {}, CTMVariant(std::uint16_t{1}), true},
      {"automatic correction off", CTMVariant(0.0f), CTMVariant(std::uint16_t{0}), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LevelSettings settings;
    settings.Get(LevelField::kDynamicSpecificGravityFactor) = row.factor;
    settings.Get(LevelField::kAutomaticDensityCorrection) = row.automatic;
    EXPECT_EQ(settings.IsDynamicDensityUsed(), row.expected);
  }
}

TEST(LevelSettings, OriginalSettingsGoUnderOrgKeysInFieldOrder) {
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.SetValue("LevelUnitId", CTMVariant(std::uint16_t{38})), kOk);
  ASSERT_EQ(cfg.SetValue("LevelMeasurementMode", CTMVariant(std::uint16_t{4})), kOk);
  ASSERT_EQ(cfg.SetIntegerValue("AdvancedSGUsed", 4, 3), kOk);
  LevelSettings original;
  std::string error;
  ASSERT_EQ(ReadLevelSettings(cfg, original, error), 1);
  ASSERT_EQ(WriteOriginalSettings(cfg, original, error), 1);

  const std::vector<std::string> expected = {
      "LevelUnitId",         "LevelMeasurementMode",    "AdvancedSGUsed",    "OrgAdvancedSGUsed",
      "OrgLevelRefDepthOfProbe", "OrgLevelUnitId", "OrgLevelMeasurementMode", "OrgLevelReferenceMode",
      "OrgSpecificGravity",  "OrgLevelReferenceVal"};
  EXPECT_EQ(KeysOf(cfg), expected);
  CTMVariant value;
  ASSERT_EQ(cfg.GetValue("OrgAdvancedSGUsed", value), kOk);
  EXPECT_EQ(value.Type(), VariantType::kUInt32B);
  EXPECT_EQ(value.AsUInt32(), 1U);
}

TEST(LevelSettings, SettersWriteTheKeyUnderItsTableSpellingThenTheRecord) {
  CTMLogFileCfg cfg;
  ASSERT_EQ(cfg.SetValue("LEVELREFERENCEVAL", CTMVariant(1.0f)), kOk);
  LevelSettings updated;
  std::string error;
  ASSERT_EQ(SetNewLevelMeasurementMode(cfg, updated, 3, error), 1);
  ASSERT_EQ(SetNewLevelReferenceVal(cfg, updated, 12.5f, error), 1);
  ASSERT_EQ(SetNewLevelOffset(cfg, updated, 0.25f, error), 1);
  ASSERT_EQ(SetNewSpecificGravity(cfg, updated, 1.025f, error), 1);

  const std::vector<std::string> expected = {"LevelReferenceVal", "LevelMeasurementMode", "LevelOffset",
                                             "SpecificGravity"};
  EXPECT_EQ(KeysOf(cfg), expected);
  EXPECT_EQ(updated.Get(LevelField::kLevelMeasurementMode), CTMVariant(std::uint16_t{3}));
  EXPECT_EQ(updated.Get(LevelField::kSpecificGravity), CTMVariant(1.025f));
  CTMVariant value;
  ASSERT_EQ(cfg.GetValue("LevelReferenceVal", value), kOk);
  EXPECT_EQ(value, CTMVariant(12.5f));
}

}  // namespace
}  // namespace tvk
