#include "correction/LevelConversion.h"

#include <gtest/gtest.h>

#include <bit>
#include <optional>

#include "common/ResultCodes.h"
#include "common/ResultMessages.h"
#include "correction/UnitConverter.h"
#include "support/SampleLogs.h"

namespace tvk {
namespace {

using TMSystem::CTMDataValue;
using TMSystem::CTMDeviceTime;
using test::Levels;
using TMSystem::CTMVariant;

struct Recorded {
  std::uint16_t mode = kModeDepthToWater;
  std::uint16_t unit = kUnitMetre;
  float sg = 1.0f;
  float reference = 10.0f;
  std::uint16_t referenceMode = 3;
  float refPressure = 5.0f;
  float refHeadPressure = 5.0f;
  float probeDepth = 0.0f;
};

LevelSettings MakeSettings(const Recorded& r) {
  LevelSettings s;
  s.Get(LevelField::kLevelMeasurementMode) = CTMVariant(r.mode);
  s.Get(LevelField::kLevelUnitId) = CTMVariant(r.unit);
  s.Get(LevelField::kSpecificGravity) = CTMVariant(r.sg);
  s.Get(LevelField::kLevelReferenceVal) = CTMVariant(r.reference);
  s.Get(LevelField::kLevelReferenceMode) = CTMVariant(r.referenceMode);
  s.Get(LevelField::kLevelRefPressure) = CTMVariant(r.refPressure);
  s.Get(LevelField::kLevelRefHeadPressure) = CTMVariant(r.refHeadPressure);
  s.Get(LevelField::kLevelRefDepthOfProbe) = CTMVariant(r.probeDepth);
  s.Get(LevelField::kLevelRefPressureUnitId) = CTMVariant(kUnitPsi);
  return s;
}

std::vector<CTMDeviceTime> Minutes(std::size_t count) {
  std::vector<CTMDeviceTime> times;
  for (std::size_t i = 0; i < count; ++i) times.push_back({1'300'000'000U + 60U * static_cast<std::uint32_t>(i), 0});
  return times;
}

// Both passes over `levels`; the error text when either fails.
struct Passes {
  std::vector<CTMDataValue> heads;
  std::vector<CTMDataValue> values;
  float referenceOffset = -1.0f;
  std::string error;
  bool ok = false;
};

Passes Correct(const LevelSettings& original, const LevelSettings& updated, const std::vector<CTMDataValue>& levels,
            int referenceRow = -1, const std::vector<LevelReferenceChange>& changes = {},
            std::uint16_t channelUnit = 0, std::optional<std::vector<CTMDeviceTime>> rowTimes = {}) {
  Passes run;
  if (channelUnit == 0) channelUnit = original.GetUInt16(LevelField::kLevelUnitId);
  const std::vector<CTMDeviceTime> times = rowTimes ? *rowTimes : Minutes(levels.size());
  const ToHeadInput toHead{original, channelUnit, levels, times, changes};
  if (ToPressureHead(toHead, run.heads, run.referenceOffset, run.error) == 0) return run;
  const FromHeadInput fromHead{updated, run.referenceOffset, run.heads, referenceRow};
  run.ok = FromPressureHead(fromHead, run.values, run.error) == 1;
  return run;
}

// Every quantity of the passes is a float and every unit conversion goes through double and is
// narrowed once, so a column is reproducible to the last bit. The expected values are computed here
// step by step in float, with settings, gravities and units none of which are exact in binary.
TEST(LevelConversion, ColumnMatchesAStepByStepFloatComputationBitForBit) {
  constexpr std::uint16_t kUnitInch = 37;
  constexpr std::uint16_t kUnitKiloPascal = 19;
  constexpr double kFeetPerMetre = 3.28084;
  constexpr double kInchesPerMetre = 39.37008;
  constexpr double kKiloPascalPerPsi = 6.894757;
  const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value); };
  const auto feetToMetres = [](float feet) { return static_cast<float>(feet / kFeetPerMetre); };
  const auto metresToInches = [](float metres) { return static_cast<float>(metres * kInchesPerMetre); };
  // Enough values that a formula computed in double rather than float changes some of them.
  std::vector<float> elevations;
  std::vector<float> depths;
  for (int i = 0; i < 32; ++i) {
    elevations.push_back(95.0f + 0.731f * static_cast<float>(i));
    depths.push_back(0.37f + 1.731f * static_cast<float>(i));
  }

  {
    SCOPED_TRACE("surface elevation in feet, reference set again at row 4, to depth in inches");
    const float sgOld = 1.0125f;
    const float sgNew = 1.0243f;
    const LevelReferenceChange change{Minutes(elevations.size())[4], 100.9f, 2.7f, kUnitFoot, 3.21f, kUnitKiloPascal};
    const Passes run = Correct(MakeSettings({.mode = 5, .unit = kUnitFoot, .sg = sgOld, .reference = 101.37f,
                                             .refPressure = 7.31f, .refHeadPressure = 6.97f, .probeDepth = 3.3f}),
                               MakeSettings({.mode = 3, .unit = kUnitInch, .sg = sgNew}), Levels(elevations), -1, {change});
    ASSERT_TRUE(run.ok) << run.error;
    const float t = 7.31f * 3.3f / 6.97f;
    const float refOffset = feetToMetres(t) * sgOld;
    EXPECT_EQ(bits(run.referenceOffset), bits(refOffset));
    float ref = feetToMetres(101.37f);
    float off = 0.0f;
    for (std::size_t i = 0; i < elevations.size(); ++i) {
      SCOPED_TRACE(i);
      if (i == 4) {
        ref = feetToMetres(100.9f);
        off = static_cast<float>(3.21f / kKiloPascalPerPsi) * 0.70307f - refOffset;
      }
      const float head = (feetToMetres(elevations[i]) - ref) * sgOld + off;
      EXPECT_EQ(bits(run.heads[i].value), bits(head));
      EXPECT_EQ(bits(run.values[i].value), bits(metresToInches((refOffset + head) / sgNew)));
    }
  }
  {
    SCOPED_TRACE("depth to water in feet to surface elevation in inches at a data point");
    const float sgOld = 0.9987f;
    const float sgNew = 1.0243f;
    const Passes run = Correct(MakeSettings({.mode = 4, .unit = kUnitFoot, .sg = sgOld, .reference = 12.34f}),
                               MakeSettings({.mode = 5, .unit = kUnitInch, .sg = sgNew, .reference = 123.45f}),
                               Levels(depths), 2);
    ASSERT_TRUE(run.ok) << run.error;
    const float ref = feetToMetres(12.34f);
    const float newRef = static_cast<float>(123.45f / kInchesPerMetre);
    const float base = (ref - feetToMetres(depths[2])) * sgOld;
    for (std::size_t i = 0; i < depths.size(); ++i) {
      SCOPED_TRACE(i);
      const float head = (ref - feetToMetres(depths[i])) * sgOld;
      EXPECT_EQ(bits(run.heads[i].value), bits(head));
      EXPECT_EQ(bits(run.values[i].value), bits(metresToInches((head - base) / sgNew + newRef)));
    }
  }
}

TEST(LevelConversion, EveryPairOfModesInMetresAndFeet) {
  // Recorded reference 10, new reference 20, recorded level 2.5, gravity 1, no offsets.
  struct Row {
    std::uint16_t from;
    std::uint16_t to;
    float expected;
  };
  const Row rows[] = {
      {3, 3, 2.5f},  {3, 4, 17.5f}, {3, 5, 22.5f},   // head 2.5
      {4, 3, 7.5f},  {4, 4, 12.5f}, {4, 5, 27.5f},   // head 10 - 2.5
      {5, 3, -7.5f}, {5, 4, 27.5f}, {5, 5, 12.5f},   // head 2.5 - 10
  };
  for (std::uint16_t unit : {kUnitMetre, kUnitFoot}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << "unit " << unit << ", mode " << row.from << " to " << row.to);
      const Passes run = Correct(MakeSettings({.mode = row.from, .unit = unit, .reference = 10.0f}),
                              MakeSettings({.mode = row.to, .unit = unit, .reference = 20.0f}), Levels({2.5f}));
      ASSERT_TRUE(run.ok) << run.error;
      EXPECT_NEAR(run.values[0].value, row.expected, 1e-5f);
    }
  }
}

TEST(LevelConversion, SpecificGravityScalesBothWaysAndDynamicDensityCountsAsOne) {
  struct Row {
    const char* name;
    float sgOld;
    float sgNew;
    CTMVariant oldFactor;
    CTMVariant newAutomatic;
    float expected;
  };
  const Row rows[] = {
      {"fresh to sea water", 1.0f, 1.025f, {}, {}, 4.0f / 1.025f},
      {"recorded with a dynamic density", 1.25f, 1.0f, CTMVariant(0.5f), {}, 4.0f},
      {"new automatic density correction", 1.0f, 2.0f, {}, CTMVariant(std::uint16_t{1}), 4.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    LevelSettings original = MakeSettings({.mode = 3, .sg = row.sgOld});
    original.Get(LevelField::kDynamicSpecificGravityFactor) = row.oldFactor;
    LevelSettings updated = MakeSettings({.mode = 3, .sg = row.sgNew});
    updated.Get(LevelField::kAutomaticDensityCorrection) = row.newAutomatic;
    const Passes run = Correct(original, updated, Levels({4.0f}));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_FLOAT_EQ(run.values[0].value, row.expected);
  }
}

// t = 6 x 2 / 4 = 3 m deepens the head of mode 3; without a head pressure, or with the reference taken at
// the start of the test, there is no offset, and a start-of-test reference counts as 0.
TEST(LevelConversion, ProbeDepthOffsetsTheDepthModeOnlyWithAHeadPressureAndStartOfTestCountsAsZero) {
  struct Row {
    const char* name;
    float headPressure;
    std::uint16_t referenceMode;
    float offset;
    float value;
  };
  const Row rows[] = {
      {"head pressure", 4.0f, 3, 3.0f, 9.0f},
      {"no head pressure", 0.0f, 3, 0.0f, 6.0f},
      {"start of test", 4.0f, 1, 0.0f, -4.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const LevelSettings original = MakeSettings({.mode = 4, .reference = 10.0f, .referenceMode = row.referenceMode,
                                                 .refPressure = 6.0f, .refHeadPressure = row.headPressure,
                                                 .probeDepth = 2.0f});
    const Passes run = Correct(original, MakeSettings({.mode = 3}), Levels({4.0f}));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(run.referenceOffset, row.offset);
    EXPECT_EQ(run.values[0].value, row.value);
  }
  // A new start-of-test reference is 0 even with a data point.
  const Passes chosen = Correct(MakeSettings({.mode = 3}),
                             MakeSettings({.mode = 5, .reference = 20.0f, .referenceMode = 1}), Levels({1.0f, 3.0f}), 0);
  ASSERT_TRUE(chosen.ok) << chosen.error;
  EXPECT_EQ(chosen.values[0].value, 0.0f);
  EXPECT_EQ(chosen.values[1].value, 2.0f);
}

TEST(LevelConversion, DataPointTakesTheNewReferenceValueUnlessUnconverted) {
  for (std::uint16_t status : {0, 7}) {
    SCOPED_TRACE(status);
    std::vector<CTMDataValue> levels = Levels({1.0f, 2.0f, 3.5f});
    levels[1].status = status;
    const Passes run = Correct(MakeSettings({.mode = 3}), MakeSettings({.mode = 4, .reference = 20.0f}), levels, 1);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(run.values[0].value, 21.0f);
    EXPECT_EQ(run.values[1].value, status == 0 ? 20.0f : 2.0f);
    EXPECT_EQ(run.values[2].value, 18.5f);
  }
}

TEST(LevelConversion, UnconvertedStatusesSkipTheModeFormulasButNotTheUnit) {
  for (std::uint16_t status : {3, 4, 7, 8, 0x0107}) {
    SCOPED_TRACE(status);
    std::vector<CTMDataValue> levels = Levels({10.0f, 10.0f});
    levels[1].status = status;
    const Passes run = Correct(MakeSettings({.mode = 4, .unit = kUnitFoot, .reference = 50.0f}),
                            MakeSettings({.mode = 5, .unit = kUnitFoot, .reference = 0.0f}), levels);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(run.heads[1].value, 10.0f);
    EXPECT_EQ(run.heads[1].status, status);
    EXPECT_EQ(run.values[1].value, static_cast<float>(10.0 * 3.28084));
    EXPECT_EQ(run.values[1].status, status);
    EXPECT_NEAR(run.values[0].value, 40.0f, 1e-4f);
  }
  for (std::uint16_t status : {1, 2, 5, 6, 9}) EXPECT_FALSE(IsUnconvertedStatus(status)) << status;
}

LevelReferenceChange Change(CTMDeviceTime time, float reference, float depth, float headPressurePsi) {
  return {time, reference, depth, kUnitMetre, headPressurePsi, kUnitPsi};
}

TEST(LevelConversion, ReferenceChangesApplyFromTheirRowOn) {
  const std::vector<CTMDeviceTime> times = Minutes(4);
  const LevelSettings original = MakeSettings({.mode = 4, .reference = 10.0f});
  const float off = 2.0f * kMetresOfWaterPerPsi;
  const float expectedAfter = (12.0f - 1.0f) + off;

  struct Row {
    const char* name;
    CTMDeviceTime noteTime;
    std::size_t firstChangedRow;
  };
  const Row rows[] = {
      {"before the first row", {times[0].seconds - 3600, 0}, 0},
      {"between rows", {times[1].seconds + 30, 0}, 2},
      {"at a row's time", times[2], 2},
      {"a fraction after a row", {times[2].seconds, 1}, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Passes run = Correct(original, MakeSettings({.mode = 3}), Levels({1.0f, 1.0f, 1.0f, 1.0f}), -1,
                            {Change(row.noteTime, 12.0f, 0.0f, 2.0f)});
    ASSERT_TRUE(run.ok) << run.error;
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(run.heads[i].value, i < row.firstChangedRow ? 9.0f : expectedAfter) << "row " << i;
    }
  }
}

TEST(LevelConversion, ReferenceChangeWithDynamicDensityUsesTheDepth) {
  LevelSettings original =
      MakeSettings({.mode = 4, .reference = 10.0f, .refPressure = 6.0f, .refHeadPressure = 4.0f, .probeDepth = 2.0f});
  original.Get(LevelField::kDynamicSpecificGravityFactor) = CTMVariant(0.9f);
  const std::vector<CTMDeviceTime> times = Minutes(1);
  const Passes run = Correct(original, MakeSettings({.mode = 3}), Levels({1.0f}), -1,
                          {Change(times[0], 12.0f, 5.0f, 99.0f)});
  ASSERT_TRUE(run.ok) << run.error;
  // off = depth 5 - reference offset 3; head = 12 - 1 + 2; the depth mode adds the offset back.
  EXPECT_EQ(run.heads[0].value, 13.0f);
  EXPECT_EQ(run.values[0].value, 16.0f);
}

TEST(LevelConversion, ReportsEachFailure) {
  const auto without = [](LevelSettings s, LevelField field) {
    s.Get(field) = CTMVariant();
    return s;
  };
  const LevelSettings good = MakeSettings({});
  const LevelSettings depth = MakeSettings({.mode = 3});
  struct Row {
    const char* name;
    LevelSettings original;
    LevelSettings updated;
    std::string expected;
    std::uint16_t channelUnit = 0;
    bool withNoteButNoRowTimes = false;
  };
  const Row rows[] = {
      {"recorded mode missing", without(good, LevelField::kLevelMeasurementMode), good, "Unknown measurement mode"},
      {"new gravity zero", good, MakeSettings({.sg = 0.0f}), "Unknown specific gravity"},
      {"recorded unit missing", without(good, LevelField::kLevelUnitId), good, "Unknown level units", 35},
      {"new reference missing", depth, without(good, LevelField::kLevelReferenceVal), "Unknown reference value"},
      {"recorded probe depth missing", without(good, LevelField::kLevelRefDepthOfProbe), good,
       "Unknown reference depth"},
      {"level channel in a pressure unit", good, good, "Unit conversion failed", kUnitPsi},
      {"new level unit not a length", depth, MakeSettings({.mode = 3, .unit = kUnitPsi}), "Unit conversion failed"},
      {"new mode 2", good, MakeSettings({.mode = 2}), "Invalid measurement mode"},
      {"no row time for a note", good, good, GetResultCodeMessage(kRowReadFailed), 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<LevelReferenceChange> changes;
    std::optional<std::vector<CTMDeviceTime>> times;
    if (row.withNoteButNoRowTimes) {
      changes.push_back(Change(Minutes(1)[0], 1.0f, 0.0f, 1.0f));
      times.emplace();
    }
    const Passes run = Correct(row.original, row.updated, Levels({1.0f}), -1, changes,
                               row.channelUnit != 0 ? row.channelUnit : kUnitMetre, times);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.error, row.expected);
  }
}

}  // namespace
}  // namespace tvk
