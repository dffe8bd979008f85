#include "logfile/ConfigKeys.h"

#include <array>
#include <unordered_map>

#include "common/Utf.h"

namespace TMSystem {

namespace {

constexpr std::array<std::string_view, 54> kLeadingNames = {
    "Unknown", "MetaVersion", "DemoModeApp", "DeviceName", "LogFileNum", "DeviceSerialNum",
    "DeviceTypeId", "FirmwareRev", "HardwareRev", "SiteName", "SiteGUID", "CreatorUserName",
    "CreatorComputerName", "ApplicationName", "ApplicationVer", "CreateDateTime", "LogGUID", "LogType",
    "LevelMeasurementMode", "SpecificGravity", "LevelReferenceMode", "RemindMeLater", "LevelReferenceVal",
    "LevelUnitId", "LevelRefDepthOfProbe", "LevelRefPressureOffset", "LevelRefPressure",
    "LevelRefPressureUnitId", "LevelRefTemp", "LevelRefTempUnitId", "EventSensorId", "EventParameterId",
    "EventUnitsId", "EventSensorSerialNum", "BaroAdjustedValues", "LevelOffset", "LevelRefHeadPressure",
    "DynamicSpecificGravityFactor", "TDSFactor", "SpecCondMethod_KCellOffset",
    "SpecCondMethod_KCellConstant", "SpecificConductivityMethod", "SpecCondCoeff_RefTemp",
    "SpecCondCoeff_Alpha", "SpecCondCoeff_Beta0", "SpecCondCoeff_Beta1", "SpecCondCoeff_Beta2",
    "SpecCondCoeff_Beta3", "SpecCondCoeff_Beta4", "SpecCondCoeff_Beta5", "SpecCondCoeff_Beta6",
    "SpecCondCoeff_Beta7", "ValueCacheTimeOut", "LogChannelCount"};

constexpr std::array<std::string_view, 6> kChannelWords = {
    "SensorConnection", "SensorId", "ParameterNumber", "ParameterId", "UnitsId", "SentinelValue"};

constexpr std::array<std::string_view, 24> kTrailingNames = {
    "VPellam_PumpTestId", "VPellam_PumpTestName", "VPellam_PellamId", "VPellam_PellamName",
    "VPellam_PumpWellZorlo", "LogCfgId", "LogSetupTimeZone", "LogSetupIgnoreDST", "DeviceAddress",
    "DeviceCommCfg", "BootCodeRev", "LogSetupMemoryUsedPct", "LogSetupBatteryUsedPct",
    "LogSetupBattMeasCnt", "LogSetupTotalMeasCnt", "LogSetupTimeZoneInfo", "LogSetupTimeZoneInfoState",
    "LogTemplateName", "LogTemplateDescription", "LogSetupHeadUnitId", "LogSetupHeadRefMode",
    "LogSetupHeadRefVal", "LogSetupHeadRefPressure", "TSSFactor"};

static_assert(kLeadingNames.size() == kFirstChannelKey);
static_assert(kLeadingNames.size() + kChannelKeyChannels * kChannelWords.size() + kTrailingNames.size() ==
              kConfigKeyCount);

struct KeyTable {
  std::array<std::string, kConfigKeyCount> names;
  std::unordered_map<std::string, ConfigKeyId> idsByUpperName;

  KeyTable() {
    std::size_t id = 0;
    for (std::string_view name : kLeadingNames) names[id++] = name;
    for (std::uint32_t channel = 0; channel < kChannelKeyChannels; ++channel) {
      for (std::string_view word : kChannelWords) {
        names[id++] = "CH" + std::to_string(channel) + " " + std::string(word);
      }
    }
    for (std::string_view name : kTrailingNames) names[id++] = name;
    for (ConfigKeyId i = 0; i < kConfigKeyCount; ++i) idsByUpperName.emplace(tvk::ToUpperAscii(names[i]), i);
  }
};

const KeyTable& Table() {
  static const KeyTable table;
  return table;
}

}  // namespace

ConfigKeyId KeyIdFromName(std::string_view name) {
  try {
    const KeyTable& table = Table();
    const auto it = table.idsByUpperName.find(tvk::ToUpperAscii(name));
    return it == table.idsByUpperName.end() ? kKeyUnknown : it->second;
  } catch (...) {
    return kKeyUnknown;
  }
}

std::string KeyNameFromId(ConfigKeyId id) {
  try {
    if (id >= kConfigKeyCount) return {};
    return Table().names[id];
  } catch (...) {
    return {};
  }
}

}  // namespace TMSystem
