#include "correction/LevelSettings.h"

#include <gtest/gtest.h>

#include <tuple>

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

// Each field is read as the one kind it is kept in, but for the advanced flag, which any 32-bit kind
// gives as 1 or 0; a value of another kind fails the whole read and leaves the record.
TEST(LevelSettings, ValuesAreReadOnlyAsTheirOwnKind) {
  struct Row {
    const char* name;
    const char* key;
    CTMVariant value;                  // set as it is, or
    std::uint32_t type = 0, raw = 0;  // an integer of this type
    int flag = -1;                     // the advanced flag read; -1: the read fails
  };
  const Row rows[] = {
      {"int32 non-zero flag", "AdvancedSGUsed", {}, 4, 0xFFFFFFFFU, 1},
      {"uint32 zero flag", "AdvancedSGUsed", {}, 5, 0, 0},
      {"flag 7", "AdvancedSGUsed", {}, 11, 7, 1},
      {"flag of type 12", "AdvancedSGUsed", {}, 12, 1, 1},
      {"double where a float is kept", "SpecificGravity", CTMVariant(1.0)},
      {"uint32 where a uint16 is kept", "LevelUnitId", CTMVariant(std::uint32_t{35})},
      {"uint16 for the 32-bit flag", "AdvancedSGUsed", CTMVariant(std::uint16_t{1})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CTMLogFileCfg cfg;
    ASSERT_EQ(row.type != 0 ? cfg.SetIntegerValue(row.key, row.type, row.raw) : cfg.SetValue(row.key, row.value), kOk);
    LevelSettings settings;
    settings.Get(LevelField::kLevelOffset) = CTMVariant(9.0f);
    std::string error;
    EXPECT_EQ(ReadLevelSettings(cfg, settings, error), row.flag >= 0 ? 1 : 0);
    if (row.flag < 0) {
      EXPECT_EQ(error, GetResultCodeMessage(kFail));
      EXPECT_EQ(settings.GetFloat(LevelField::kLevelOffset), 9.0f) << "a failed read leaves the record";
    } else {
      EXPECT_EQ(settings.Get(LevelField::kAdvancedSGUsed).Type(), VariantType::kUInt32B);
      EXPECT_EQ(settings.Get(LevelField::kAdvancedSGUsed).AsUInt32(), static_cast<std::uint32_t>(row.flag));
    }
  }
}

TEST(LevelSettings, DynamicDensityFromFactorOrAutomaticCorrection) {
  const CTMVariant none, on(std::uint16_t{1}), off(std::uint16_t{0});
  const std::tuple<CTMVariant, CTMVariant, bool> rows[] = {
      {none, none, false}, {CTMVariant(0.0f), none, false}, {CTMVariant(0.5), none, true},  // a factor as double
      {none, on, true},    {CTMVariant(0.0f), off, false},
  };
  for (const auto& [factor, automatic, expected] : rows) {
    LevelSettings settings;
    settings.Get(LevelField::kDynamicSpecificGravityFactor) = factor;
    settings.Get(LevelField::kAutomaticDensityCorrection) = automatic;
    EXPECT_EQ(settings.IsDynamicDensityUsed(), expected) << factor.AsString() << ", " << automatic.AsString();
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
