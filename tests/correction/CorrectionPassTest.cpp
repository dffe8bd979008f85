#include "correction/CorrectionPass.h"

#include <gtest/gtest.h>

#include <optional>

#include "correction/LevelCorrector.h"
#include "support/SampleLogs.h"
#include "support/ScopedEnvironment.h"

namespace tvk {
namespace {

using TMSystem::CTMVariant;
using Entries = std::vector<std::pair<std::string, CTMVariant>>;

// A pass over a depth-to-water log (reference 10 m at a pressure head, 3 rows) with `extra` entries.
struct OpenPass {
  explicit OpenPass(const Entries& extra = {}, std::optional<std::uint16_t> mode = {}) {
    test::LevelLogLayout sample = test::AcceptedLevelLog();
    for (const auto& [key, value] : extra) test::SetEntry(sample.entries, key, value);
    if (mode) {
      sample.levelMode = *mode;
      test::SetEntry(sample.entries, "LevelMeasurementMode", CTMVariant(*mode));
    }
    test::WriteLevelLog(sample, dir.File("log.vxl"));
    auto corrector = std::make_shared<CLevelCorrector>();
    EXPECT_EQ(corrector->Open(dir.File("log.vxl")), 1) << corrector->GetErrorText();
    pass = std::make_unique<CCorrectionPass>(corrector);
  }
  test::TempFolder dir;
  std::unique_ptr<CCorrectionPass> pass;
};

// Pressure head is not offered for a depth-to-water log referenced at the start of the test, and the
// corrector refuses it alike.
TEST(CorrectionPass, WhatTheStepsOfferFollowsTheRecordedLog) {
  const CTMVariant atHead(std::uint16_t{3}), atStart(std::uint16_t{1});
  struct Row {
    const char* name;
    std::uint16_t mode;
    CTMVariant referenceMode;
    bool pressureHeadOffered;
    bool atTestDefinition;
    bool skipsReference;
  };
  const Row rows[] = {
      {"depth to water at a pressure head", 4, atHead, true, true, false},
      {"depth to water from the start of the test", 4, atStart, false, true, false},
      {"pressure head", 3, atStart, true, false, true},
      {"elevation", 5, atHead, true, true, false},
      {"reference mode missing", 5, CTMVariant(), true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    OpenPass open({{"LevelReferenceMode", row.referenceMode}}, row.mode);
    CCorrectionPass& pass = *open.pass;
    EXPECT_EQ(pass.Mode(), row.mode);
    EXPECT_EQ(pass.IsModeOffered(kModeDepth), row.pressureHeadOffered);
    EXPECT_TRUE(pass.IsModeOffered(kModeDepthToWater) && pass.IsModeOffered(kModeSurfaceElevation));
    EXPECT_EQ(pass.CanReferenceAtTestDefinition(), row.atTestDefinition);
    EXPECT_EQ(pass.ReferenceAtDataPoint(), !row.atTestDefinition) << "a pressure-head log starts at its first row";
    EXPECT_EQ(!pass.NeedsReference(), row.skipsReference);
    std::string reason;
    EXPECT_EQ(pass.ChooseMode(kModeDepth, reason), row.pressureHeadOffered);
    EXPECT_EQ(reason, row.pressureHeadOffered ? "" : "Log file data cannot be converted to depth mode.");
    ASSERT_EQ(pass.Corrector().SetNewLevelMeasurementMode(kModeDepth), 1);
    EXPECT_EQ(pass.Corrector().Correct(), row.pressureHeadOffered ? 1 : 0);
    EXPECT_EQ(pass.Corrector().GetErrorText(), reason);
  }
}

TEST(CorrectionPass, TypedValuesAreReadWholeAndTheShownTextKeepsTheValueBehindIt) {
  OpenPass open({{"LevelReferenceVal", CTMVariant(12.3456789f)}, {"SpecificGravity", CTMVariant(1.0123457f)}});
  CCorrectionPass& pass = *open.pass;
  EXPECT_EQ(pass.ReferenceText(), "12.3457");
  EXPECT_EQ(pass.GravityText(), "1.012346");
  std::string reason;
  // Left as shown, the recorded values stay exact rather than what their texts round to.
  ASSERT_TRUE(pass.SetReferenceText(-1, " 12.3457 ", reason)) << reason;
  ASSERT_TRUE(pass.SetCustomGravityText("1.012346", reason)) << reason;
  EXPECT_EQ(pass.Choices().referenceValue, 12.3456789f);
  EXPECT_EQ(pass.Choices().specificGravity, 1.0123457f);

  struct Row {
    const char* text;
    std::optional<float> reference;  // absent: refused
    std::optional<float> gravity;
  };
  const Row rows[] = {
      {"12.5", 12.5f, 12.5f},   {"-3", -3.0f, {}},  {"0", 0.0f, {}},  {"1e3", 1000.0f, 1000.0f},
      {"abc", {}, {}},          {"12.5 m", {}, {}}, {"", {}, {}},     {"nan", {}, {}},
      {"1e39", {}, {}},         {"0x10", {}, {}},   {"1,5", {}, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const CorrectionChoices before = pass.Choices();
    reason.clear();
    EXPECT_EQ(pass.SetReferenceText(2, row.text, reason), row.reference.has_value());
    EXPECT_EQ(pass.Choices().referenceValue, row.reference.value_or(before.referenceValue));
    EXPECT_EQ(reason.empty(), row.reference.has_value());
    reason.clear();
    EXPECT_EQ(pass.SetCustomGravityText(row.text, reason), row.gravity.has_value());
    EXPECT_EQ(pass.Choices().specificGravity, row.gravity.value_or(before.specificGravity));
    EXPECT_EQ(reason.empty(), row.gravity.has_value()) << reason;
  }
  reason.clear();
  EXPECT_FALSE(pass.SetReference(3, 1.0f, reason));
  EXPECT_EQ(reason, "row 3 is not in the log (3 rows)");
}

TEST(CorrectionPass, ApplyHandsTheChoicesOverAsTheStepsWouldInOrder) {
  OpenPass open;
  CCorrectionPass& pass = *open.pass;
  std::string reason;
  ASSERT_TRUE(pass.ChooseMode(kModeSurfaceElevation, reason));
  ASSERT_TRUE(pass.SetReferenceText(1, "12.5", reason));
  pass.ChooseGravityPreset(SpecificGravityPreset::Sea);
  EXPECT_EQ(pass.GravityText(), "1.024000");
  ASSERT_EQ(pass.Apply(reason), 1) << reason;
  const LevelSettings& updated = pass.Corrector().GetNewSettings();
  EXPECT_EQ(updated.GetUInt16(LevelField::kLevelMeasurementMode), kModeSurfaceElevation);
  EXPECT_EQ(updated.GetFloat(LevelField::kLevelReferenceVal), 12.5f);
  EXPECT_EQ(updated.GetFloat(LevelField::kSpecificGravity), 1.024f);
  EXPECT_EQ(pass.Corrector().GetReferenceRowIndex(), 1);
  EXPECT_EQ(pass.ReferenceTitle(), "Enter corrected level reference for \"Elevation or gauge height/stage\"");
}

}  // namespace
}  // namespace tvk
