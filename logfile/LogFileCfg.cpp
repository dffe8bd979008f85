#include "logfile/LogFileCfg.h"

#include <algorithm>
#include <limits>

#include "common/Utf.h"
#include "logfile/Guarded.h"

namespace TMSystem {

using tvk::kOk;
using tvk::ResultCode;

// Returns from the enclosing function when a step fails.
#define TVK_RETURN_IF_FAILED(expr)    \
  do {                                \
    const ResultCode rc_ = (expr);    \
    if (tvk::Failed(rc_)) return rc_; \
  } while (false)

namespace {

constexpr std::uint16_t kListMarker = 1;
constexpr std::uint16_t kCountFlagBit = 0x8000;
constexpr std::uint32_t kEntryFixedBytes = 2 * CTMConfigEntry::kMaxKeyUnits + 2 + 2;
constexpr std::uint32_t kReservedBlockBytes = 65536;
constexpr std::uint32_t kMaxStringUnits = std::numeric_limits<std::uint16_t>::max() / 2;

bool TypeVersionAllowed(std::uint16_t logType, std::uint16_t typeVersion) {
  if (logType == 1 || logType == 3 || logType == 5) return typeVersion == 1;
  return typeVersion <= 2;
}

bool HasWords(std::uint16_t logType) { return logType == 2 || logType == 6; }

bool StringFits(const CTMVariant& value) {
  return value.Type() != VariantType::kString || tvk::Utf16Length(value.StringValue()) <= kMaxStringUnits;
}

}  // namespace

CTMLogFileCfg::CTMLogFileCfg() : validTag_(kValidTag) {}

CTMLogFileCfg::~CTMLogFileCfg() {
  // A store the compiler may not drop: a stale pointer must find the tag gone.
  *static_cast<volatile std::uint32_t*>(&validTag_) = 0;
}

ResultCode CTMLogFileCfg::CopyFrom(const CTMLogFileCfg& other) {
  if (&other == this) return kOk;
  return Guarded(mutex_, other.mutex_, [&] {
    loaded_ = other.loaded_;
    logName_ = other.logName_;
    logGuid_ = other.logGuid_;
    logType_ = other.logType_;
    formatVersion_ = other.formatVersion_;
    headerWord1_ = other.headerWord1_;
    headerWord2_ = other.headerWord2_;
    typeVersion_ = other.typeVersion_;
    headerTime_ = other.headerTime_;
    typeRecord_ = other.typeRecord_;
    pairs_ = other.pairs_;
    entries_ = other.entries_;
    return kOk;
  });
}

void CTMLogFileCfg::ResetFields() {
  loaded_ = false;
  logName_.clear();
  logGuid_ = {};
  logType_ = 0;
  formatVersion_ = kDefaultFormatVersion;
  headerWord1_ = kDefaultHeaderWord1;
  headerWord2_ = 0;
  typeVersion_ = 0;
  headerTime_ = {};
  typeRecord_ = {};
  pairs_.clear();
  entries_.clear();
}

void CTMLogFileCfg::Reset() {
  Guard guard(mutex_);
  ResetFields();
}

bool CTMLogFileCfg::IsValid() const {
  Guard guard(mutex_);
  return validTag_ == kValidTag;
}

// ---- Parsing ----

ResultCode CTMLogFileCfg::ParseConfiguration(const CTMByteBuffer& block) {
  return Guarded(mutex_, [&] {
    if (block.Empty()) return tvk::kFail;
    ResetFields();
    CTMByteReader reader(block);
    TVK_RETURN_IF_FAILED(ParseHeader(reader));
    TVK_RETURN_IF_FAILED(ParseTypeRecord(reader));
    TVK_RETURN_IF_FAILED(ParsePairs(reader));
    TVK_RETURN_IF_FAILED(ParseEntries(reader));
    if (formatVersion_ == 1) {
      // Version-1 blocks have no GUID field; the log's GUID lives in an entry.
      const CTMConfigEntry* entry = FindEntryById(kKeyLogGuid);
      if (entry != nullptr) tvk::TextToGuid(entry->value.AsString(), logGuid_);
    }
    loaded_ = true;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::ParseHeader(CTMByteReader& reader) {
  TVK_RETURN_IF_FAILED(reader.ReadU16(formatVersion_));
  if (formatVersion_ != 1 && formatVersion_ != 2) return tvk::kBadFormatVersion;
  TVK_RETURN_IF_FAILED(reader.ReadString(kLogNameUnits, logName_));
  if (formatVersion_ == 2) TVK_RETURN_IF_FAILED(reader.ReadGuid(logGuid_));
  TVK_RETURN_IF_FAILED(reader.ReadU16(headerWord1_));
  TVK_RETURN_IF_FAILED(reader.ReadU16(headerWord2_));
  TVK_RETURN_IF_FAILED(reader.ReadU16(logType_));
  if (logType_ < 1 || logType_ > kMaxLogType) return tvk::kInvalidLogType;
  TVK_RETURN_IF_FAILED(reader.ReadU16(typeVersion_));
  return reader.ReadDeviceTime(headerTime_);
}

ResultCode CTMLogFileCfg::ParseTypeRecord(CTMByteReader& reader) {
  if (!TypeVersionAllowed(logType_, typeVersion_)) return tvk::kBadFormatVersion;
  CTMLogTypeRecord& record = typeRecord_;
  if (logType_ == 4) {
    std::uint16_t countWord = 0;
    TVK_RETURN_IF_FAILED(reader.ReadU16(countWord));
    if (typeVersion_ == 2) {
      record.countFlag = (countWord & kCountFlagBit) != 0;
      countWord &= static_cast<std::uint16_t>(~kCountFlagBit);
    }
    if (countWord > CTMLogTypeRecord::kMaxItems) return tvk::kLogFileError;
    record.items.resize(countWord);
    for (auto& item : record.items) {
      TVK_RETURN_IF_FAILED(reader.ReadU32(item[0]));
      TVK_RETURN_IF_FAILED(reader.ReadU32(item[1]));
    }
    return kOk;
  }
  TVK_RETURN_IF_FAILED(reader.ReadU32(record.value1));
  TVK_RETURN_IF_FAILED(reader.ReadU32(record.value2));
  if (!HasWords(logType_)) return kOk;
  const std::size_t wordCount = logType_ == 6 ? 4 : 2;
  for (std::size_t i = 0; i < wordCount; ++i) TVK_RETURN_IF_FAILED(reader.ReadU16(record.words[i]));
  if (logType_ != 6) return kOk;
  for (float& real : record.reals) TVK_RETURN_IF_FAILED(reader.ReadF32(real));
  return kOk;
}

ResultCode CTMLogFileCfg::ParsePairs(CTMByteReader& reader) {
  std::uint16_t marker = 0;
  TVK_RETURN_IF_FAILED(reader.ReadU16(marker));
  if (marker != kListMarker) return tvk::kBadFormatVersion;
  std::uint16_t count = 0;
  TVK_RETURN_IF_FAILED(reader.ReadU16(count));
  if (reader.Remaining() / 4 < count) return tvk::kBufferOverrun;
  pairs_.resize(count);
  for (CTMConfigPair& pair : pairs_) {
    TVK_RETURN_IF_FAILED(reader.ReadU16(pair.first));
    TVK_RETURN_IF_FAILED(reader.ReadU16(pair.second));
  }
  return kOk;
}

ResultCode CTMLogFileCfg::ParseEntries(CTMByteReader& reader) {
  if (reader.AtEnd()) return kOk;
  std::uint16_t marker = 0;
  TVK_RETURN_IF_FAILED(reader.ReadU16(marker));
  if (marker != kListMarker) return kOk;
  std::uint16_t count = 0;
  TVK_RETURN_IF_FAILED(reader.ReadU16(count));
  // Only as many as the block could hold are reserved; a short block fails on reading.
  entries_.reserve(std::min<std::uint32_t>(count, reader.Remaining() / kEntryFixedBytes));
  for (std::uint16_t i = 0; i < count; ++i) {
    CTMConfigEntry entry;
    std::uint16_t type = 0;
    std::uint16_t size = 0;
    TVK_RETURN_IF_FAILED(reader.ReadString(CTMConfigEntry::kMaxKeyUnits, entry.key));
    TVK_RETURN_IF_FAILED(reader.ReadU16(type));
    if (!IsValidVariantType(type)) return tvk::kLogFileError;
    TVK_RETURN_IF_FAILED(reader.ReadU16(size));
    TVK_RETURN_IF_FAILED(CTMVariant::ReadFromFile(reader, type, size, entry.value));
    entries_.push_back(std::move(entry));
  }
  return kOk;
}

// ---- Writing ----

ResultCode CTMLogFileCfg::CheckWritable() const {
  if (logType_ == 0) return tvk::kInvalidLogType;
  if (pairs_.empty()) return tvk::kNoParameters;
  if (logName_.empty()) return tvk::kInvalidLogName;
  if (logType_ > kMaxLogType) return tvk::kLogFileError;
  if (typeRecord_.items.size() > CTMLogTypeRecord::kMaxItems && logType_ == 4) return tvk::kLogFileError;
  for (const CTMConfigEntry& entry : entries_) {
    if (!IsValidVariantType(entry.value.TypeCode()) || !StringFits(entry.value)) return tvk::kLogFileError;
  }
  // Counts are 16-bit fields, and a block we could not read back is not written.
  if (pairs_.size() > std::numeric_limits<std::uint16_t>::max() ||
      entries_.size() > std::numeric_limits<std::uint16_t>::max()) {
    return tvk::kLogFileError;
  }
  if (formatVersion_ != 1 && formatVersion_ != 2) return tvk::kBadFormatVersion;
  if (!TypeVersionAllowed(logType_, typeVersion_)) return tvk::kBadFormatVersion;
  return kOk;
}

std::uint32_t CTMLogFileCfg::BlockSize() const {
  std::uint32_t size = 2 + 2 * kLogNameUnits + (formatVersion_ == 2 ? 16 : 0) + 4 * 2 + 6;
  switch (logType_) {
    case 4: size += 2 + 8 * static_cast<std::uint32_t>(typeRecord_.items.size()); break;
    case 2: size += 8 + 4; break;
    case 6: size += 8 + 8 + 12; break;
    default: size += 8; break;
  }
  size += 4 + 4 * static_cast<std::uint32_t>(pairs_.size()) + 4;
  for (const CTMConfigEntry& entry : entries_) size += kEntryFixedBytes + entry.value.FileSize();
  return size;
}

void CTMLogFileCfg::WriteTypeRecord(CTMByteWriter& writer) const {
  const CTMLogTypeRecord& record = typeRecord_;
  if (logType_ == 4) {
    auto countWord = static_cast<std::uint16_t>(record.items.size());
    if (typeVersion_ == 2 && record.countFlag) countWord |= kCountFlagBit;
    writer.WriteU16(countWord);
    for (const auto& item : record.items) {
      writer.WriteU32(item[0]);
      writer.WriteU32(item[1]);
    }
    return;
  }
  writer.WriteU32(record.value1);
  writer.WriteU32(record.value2);
  if (!HasWords(logType_)) return;
  const std::size_t wordCount = logType_ == 6 ? 4 : 2;
  for (std::size_t i = 0; i < wordCount; ++i) writer.WriteU16(record.words[i]);
  if (logType_ != 6) return;
  for (float real : record.reals) writer.WriteF32(real);
}

ResultCode CTMLogFileCfg::SerializeConfiguration(CTMByteBuffer& block) const {
  return Guarded(mutex_, [&] {
    TVK_RETURN_IF_FAILED(CheckWritable());
    if (!block.Reserve(std::max(kReservedBlockBytes, BlockSize()))) return tvk::kUnexpected;
    CTMByteWriter writer(block);
    writer.WriteU16(formatVersion_);
    writer.WriteString(logName_, kLogNameUnits);
    if (formatVersion_ == 2) writer.WriteGuid(logGuid_);
    writer.WriteU16(headerWord1_);
    writer.WriteU16(headerWord2_);
    writer.WriteU16(logType_);
    writer.WriteU16(typeVersion_);
    writer.WriteDeviceTime(headerTime_);
    WriteTypeRecord(writer);
    writer.WriteU16(kListMarker);
    writer.WriteU16(static_cast<std::uint16_t>(pairs_.size()));
    for (const CTMConfigPair& pair : pairs_) {
      writer.WriteU16(pair.first);
      writer.WriteU16(pair.second);
    }
    writer.WriteU16(kListMarker);
    writer.WriteU16(static_cast<std::uint16_t>(entries_.size()));
    for (const CTMConfigEntry& entry : entries_) {
      writer.WriteString(entry.key, CTMConfigEntry::kMaxKeyUnits);
      writer.WriteU16(static_cast<std::uint16_t>(entry.value.TypeCode()));
      writer.WriteU16(static_cast<std::uint16_t>(entry.value.FileSize()));
      entry.value.WriteToFile(writer);
    }
    return kOk;
  });
}

// ---- Entries ----

const CTMConfigEntry* CTMLogFileCfg::FindEntry(std::string_view key) const {
  for (const CTMConfigEntry& entry : entries_) {
    if (tvk::EqualsIgnoreCase(entry.key, key)) return &entry;
  }
  return nullptr;
}

const CTMConfigEntry* CTMLogFileCfg::FindEntryById(ConfigKeyId id) const {
  for (const CTMConfigEntry& entry : entries_) {
    if (KeyIdFromName(entry.key) == id) return &entry;
  }
  return nullptr;
}

ResultCode CTMLogFileCfg::GetValue(std::string_view key, CTMVariant& out) const {
  return Guarded(mutex_, [&] {
    out.Clear();
    const CTMConfigEntry* entry = FindEntry(key);
    if (entry == nullptr) return tvk::kKeyNotFound;
    out = entry->value;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::GetValueById(ConfigKeyId id, CTMVariant& out) const {
  return Guarded(mutex_, [&] {
    out.Clear();
    const CTMConfigEntry* entry = FindEntryById(id);
    if (entry == nullptr) return tvk::kKeyNotFound;
    out = entry->value;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::SetValue(std::string_view key, const CTMVariant& value) {
  return Guarded(mutex_, [&] {
    if (key.empty()) return tvk::kMissingArgument;
    if (tvk::Utf16Length(key) > CTMConfigEntry::kMaxKeyUnits) return tvk::kFail;
    if (value.IsEmpty() || !StringFits(value)) return tvk::kLogFileError;
    CTMConfigEntry replacement{std::string(key), value};
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const CTMConfigEntry& e) { return tvk::EqualsIgnoreCase(e.key, key); });
    if (found == entries_.end()) {
      entries_.push_back(std::move(replacement));
    } else {
      *found = std::move(replacement);
    }
    return kOk;
  });
}

ResultCode CTMLogFileCfg::SetIntegerValue(std::string_view key, std::uint32_t typeCode, std::uint32_t raw) {
  CTMVariant value;
  if (!value.SetRawInteger(typeCode, raw)) return tvk::kLogFileError;
  return SetValue(key, value);
}

ResultCode CTMLogFileCfg::SetStringValue(std::string_view key, std::string_view text) {
  return Guarded(mutex_, [&] { return SetValue(key, CTMVariant(std::string(text))); });
}

std::string CTMLogFileCfg::GetSiteName() const {
  return GuardedOr(mutex_, std::string(), [&] {
    const CTMConfigEntry* entry = FindEntryById(kKeySiteName);
    return entry == nullptr ? std::string() : entry->value.StringValue();
  });
}

tvk::Guid CTMLogFileCfg::GetSiteGuid() const {
  return GuardedOr(mutex_, tvk::Guid{}, [&] {
    tvk::Guid guid;
    const CTMConfigEntry* entry = FindEntryById(kKeySiteGuid);
    if (entry == nullptr) return guid;
    switch (entry->value.Type()) {
      case VariantType::kString: tvk::TextToGuid(entry->value.StringValue(), guid); break;
      case VariantType::kGuid: guid = entry->value.AsGuid(); break;
      default: break;
    }
    return guid;
  });
}

// ---- Header fields ----

std::string CTMLogFileCfg::GetLogName() const {
  return GuardedOr(mutex_, std::string(), [&] { return logName_; });
}

bool CTMLogFileCfg::IsLoaded() const {
  Guard guard(mutex_);
  return loaded_;
}

std::uint16_t CTMLogFileCfg::FormatVersion() const {
  Guard guard(mutex_);
  return formatVersion_;
}

tvk::Guid CTMLogFileCfg::LogGuid() const {
  Guard guard(mutex_);
  return logGuid_;
}

std::uint16_t CTMLogFileCfg::LogType() const {
  Guard guard(mutex_);
  return logType_;
}

std::uint16_t CTMLogFileCfg::HeaderWord1() const {
  Guard guard(mutex_);
  return headerWord1_;
}

std::uint16_t CTMLogFileCfg::HeaderWord2() const {
  Guard guard(mutex_);
  return headerWord2_;
}

std::uint16_t CTMLogFileCfg::TypeVersion() const {
  Guard guard(mutex_);
  return typeVersion_;
}

CTMDeviceTime CTMLogFileCfg::HeaderTime() const {
  Guard guard(mutex_);
  return headerTime_;
}

ResultCode CTMLogFileCfg::GetTypeRecord(CTMLogTypeRecord& out) const {
  return Guarded(mutex_, [&] {
    out = typeRecord_;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::GetPairs(std::vector<CTMConfigPair>& out) const {
  return Guarded(mutex_, [&] {
    out = pairs_;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::GetEntries(std::vector<CTMConfigEntry>& out) const {
  return Guarded(mutex_, [&] {
    out = entries_;
    return kOk;
  });
}

std::size_t CTMLogFileCfg::EntryCount() const {
  Guard guard(mutex_);
  return entries_.size();
}

ResultCode CTMLogFileCfg::SetLogName(std::string_view name) {
  return Guarded(mutex_, [&] {
    logName_.assign(name);
    return kOk;
  });
}

void CTMLogFileCfg::SetFormatVersion(std::uint16_t version) {
  Guard guard(mutex_);
  formatVersion_ = version;
}

void CTMLogFileCfg::SetLogGuid(const tvk::Guid& guid) {
  Guard guard(mutex_);
  logGuid_ = guid;
}

void CTMLogFileCfg::SetLogType(std::uint16_t type) {
  Guard guard(mutex_);
  logType_ = type;
}

void CTMLogFileCfg::SetHeaderWords(std::uint16_t word1, std::uint16_t word2) {
  Guard guard(mutex_);
  headerWord1_ = word1;
  headerWord2_ = word2;
}

void CTMLogFileCfg::SetTypeVersion(std::uint16_t version) {
  Guard guard(mutex_);
  typeVersion_ = version;
}

void CTMLogFileCfg::SetHeaderTime(const CTMDeviceTime& time) {
  Guard guard(mutex_);
  headerTime_ = time;
}

ResultCode CTMLogFileCfg::SetTypeRecord(const CTMLogTypeRecord& record) {
  return Guarded(mutex_, [&] {
    typeRecord_ = record;
    return kOk;
  });
}

ResultCode CTMLogFileCfg::SetPairs(const std::vector<CTMConfigPair>& pairs) {
  return Guarded(mutex_, [&] {
    pairs_ = pairs;
    return kOk;
  });
}

}  // namespace TMSystem
