#pragma once
// The fixed table of known configuration key names. A key's id is its place in the table; entries are
// still stored and written by name, and names outside the table are kept like any other.

#include <cstdint>
#include <string>
#include <string_view>

namespace TMSystem {

using ConfigKeyId = std::uint32_t;

constexpr ConfigKeyId kConfigKeyCount = 270;

// Ids looked up by id; any other key is looked up by name.
constexpr ConfigKeyId kKeyUnknown = 0;
constexpr ConfigKeyId kKeySiteName = 9;
constexpr ConfigKeyId kKeySiteGuid = 10;
constexpr ConfigKeyId kKeyLogGuid = 16;
constexpr ConfigKeyId kKeyLevelMeasurementMode = 18;
constexpr ConfigKeyId kKeySpecificGravity = 19;
constexpr ConfigKeyId kKeyLevelReferenceMode = 20;
constexpr ConfigKeyId kKeyLevelReferenceVal = 22;
constexpr ConfigKeyId kKeyBaroAdjustedValues = 34;
constexpr ConfigKeyId kKeyLevelOffset = 35;

// Per-channel keys: "CH<n> <word>" for channel 0-31, six words in this order.
enum class ChannelKey : std::uint32_t {
  kSensorConnection = 0,
  kSensorId = 1,
  kParameterNumber = 2,
  kParameterId = 3,
  kUnitsId = 4,
  kSentinelValue = 5,
};
constexpr std::uint32_t kChannelKeyChannels = 32;
constexpr ConfigKeyId kFirstChannelKey = 54;

// Id of a channel's key; kKeyUnknown for a channel above 31.
constexpr ConfigKeyId ChannelKeyId(std::uint32_t channel, ChannelKey key) {
  if (channel >= kChannelKeyChannels) return kKeyUnknown;
  return kFirstChannelKey + 6 * channel + static_cast<std::uint32_t>(key);
}

// Id of a key name, ignoring case; kKeyUnknown for a name outside the table.
ConfigKeyId KeyIdFromName(std::string_view name);

// Name of an id; empty for an id outside the table.
std::string KeyNameFromId(ConfigKeyId id);

}  // namespace TMSystem
