#pragma once
// Test helpers: an environment variable set for one scope, a temporary folder removed afterwards,
// and whole-file writes.

#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

namespace tvk::test {

// Sets (or, with std::nullopt, unsets) a variable and restores the old state on destruction.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old;
    if (value) {
      setenv(name_.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

// A time-zone variable (TZ, TZDIR) set for one scope; the C library rereads the zone on both ends.
class ScopedZoneEnv {
 public:
  ScopedZoneEnv(std::string name, std::optional<std::string> value) {
    env_.emplace(std::move(name), std::move(value));
    tzset();
  }
  ~ScopedZoneEnv() {
    env_.reset();  // restored before the reread
    tzset();
  }

 private:
  std::optional<ScopedEnv> env_;
};

// A fresh empty folder under the system's temporary folder, removed with its contents.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavisko-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    // A test may have made the folder read-only.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Points XDG_STATE_HOME at a fresh folder removed when the process ends, so that what a test process
// logs never lands in the user's own state folder. False when no folder could be made.
inline bool UsePrivateStateFolder() {
  static const TempFolder folder;
  return !folder.Path().empty() && setenv("XDG_STATE_HOME", folder.Path().string().c_str(), 1) == 0;
}

inline void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The current user's hive in `registryFolder` with `values` (export lines, each ending in CR LF) under the
// display settings key.
inline void WriteDisplaySettingsHive(const std::filesystem::path& registryFolder, std::string_view values) {
  WriteWholeFile(registryFolder / "HKEY_CURRENT_USER.reg",
                 "Windows Registry Editor Version 5.00\r\n\r\n"
                 "[HKEY_CURRENT_USER\\Software\\Tamrel\\Dovmark\\SystemSettings]\r\n" +
                     std::string(values));
}

// Text as UTF-16LE with a byte-order mark, as the registry editor exports it.
inline std::string Utf16LeWithBom(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace tvk::test
