#include "logfile/LogFileReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <string_view>
#include <vector>

#include "common/ErrorLog.h"
#include "common/Format.h"
#include "common/TextUtil.h"
#include "common/Utf.h"
#include "logfile/ContainerFormat.h"

namespace TMSystem {

using namespace tvk;

namespace {

constexpr const char* kUnavailable = "Unavailable";
constexpr std::size_t kMaxLineLength = 99;

// The little-endian uint32 that `bytes` begin with (a length, or a size field's low half).
std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes) {
  CTMByteReader reader(bytes);
  std::uint32_t value = 0;
  return reader.ReadU32Le(value) == kOk ? value : 0;
}

// "<Hdr> Version=%d,Size=%d </Hdr>"; the line must begin with "<Hdr>".
bool ParseHeaderLine(const std::string& line, int& size) {
  if (line.rfind("<Hdr>", 0) != 0) return false;
  int version = 0;
  return std::sscanf(line.c_str(), "<Hdr> Version=%d,Size=%d </Hdr>", &version, &size) == 2;
}

bool Contains(const std::string& line, const char* tag) { return line.find(tag) != std::string::npos; }

// Appends the bytes of one line of hexadecimal digit pairs.
bool DecodeHexLine(const std::string& line, CTMByteBuffer& bytes) {
  if (line.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < line.size(); i += 2) {
    std::uint8_t value = 0;
    if (!ParseHex8(std::string_view(line).substr(i, 2), value)) return false;
    if (!bytes.AppendByte(value)) return false;
  }
  return true;
}

}  // namespace

CTMLogFileReader::CTMLogFileReader() { Reset(); }

CTMLogFileReader::~CTMLogFileReader() { Close(); }

void CTMLogFileReader::Reset() {
  fileSize_ = 0;
  userName_ = kUnavailable;
  computerName_ = kUnavailable;
  created_ = kUnixEpochFileTime;
  textForm_ = false;
  cfgPos_ = notesPos_ = dataPos_ = 0;
  cfgSize_ = notesSize_ = dataSize_ = 0;
  cfgStart_ = notesStart_ = dataStart_ = 0;
  notesCursor_ = dataCursor_ = 0;
  textCfg_.Clear();
  textNotes_.Clear();
  textData_.Clear();
}

void CTMLogFileReader::Close() {
  file_.Close();
  Reset();
}

ResultCode CTMLogFileReader::Open(const char* path) {
  if (path == nullptr) return kMissingArgument;
  if (*path == '\0') return kInvalidPath;
  if (IsOpen()) return kFail;
  try {
    Reset();
    if (!file_.OpenForSharedRead(path)) {
      lastError_ = file_.LastError();
      WriteErrorLog(StrFormat("**********  Error: Failed to open log file: %s - error#: %d", path, lastError_));
      return kOpenFailed;
    }
    fileSize_ = file_.Size();
    if (ReadBinaryHeader()) return kOk;
    lastError_ = file_.LastError();
    Close();
    return ParseTextForm(path);
  } catch (...) {
    Close();
    return kUnexpected;
  }
}

bool CTMLogFileReader::ReadBinaryHeader() {
  std::uint8_t fixed[kFixedHeaderSize] = {};
  if (!file_.Read(fixed, sizeof fixed)) return false;
  if (std::memcmp(fixed, kMagic, kMagicSize) != 0) return false;
  CTMByteReader table{std::span<const std::uint8_t>(fixed)};
  std::uint64_t positions[3] = {};
  FileTime created = 0;
  if (table.Skip(kMagicSize) != kOk || table.ReadU64Le(positions[0]) != kOk || table.ReadU64Le(positions[1]) != kOk ||
      table.ReadU64Le(positions[2]) != kOk || table.ReadU64Le(created) != kOk) {
    return false;
  }
  cfgPos_ = static_cast<std::int64_t>(positions[0]);
  notesPos_ = static_cast<std::int64_t>(positions[1]);
  dataPos_ = static_cast<std::int64_t>(positions[2]);

  std::uint8_t length[4] = {};
  if (!file_.Read(length, 4)) return false;
  std::string user = kUnavailable;
  if (!ReadNameField(ReadLe32(length), user)) return false;
  if (!file_.Read(length, 4)) return false;
  const std::uint32_t computerLength = ReadLe32(length);
  std::string computer = kUnavailable;
  if (computerLength >= 1 && computerLength <= 255 && !ReadNameField(computerLength, computer)) return false;

  if (cfgPos_ > 0 && !ReadSectionSize(cfgPos_, 0, cfgSize_, cfgStart_)) return false;
  if (notesPos_ > 0 && !ReadSectionSize(notesPos_, 8, notesSize_, notesStart_)) return false;
  if (dataPos_ > 0 && !ReadSectionSize(dataPos_, 8, dataSize_, dataStart_)) return false;
  notesCursor_ = notesStart_;
  dataCursor_ = dataStart_;
  created_ = created;
  userName_ = user;
  computerName_ = computer;
  return true;
}

// A UTF-16LE name of `length` bytes, read up to its first zero unit. Length 0 leaves `name` as it is.
bool CTMLogFileReader::ReadNameField(std::uint32_t length, std::string& name) {
  if (length == 0) return true;
  if (length > fileSize_ - std::min(fileSize_, file_.Position())) return false;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length) + 2, 0);
  if (!file_.Read(bytes.data(), length)) return false;
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    units.push_back(unit);
  }
  name = Utf16ToUtf8(units);
  return true;
}

// The low 32 bits of the size field at `pos` + `skip`; the data follows the field.
bool CTMLogFileReader::ReadSectionSize(std::int64_t pos, std::uint64_t skip, std::uint32_t& size,
                                       std::uint64_t& start) {
  const auto field = static_cast<std::uint64_t>(pos) + skip;
  std::uint8_t bytes[8] = {};
  if (!file_.Seek(field) || !file_.Read(bytes, 8)) return false;
  size = ReadLe32(bytes);
  start = field + 8;
  return true;
}

// One line of the text form, up to CR, LF or the end of the file. False at the end of the file (no
// line left) and for a line of 100 or more characters.
bool CTMLogFileReader::ReadLine(std::string& line) {
  line.clear();
  int c = file_.ReadByte();
  if (c < 0) return false;
  while (c >= 0 && c != '\r' && c != '\n') {
    if (line.size() == kMaxLineLength) return false;
    line.push_back(static_cast<char>(c));
    c = file_.ReadByte();
  }
  return true;
}

ResultCode CTMLogFileReader::ParseTextForm(const char* path) {
  if (!file_.OpenForSharedRead(path)) {
    lastError_ = file_.LastError();
    return lastError_ == ENOENT ? kFileNotFound : kOpenFailed;
  }
  fileSize_ = file_.Size();
  ResultCode code = kOk;
  std::string line;
  int outerSize = 0;
  if (!ReadLine(line) || !Contains(line, "<TamrelLogFile>") || !ReadLine(line) ||
      !ParseHeaderLine(line, outerSize)) {
    code = kBadHeader;
  } else if (Failed(ReadTextSection("Configuration", textCfg_)) || textCfg_.Empty()) {
    code = kBadConfiguration;
  } else if (Failed(ReadTextSection("Notes", textNotes_))) {
    code = kBadNotes;
  } else if (Failed(ReadTextSection("LogData", textData_))) {
    code = kBadData;
  } else if (!ReadLine(line) || !Contains(line, "</TamrelLogFile>")) {
    code = kNoEndMarker;
  } else if (static_cast<std::int64_t>(textCfg_.Size()) + textNotes_.Size() + textData_.Size() != outerSize) {
    code = kBadSize;
  }
  if (Failed(code)) {
    Close();
    return code;
  }
  textForm_ = true;
  cfgSize_ = textCfg_.Size();
  notesSize_ = textNotes_.Size();
  dataSize_ = textData_.Size();
  return kOk;
}

// One section: the line with the opening tag, its header, the hex bytes and the closing tag.
ResultCode CTMLogFileReader::ReadTextSection(const char* tag, CTMByteBuffer& bytes) {
  const std::string open = StrFormat("<%s>", tag);
  const std::string close = StrFormat("</%s>", tag);
  std::string line;
  do {
    if (!ReadLine(line)) return kFail;
  } while (!Contains(line, open.c_str()));
  int size = 0;
  if (!ReadLine(line) || !ParseHeaderLine(line, size) || size < 0) return kFail;
  if (size > 0) {
    if (!ReadLine(line) || !Contains(line, "<Bytes>")) return kFail;
    while (bytes.Size() < static_cast<std::uint32_t>(size)) {
      if (!ReadLine(line) || !DecodeHexLine(line, bytes)) return kFail;
    }
    if (bytes.Size() != static_cast<std::uint32_t>(size)) return kFail;
    if (!ReadLine(line) || !Contains(line, "</Bytes>")) return kFail;
  }
  do {
    if (!ReadLine(line)) return kFail;
  } while (!Contains(line, close.c_str()));
  return kOk;
}

ResultCode CTMLogFileReader::ReadConfiguration(CTMByteBuffer& out) {
  try {
    out.Clear();
    if (!IsOpen()) return kFail;
    if (textForm_) return out.Assign(textCfg_.Data(), textCfg_.Size()) ? kOk : kUnexpected;
    if (cfgPos_ <= 0 || cfgSize_ == 0) return kOk;
    std::uint64_t cursor = cfgStart_;
    return ReadChunk(cfgStart_, cfgSize_, textCfg_, cursor, cfgSize_, out);
  } catch (...) {
    out.Clear();
    return kUnexpected;
  }
}

ResultCode CTMLogFileReader::ReadNotes(std::uint32_t count, CTMByteBuffer& out) {
  return ReadChunk(notesStart_, notesSize_, textNotes_, notesCursor_, count, out);
}

ResultCode CTMLogFileReader::ReadLogData(std::uint32_t count, CTMByteBuffer& out) {
  return ReadChunk(dataStart_, dataSize_, textData_, dataCursor_, count, out);
}

ResultCode CTMLogFileReader::ReadLogData(std::uint32_t count, std::uint8_t* target) {
  return ReadChunkInto(dataStart_, dataSize_, textData_, dataCursor_, count, target);
}

std::uint32_t CTMLogFileReader::LogDataBytesPresent() const {
  if (textForm_) return std::min(dataSize_, textData_.Size());
  if (dataStart_ >= fileSize_) return 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(dataSize_, fileSize_ - dataStart_));
}

// Whether `count` bytes from `cursor` lie in the section and in the file; checked before any allocation.
bool CTMLogFileReader::ChunkPresent(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text,
                                    std::uint64_t cursor, std::uint32_t count) const {
  cursor = std::max(cursor, start);
  if (cursor + count > start + size) return false;
  const std::uint64_t end = textForm_ ? text.Size() : fileSize_;
  return cursor <= end && count <= end - cursor;
}

// `count` bytes of a section from `cursor`, which advances only on success.
ResultCode CTMLogFileReader::ReadChunk(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text,
                                       std::uint64_t& cursor, std::uint32_t count, CTMByteBuffer& out) {
  if (!IsOpen() || !ChunkPresent(start, size, text, cursor, count)) {
    out.Clear();
    return kFail;
  }
  // Resizing keeps the buffer's memory, so a caller reading window after window reuses one allocation.
  if (!out.Resize(count)) return kUnexpected;
  const ResultCode rc = CopyChunk(start, text, cursor, count, out.Data());
  if (rc != kOk) out.Clear();
  return rc;
}

ResultCode CTMLogFileReader::ReadChunkInto(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text,
                                           std::uint64_t& cursor, std::uint32_t count, std::uint8_t* target) {
  if (!IsOpen() || !ChunkPresent(start, size, text, cursor, count)) return kFail;
  return CopyChunk(start, text, cursor, count, target);
}

// The copy itself, for a chunk ChunkPresent has accepted.
ResultCode CTMLogFileReader::CopyChunk(std::uint64_t start, const CTMByteBuffer& text, std::uint64_t& cursor,
                                       std::uint32_t count, std::uint8_t* target) {
  if (count == 0) return kOk;
  cursor = std::max(cursor, start);
  if (textForm_) {
    std::memcpy(target, text.Data() + cursor, count);
  } else if (!file_.Seek(cursor) || !file_.Read(target, count)) {
    lastError_ = file_.LastError();
    return kFail;
  }
  cursor += count;
  return kOk;
}

bool CTMLogFileReader::SeekLogData(std::uint64_t position) {
  if (!IsOpen() || position < dataStart_ || position > dataStart_ + dataSize_) return false;
  dataCursor_ = position;
  return true;
}

}  // namespace TMSystem
