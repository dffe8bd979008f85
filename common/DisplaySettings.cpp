#include "common/DisplaySettings.h"

#include <atomic>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>

#include "common/RegistryReader.h"
#include "platform/Locale.h"

namespace tvk {
namespace {

constexpr std::string_view kSettingsKey = "Software\\Tamrel\\Dovmark\\SystemSettings";

// One cached switch: the last value read, or its default until a read succeeds.
struct Switch {
  const char* name;
  bool defaultValue;
  std::atomic<bool> value;
};

Switch gShowDateAndTime{"ShowDateAndTime", true, true};
Switch gTwoColsDateAndTime{"TwoColsDateAndTime", false, false};
Switch gUseUTC{"UseUTC", false, false};
Switch gIgnoreDST{"IgnoreDST", false, false};
Switch gUseCustomDateFormat{"UseCustomDateFormat", false, false};
Switch gUseCustomTimeFormat{"UseCustomTimeFormat", false, false};

// A cached text; std::nullopt until a read succeeds. Texts cannot be atomic, hence the lock.
struct Text {
  const char* name;
  std::mutex lock;
  std::optional<std::string> value;
};

Text gCustomDateFormat{"CustomDateFormat", {}, {}};
Text gCustomTimeFormat{"CustomTimeFormat", {}, {}};
Text gCustomListSeparator{"CustomListSeparator", {}, {}};

bool Read(Switch& setting) {
  RegistryReader reader;
  std::uint32_t number = 0;
  if (reader.Open(RegistryRoot::CurrentUser, kSettingsKey) == 0 &&
      reader.ReadDword(setting.name, number) == 0) {
    setting.value = number != 0;
  }
  return setting.value;
}

// The text last read, else `fallback`.
std::string Read(Text& setting, std::string_view fallback) {
  try {
    RegistryReader reader;
    std::string text;
    const bool read = reader.Open(RegistryRoot::CurrentUser, kSettingsKey) == 0 &&
                      reader.ReadString(setting.name, text) == 0;
    std::lock_guard<std::mutex> guard(setting.lock);
    if (read) setting.value = std::move(text);
    return setting.value ? *setting.value : std::string(fallback);
  } catch (const std::exception&) {
    return {};
  }
}

void Reset(Switch& setting) { setting.value = setting.defaultValue; }

void Reset(Text& setting) {
  std::lock_guard<std::mutex> guard(setting.lock);
  setting.value.reset();
}

}  // namespace

bool GetShowDateAndTime() { return Read(gShowDateAndTime); }
bool GetTwoColsDateAndTime() { return Read(gTwoColsDateAndTime); }
bool GetUseUTC() { return Read(gUseUTC); }
bool GetIgnoreDST() { return Read(gIgnoreDST); }
bool GetUseCustomDateFormat() { return Read(gUseCustomDateFormat); }
bool GetUseCustomTimeFormat() { return Read(gUseCustomTimeFormat); }
std::string GetCustomDateFormat() { return Read(gCustomDateFormat, {}); }
std::string GetCustomTimeFormat() { return Read(gCustomTimeFormat, {}); }

std::string GetCustomListSeparator() {
  try {
    return Read(gCustomListSeparator, platform::LocaleListSeparator());
  } catch (const std::exception&) {
    return {};
  }
}

void ResetDisplaySettingsCache() {
  for (Switch* setting : {&gShowDateAndTime, &gTwoColsDateAndTime, &gUseUTC, &gIgnoreDST,
                          &gUseCustomDateFormat, &gUseCustomTimeFormat}) {
    Reset(*setting);
  }
  for (Text* setting : {&gCustomDateFormat, &gCustomTimeFormat, &gCustomListSeparator}) Reset(*setting);
}

}  // namespace tvk
