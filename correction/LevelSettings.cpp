#include "correction/LevelSettings.h"

#include <exception>

#include "common/ResultCodes.h"
#include "common/ResultMessages.h"
#include "logfile/ConfigKeys.h"

namespace tvk {
namespace {

using TMSystem::CTMVariant;
using TMSystem::VariantType;

struct FieldInfo {
  LevelField field;
  std::string_view key;
  VariantType type;  // the type the field is kept as
};

// Reading and Org-key order.
constexpr FieldInfo kFieldOrder[kLevelFieldCount] = {
    {LevelField::kAdvancedSGUsed, "AdvancedSGUsed", VariantType::kUInt32B},
    {LevelField::kAdvancedSGDensity, "AdvancedSGDensity", VariantType::kFloat32},
    {LevelField::kAdvancedSGLatitude, "AdvancedSGLatitude", VariantType::kFloat64},
    {LevelField::kAdvancedSGElevation, "AdvancedSGElevation", VariantType::kFloat64},
    {LevelField::kAdvancedSGElevationUnitId, "AdvancedSGElevationUnitId", VariantType::kUInt16},
    {LevelField::kDynamicSpecificGravityFactor, "DynamicSpecificGravityFactor", VariantType::kFloat32},
    {LevelField::kAutomaticDensityCorrection, "AutomaticDensityCorrection", VariantType::kUInt16},
    {LevelField::kLevelRefDepthOfProbe, "LevelRefDepthOfProbe", VariantType::kFloat32},
    {LevelField::kLevelUnitId, "LevelUnitId", VariantType::kUInt16},
    {LevelField::kLevelMeasurementMode, "LevelMeasurementMode", VariantType::kUInt16},
    {LevelField::kLevelReferenceMode, "LevelReferenceMode", VariantType::kUInt16},
    {LevelField::kSpecificGravity, "SpecificGravity", VariantType::kFloat32},
    {LevelField::kLevelReferenceVal, "LevelReferenceVal", VariantType::kFloat32},
    {LevelField::kLevelOffset, "LevelOffset", VariantType::kFloat32},
    {LevelField::kLevelRefPressure, "LevelRefPressure", VariantType::kFloat32},
    {LevelField::kLevelRefPressureUnitId, "LevelRefPressureUnitId", VariantType::kUInt16},
    {LevelField::kLevelRefHeadPressure, "LevelRefHeadPressure", VariantType::kFloat32},
};

const FieldInfo& InfoOf(LevelField field) {
  for (const FieldInfo& info : kFieldOrder) {
    if (info.field == field) return info;
  }
  return kFieldOrder[0];  // unreachable: every field is in the table
}

// The value a field takes when its key is missing; empty when it has none.
CTMVariant DefaultOf(LevelField field) {
  switch (field) {
    case LevelField::kLevelRefDepthOfProbe:
    case LevelField::kLevelReferenceVal:
    case LevelField::kSpecificGravity:
      return CTMVariant(0.0f);
    case LevelField::kLevelReferenceMode:
      return CTMVariant(std::uint16_t{3});
    default:
      return {};
  }
}

bool Is32BitInteger(VariantType type) {
  return type == VariantType::kInt32 || type == VariantType::kUInt32 || type == VariantType::kUInt32B ||
         type == VariantType::kUInt32C;
}

// The stored value as the field keeps it; false for a type the field does not accept.
bool AcceptStored(const FieldInfo& info, const CTMVariant& stored, CTMVariant& kept) {
  if (info.field == LevelField::kAdvancedSGUsed) {
    if (!Is32BitInteger(stored.Type())) return false;
    kept = CTMVariant();
    kept.SetUInt32B(stored.AsUInt32() != 0 ? 1U : 0U);
    return true;
  }
  if (stored.Type() != info.type) return false;
  kept = stored;
  return true;
}

int Fail(std::string& errorText, ResultCode code) {
  errorText = GetResultCodeMessage(code);
  return 0;
}

int SetKeyAndField(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, LevelField field,
                   TMSystem::ConfigKeyId id, const CTMVariant& value, std::string& errorText) {
  try {
    const ResultCode rc = cfg.SetValue(TMSystem::KeyNameFromId(id), value);
    if (Failed(rc)) return Fail(errorText, rc);
    updated.Get(field) = value;
    return 1;
  } catch (const std::exception&) {
    return Fail(errorText, kUnexpected);
  }
}

}  // namespace

bool IsLevelMode(std::uint16_t mode) {
  return mode == kModeDepth || mode == kModeDepthToWater || mode == kModeSurfaceElevation;
}

std::string_view LevelFieldKey(LevelField field) { return InfoOf(field).key; }

std::string LevelFieldOrgKey(LevelField field) { return "Org" + std::string(LevelFieldKey(field)); }

float LevelSettings::GetFloat(LevelField field) const {
  const CTMVariant& value = Get(field);
  if (value.Type() == VariantType::kFloat32) return value.AsFloat32();
  if (value.Type() == VariantType::kFloat64) return static_cast<float>(value.AsFloat64());
  return 0.0f;
}

std::uint16_t LevelSettings::GetUInt16(LevelField field) const {
  const CTMVariant& value = Get(field);
  return value.Type() == VariantType::kUInt16 ? value.AsUInt16() : 0;
}

bool LevelSettings::IsDynamicDensityUsed() const {
  if (GetFloat(LevelField::kDynamicSpecificGravityFactor) > 0.0f) return true;
  return GetUInt16(LevelField::kAutomaticDensityCorrection) != 0;
}

int ReadLevelSettings(const TMSystem::CTMLogFileCfg& cfg, LevelSettings& out, std::string& errorText) {
  try {
    LevelSettings read;
    for (const FieldInfo& info : kFieldOrder) {
      CTMVariant stored;
      const ResultCode rc = cfg.GetValue(info.key, stored);
      if (rc == kKeyNotFound) {
        read.Get(info.field) = DefaultOf(info.field);
        continue;
      }
      if (Failed(rc)) return Fail(errorText, rc);
      // A value of another kind is reported as a general failure, as a typed lookup would.
      if (!AcceptStored(info, stored, read.Get(info.field))) return Fail(errorText, kFail);
    }
    out = read;
    return 1;
  } catch (const std::exception&) {
    return Fail(errorText, kUnexpected);
  }
}

int WriteOriginalSettings(TMSystem::CTMLogFileCfg& cfg, const LevelSettings& original, std::string& errorText) {
  try {
    CTMVariant existing;
    if (Succeeded(cfg.GetValue(LevelFieldOrgKey(LevelField::kLevelMeasurementMode), existing))) return 1;
    for (const FieldInfo& info : kFieldOrder) {
      const CTMVariant& value = original.Get(info.field);
      if (value.Type() != info.type) continue;
      const ResultCode rc = cfg.SetValue(LevelFieldOrgKey(info.field), value);
      if (Failed(rc)) return Fail(errorText, rc);
    }
    return 1;
  } catch (const std::exception&) {
    return Fail(errorText, kUnexpected);
  }
}

int SetNewLevelMeasurementMode(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, std::uint16_t mode,
                               std::string& errorText) {
  return SetKeyAndField(cfg, updated, LevelField::kLevelMeasurementMode, TMSystem::kKeyLevelMeasurementMode,
                        CTMVariant(mode), errorText);
}

int SetNewLevelReferenceVal(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value,
                            std::string& errorText) {
  return SetKeyAndField(cfg, updated, LevelField::kLevelReferenceVal, TMSystem::kKeyLevelReferenceVal,
                        CTMVariant(value), errorText);
}

int SetNewLevelOffset(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value, std::string& errorText) {
  return SetKeyAndField(cfg, updated, LevelField::kLevelOffset, TMSystem::kKeyLevelOffset, CTMVariant(value),
                        errorText);
}

int SetNewSpecificGravity(TMSystem::CTMLogFileCfg& cfg, LevelSettings& updated, float value,
                          std::string& errorText) {
  return SetKeyAndField(cfg, updated, LevelField::kSpecificGravity, TMSystem::kKeySpecificGravity,
                        CTMVariant(value), errorText);
}

}  // namespace tvk
