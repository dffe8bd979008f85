#pragma once
// The configuration of a log: a fixed header, a record whose form depends on the log type, a list of
// number pairs and a list of keyed values. Parsed from and written to the log's Configuration block.
// Base class of the data block and of the log object, which share its lock.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "common/DeviceTime.h"
#include "common/Guid.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"
#include "logfile/ConfigKeys.h"
#include "logfile/Variant.h"

namespace TMSystem {

struct CTMConfigEntry {
  // Keys are at most this many UTF-16 code units; they are written as a fixed field of that width.
  static constexpr std::size_t kMaxKeyUnits = 32;

  std::string key;
  CTMVariant value;

  friend bool operator==(const CTMConfigEntry&, const CTMConfigEntry&) = default;
};

struct CTMConfigPair {
  std::uint16_t first = 0;
  std::uint16_t second = 0;

  friend bool operator==(const CTMConfigPair&, const CTMConfigPair&) = default;
};

// The record that follows the header; which fields exist depends on the log type:
// types 1, 3, 5: value1, value2; type 2: also word1, word2; type 6: also word1-word4 and real1-real3;
// type 4: the items (at most 15) and, with type version 2, the flag in bit 15 of the count word.
// The library carries the fields unchanged.
struct CTMLogTypeRecord {
  static constexpr std::size_t kMaxItems = 15;

  std::uint32_t value1 = 0;
  std::uint32_t value2 = 0;
  std::array<std::uint16_t, 4> words{};
  std::array<float, 3> reals{};
  bool countFlag = false;
  std::vector<std::array<std::uint32_t, 2>> items;

  friend bool operator==(const CTMLogTypeRecord&, const CTMLogTypeRecord&) = default;
};

class CTMLogFileCfg {
 public:
  static constexpr std::uint32_t kValidTag = 0x4C464944;
  static constexpr std::uint16_t kDefaultFormatVersion = 1;
  static constexpr std::uint16_t kDefaultHeaderWord1 = 4096;
  static constexpr std::uint16_t kLogNameUnits = 32;
  static constexpr std::uint16_t kMaxLogType = 6;

  CTMLogFileCfg();
  CTMLogFileCfg(const CTMLogFileCfg&) = delete;
  CTMLogFileCfg& operator=(const CTMLogFileCfg&) = delete;

  // Virtual operations, in this order: destructor, CopyFrom, Reset, IsValid.
  virtual ~CTMLogFileCfg();
  // Deep copy of everything but the lock; copying onto itself does nothing.
  virtual ResultCode CopyFrom(const CTMLogFileCfg& other);
  // Back to the state of a new object.
  virtual void Reset();
  virtual bool IsValid() const;

  // Replaces the contents with the parsed block. A failed parse leaves the object partly filled.
  ResultCode ParseConfiguration(const CTMByteBuffer& block);
  // Replaces the buffer's contents with the block.
  ResultCode SerializeConfiguration(CTMByteBuffer& block) const;

  // The first entry with that key (ignoring case); kKeyNotFound when there is none.
  ResultCode GetValue(std::string_view key, CTMVariant& out) const;
  // The first entry whose key has that id in the key table; kKeyNotFound when there is none.
  ResultCode GetValueById(ConfigKeyId id, CTMVariant& out) const;

  // Replaces the first entry with that key (its spelling and value, keeping its place) or appends a
  // new entry. Refused, with nothing stored: an empty key (kMissingArgument), a key longer than 32
  // UTF-16 units (kFail), an empty value or a string too long for the block (kLogFileError).
  ResultCode SetValue(std::string_view key, const CTMVariant& value);
  // An integer kind (type code 1-5, 8, 11, 12, 14) from a raw value; kLogFileError for other codes.
  ResultCode SetIntegerValue(std::string_view key, std::uint32_t typeCode, std::uint32_t raw);
  ResultCode SetStringValue(std::string_view key, std::string_view text);
  ResultCode SetValue(std::string_view key, std::uint32_t typeCode, std::uint32_t raw) {
    return SetIntegerValue(key, typeCode, raw);
  }
  ResultCode SetValue(std::string_view key, std::string_view text) { return SetStringValue(key, text); }

  std::string GetLogName() const;
  // The string of "SiteName", or "" when there is none.
  std::string GetSiteName() const;
  // "SiteGUID" as GUID text or as a GUID value; the zero GUID otherwise.
  tvk::Guid GetSiteGuid() const;

  bool IsLoaded() const;
  std::uint16_t FormatVersion() const;
  tvk::Guid LogGuid() const;
  std::uint16_t LogType() const;
  std::uint16_t HeaderWord1() const;
  std::uint16_t HeaderWord2() const;
  std::uint16_t TypeVersion() const;
  CTMDeviceTime HeaderTime() const;
  ResultCode GetTypeRecord(CTMLogTypeRecord& out) const;
  ResultCode GetPairs(std::vector<CTMConfigPair>& out) const;
  ResultCode GetEntries(std::vector<CTMConfigEntry>& out) const;
  std::size_t EntryCount() const;

  ResultCode SetLogName(std::string_view name);
  void SetFormatVersion(std::uint16_t version);
  void SetLogGuid(const tvk::Guid& guid);
  void SetLogType(std::uint16_t type);
  void SetHeaderWords(std::uint16_t word1, std::uint16_t word2);
  void SetTypeVersion(std::uint16_t version);
  void SetHeaderTime(const CTMDeviceTime& time);
  ResultCode SetTypeRecord(const CTMLogTypeRecord& record);
  ResultCode SetPairs(const std::vector<CTMConfigPair>& pairs);

 protected:
  using Guard = std::lock_guard<std::recursive_mutex>;
  // The object's one lock, taken by every public operation here and in the derived classes.
  mutable std::recursive_mutex mutex_;

 private:
  ResultCode ParseHeader(CTMByteReader& reader);
  ResultCode ParseTypeRecord(CTMByteReader& reader);
  ResultCode ParsePairs(CTMByteReader& reader);
  ResultCode ParseEntries(CTMByteReader& reader);
  ResultCode CheckWritable() const;
  std::uint32_t BlockSize() const;
  void WriteTypeRecord(CTMByteWriter& writer) const;
  const CTMConfigEntry* FindEntry(std::string_view key) const;
  const CTMConfigEntry* FindEntryById(ConfigKeyId id) const;
  void ResetFields();

  bool loaded_ = false;
  std::string logName_;
  tvk::Guid logGuid_{};
  std::uint16_t logType_ = 0;
  std::uint16_t formatVersion_ = kDefaultFormatVersion;
  std::uint16_t headerWord1_ = kDefaultHeaderWord1;
  std::uint16_t headerWord2_ = 0;
  std::uint16_t typeVersion_ = 0;
  CTMDeviceTime headerTime_{};
  CTMLogTypeRecord typeRecord_;
  std::vector<CTMConfigPair> pairs_;
  std::vector<CTMConfigEntry> entries_;
  std::uint32_t validTag_ = 0;
};

}  // namespace TMSystem
