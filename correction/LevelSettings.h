#pragma once
// The level settings of a log: the seventeen configuration values the instrument computed the level
// column with. Read from a log's configuration, copied for editing, and written back under "Org" keys.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "logfile/LogFileCfg.h"
#include "logfile/Variant.h"

namespace tvk {

// Fields in record order; each is one configuration key of the same name.
enum class LevelField : std::size_t {
  kAdvancedSGUsed = 0,
  kAdvancedSGDensity,
  kAdvancedSGLatitude,
  kAdvancedSGElevation,
  kAdvancedSGElevationUnitId,
  kDynamicSpecificGravityFactor,
  kAutomaticDensityCorrection,
  kLevelRefHeadPressure,
  kLevelRefDepthOfProbe,
  kLevelReferenceVal,
  kLevelOffset,
  kLevelRefPressure,
  kSpecificGravity,
  kLevelRefPressureUnitId,
  kLevelUnitId,
  kLevelMeasurementMode,
  kLevelReferenceMode,
};
constexpr std::size_t kLevelFieldCount = 17;

// Level measurement modes; also the parameter id of the level channel.
constexpr std::uint16_t kModeDepth = 3;
constexpr std::uint16_t kModeDepthToWater = 4;
constexpr std::uint16_t kModeSurfaceElevation = 5;
// Level reference mode: the reference was taken at the start of the test.
constexpr std::uint16_t kReferenceAtStartOfTest = 1;

bool IsLevelMode(std::uint16_t mode);

// The configuration key of a field ("LevelUnitId").
std::string_view LevelFieldKey(LevelField field);
// The key its original value is kept under ("OrgLevelUnitId").
std::string LevelFieldOrgKey(LevelField field);

// An empty value means the key was missing and the field has no default.
struct LevelSettings {
  std::array<TMSystem::CTMVariant, kLevelFieldCount> fields;

  const TMSystem::CTMVariant& Get(LevelField field) const { return fields[static_cast<std::size_t>(field)]; }
  TMSystem::CTMVariant& Get(LevelField field) { return fields[static_cast<std::size_t>(field)]; }
  bool Has(LevelField field) const { return !Get(field).IsEmpty(); }

  // A stored float or double, narrowed to float; 0.0 for anything else.
  float GetFloat(LevelField field) const;
  // A stored uint16; 0 for anything else.
  std::uint16_t GetUInt16(LevelField field) const;

  // A positive dynamic specific-gravity factor, or a non-zero automatic density correction.
  bool IsDynamicDensityUsed() const;

  friend bool operator==(const LevelSettings&, const LevelSettings&) = default;
};

// Fills `out` from `cfg`. Missing keys keep their default; a key of an unexpected stored type fails
// the whole read with the message of the code in `errorText` (1 / 0).
int ReadLevelSettings(const TMSystem::CTMLogFileCfg& cfg, LevelSettings& out, std::string& errorText);

// Writes each present field of `original` under its Org key, unless the log already holds
// "OrgLevelMeasurementMode": a log corrected again keeps the settings it was first recorded with.
int WriteOriginalSettings(TMSystem::CTMLogFileCfg& cfg, const LevelSettings& original, std::string& errorText);

// The wizard's setters: the key of the same name in `cfg` first (by key id, so any spelling of it is
// replaced), then the field of `updated`. When the key cannot be set, `updated` is unchanged and
// `errorText` holds the message (0).
int SetNewLevelMeasurementMode(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, std::uint16_t mode,
                               std::string& errorText);
int SetNewLevelReferenceVal(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value,
                            std::string& errorText);
int SetNewLevelOffset(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value, std::string& errorText);
int SetNewSpecificGravity(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value,
                          std::string& errorText);

}  // namespace tvk
