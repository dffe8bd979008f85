#include "common/DisplaySettings.h"

#include <cstdint>
#include <exception>
#include <mutex>

#include "common/RegistryReader.h"
#include "platform/Locale.h"
#include "platform/RegistryHive.h"

namespace tvk {
namespace {

constexpr std::string_view kSettingsKey = "HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings";

void ReadSwitch(const platform::RegistryHive& hive, std::string_view name, bool& setting) {
  const platform::RegistryValue* stored = hive.FindValue(kSettingsKey, name);
  std::uint32_t number = 0;
  if (stored != nullptr && DwordOfValue(*stored, number) == 0) setting = number != 0;
}

void ReadText(const platform::RegistryHive& hive, std::string_view name, std::string& setting) {
  const platform::RegistryValue* stored = hive.FindValue(kSettingsKey, name);
  std::string text;
  if (stored != nullptr && StringOfValue(*stored, text) == 0) setting = std::move(text);
}

// The last values read and the parsed hive they were read from: while the hive file is unchanged
// the cache hands out the same values without looking at them again.
class SettingsCache {
 public:
  std::shared_ptr<const DisplaySettingValues> Current() {
    int result = 0;
    const auto hive = platform::LoadRegistryKey(kSettingsKey, result);
    std::lock_guard guard(lock_);
    if (hive == nullptr || hive == source_) return values_;
    source_ = hive;
    if (!hive->HasKey(kSettingsKey)) return values_;
    auto next = std::make_shared<DisplaySettingValues>(*values_);
    ReadSwitch(*hive, "ShowDateAndTime", next->showDateAndTime);
    ReadSwitch(*hive, "TwoColsDateAndTime", next->twoColsDateAndTime);
    ReadSwitch(*hive, "UseUTC", next->useUtc);
    ReadSwitch(*hive, "IgnoreDST", next->ignoreDst);
    ReadSwitch(*hive, "UseCustomDateFormat", next->useCustomDateFormat);
    ReadSwitch(*hive, "UseCustomTimeFormat", next->useCustomTimeFormat);
    ReadText(*hive, "CustomDateFormat", next->customDateFormat);
    ReadText(*hive, "CustomTimeFormat", next->customTimeFormat);
    std::string separator;
    if (const platform::RegistryValue* stored = hive->FindValue(kSettingsKey, "CustomListSeparator");
        stored != nullptr && StringOfValue(*stored, separator) == 0) {
      next->customListSeparator = separator;
    }
    if (*next != *values_) values_ = std::move(next);
    return values_;
  }

  void Reset() {
    std::lock_guard guard(lock_);
    values_ = Defaults();
    source_.reset();
  }

 private:
  static std::shared_ptr<const DisplaySettingValues> Defaults() {
    static const auto defaults = std::make_shared<const DisplaySettingValues>();
    return defaults;
  }

  std::mutex lock_;
  std::shared_ptr<const platform::RegistryHive> source_;
  std::shared_ptr<const DisplaySettingValues> values_ = Defaults();
};

SettingsCache& Cache() {
  static SettingsCache cache;
  return cache;
}

DisplaySettingValues Current() {
  try {
    return *ReadDisplaySettings();
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace

std::shared_ptr<const DisplaySettingValues> ReadDisplaySettings() {
  try {
    return Cache().Current();
  } catch (const std::exception&) {
    return std::make_shared<const DisplaySettingValues>();
  }
}

bool GetShowDateAndTime() { return ReadDisplaySettings()->showDateAndTime; }
bool GetTwoColsDateAndTime() { return ReadDisplaySettings()->twoColsDateAndTime; }
bool GetUseUTC() { return ReadDisplaySettings()->useUtc; }
bool GetIgnoreDST() { return ReadDisplaySettings()->ignoreDst; }
bool GetUseCustomDateFormat() { return ReadDisplaySettings()->useCustomDateFormat; }
bool GetUseCustomTimeFormat() { return ReadDisplaySettings()->useCustomTimeFormat; }
std::string GetCustomDateFormat() { return Current().customDateFormat; }
std::string GetCustomTimeFormat() { return Current().customTimeFormat; }

std::string GetCustomListSeparator() {
  try {
    const auto values = ReadDisplaySettings();
    return values->customListSeparator ? *values->customListSeparator : platform::LocaleListSeparator();
  } catch (const std::exception&) {
    return {};
  }
}

void ResetDisplaySettingsCache() {
  try {
    Cache().Reset();
  } catch (const std::exception&) {
  }
}

}  // namespace tvk
