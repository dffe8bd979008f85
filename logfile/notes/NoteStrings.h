#pragma once
// Ids of the system strings that note texts share.

#include <cstdint>

namespace TMSystem::note_text {

constexpr std::uint32_t kUserName = 10009;
constexpr std::uint32_t kTimeUtc = 10110;
constexpr std::uint32_t kUserNote = 10187;
constexpr std::uint32_t kUserAdjustedTime = 10188;
constexpr std::uint32_t kPressureOffset = 10522;
constexpr std::uint32_t kUsedBattery = 10531;
constexpr std::uint32_t kUsedMemory = 10534;
constexpr std::uint32_t kReferenceTemperature = 10544;
constexpr std::uint32_t kTemperatureCoefficient = 10545;
constexpr std::uint32_t kSensorSn = 10603;
constexpr std::uint32_t kDepth = 10301;

}  // namespace TMSystem::note_text
