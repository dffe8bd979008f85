#include <cstdlib>
#include <mutex>
#include <new>

#include "platform/RegularFile.h"
#include "platform/TimeZone.h"

// The zone of a Linux machine: $TZ, or the zone file it names, or /etc/localtime.

namespace tvk::platform {
namespace {

// TZif files are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxZoneFileSize = 1 << 20;

std::optional<TimeZoneInfo> ZoneFromContent(std::string_view content) {
  const auto footer = TzifFooterRule(content);
  if (!footer) return std::nullopt;
  return ParsePosixTimeZone(*footer);
}

std::string ZoneFilePath(std::string_view name) {
  if (!name.empty() && name.front() == '/') return std::string(name);
  const char* dir = std::getenv("TZDIR");
  std::string path = dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo";
  return path + "/" + std::string(name);
}

// A zone name stays inside the zone folder.
bool IsSafeZoneName(std::string_view name) {
  return !name.empty() && name.find("..") == std::string_view::npos;
}

// The last zone worked out, with what it was worked out from: the $TZ text and, when the rule came
// from a file, that file's stamp.
struct CachedZone {
  std::optional<std::string> tz;
  std::string path;
  FileStamp stamp;
  bool settled = false;
  std::shared_ptr<const TimeZoneInfo> zone;
};

std::shared_ptr<const TimeZoneInfo> Utc() {
  static const auto utc = std::make_shared<const TimeZoneInfo>();
  return utc;
}

class ZoneCache {
 public:
  std::shared_ptr<const TimeZoneInfo> Current() {
    const char* tzVariable = std::getenv("TZ");
    std::optional<std::string> tz;
    if (tzVariable != nullptr) tz = tzVariable;
    std::string path = "/etc/localtime";
    if (tz) {
      std::string_view name = *tz;
      if (!name.empty() && name.front() == ':') name.remove_prefix(1);
      if (!IsSafeZoneName(name)) return Utc();
      path = ZoneFilePath(name);
      // A rule in $TZ needs no file; its text is the whole key.
      std::lock_guard guard(lock_);
      if (last_.zone != nullptr && last_.tz == tz && last_.path.empty()) return last_.zone;
    }
    return FromRuleOrFile(tz, path);
  }

 private:
  std::shared_ptr<const TimeZoneInfo> FromRuleOrFile(const std::optional<std::string>& tz, const std::string& path) {
    if (tz) {
      if (auto parsed = ParsePosixTimeZone(*tz)) return Keep({tz, {}, {}, true, std::make_shared<const TimeZoneInfo>(*parsed)});
    }
    FileStamp now;
    if (!StampOfFile(path, now)) return Utc();
    {
      std::lock_guard guard(lock_);
      if (last_.zone != nullptr && last_.settled && last_.tz == tz && last_.path == path && last_.stamp == now) {
        return last_.zone;
      }
    }
    CachedZone entry{tz, path, {}, false, Utc()};
    std::string content;
    if (ReadRegularFile(path, kMaxZoneFileSize, content, entry.stamp) != ReadFileResult::kOk) return Utc();
    entry.settled = StampIsSettled(entry.stamp);
    if (auto parsed = ZoneFromContent(content)) entry.zone = std::make_shared<const TimeZoneInfo>(*parsed);
    return Keep(std::move(entry));
  }

  std::shared_ptr<const TimeZoneInfo> Keep(CachedZone entry) {
    std::lock_guard guard(lock_);
    last_ = std::move(entry);
    return last_.zone;
  }

  std::mutex lock_;
  CachedZone last_;
};

}  // namespace

std::shared_ptr<const TimeZoneInfo> CurrentTimeZoneShared() {
  try {
    static ZoneCache cache;
    return cache.Current();
  } catch (const std::exception&) {
    return Utc();
  }
}

TimeZoneInfo CurrentTimeZone() {
  try {
    return *CurrentTimeZoneShared();
  } catch (const std::exception&) {
    return TimeZoneInfo{};
  }
}

}  // namespace tvk::platform
