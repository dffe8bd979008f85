#include "logfile/LogFileWriter.h"

#include <limits>

#include "common/Utf.h"
#include "logfile/ContainerFormat.h"
#include "platform/SystemInfo.h"

namespace TMSystem {

using namespace tvk;

CTMLogFileWriter::CTMLogFileWriter() = default;

CTMLogFileWriter::CTMLogFileWriter(platform::FileOps& ops) : file_(ops) {}

CTMLogFileWriter::~CTMLogFileWriter() { Discard(); }

void CTMLogFileWriter::Discard() {
  file_.Discard();
  Reset();
}

void CTMLogFileWriter::Reset() {
  state_ = State::kNothing;
  failed_ = false;
  tableWritten_ = false;
  cfgSize_ = notesTotal_ = dataTotal_ = 0;
  cfgPos_ = notesPos_ = dataPos_ = 0;
}

ResultCode CTMLogFileWriter::Create(const char* path, platform::Placement placement) {
  if (path == nullptr) return kMissingArgument;
  if (*path == '\0') return kInvalidPath;
  try {
    return Create(path, platform::CurrentUserName(), platform::ComputerName(), CurrentUtcFileTime(), placement);
  } catch (...) {
    return kUnexpected;
  }
}

ResultCode CTMLogFileWriter::Create(const char* path, const std::string& user, const std::string& computer,
                                    FileTime created, platform::Placement placement) {
  if (path == nullptr) return kMissingArgument;
  if (*path == '\0') return kInvalidPath;
  if (IsOpen()) return kOpenFailed;
  try {
    Reset();
    if (!file_.CreateForWriting(path, placement)) return kOpenFailed;
    if (WriteHeader(user, computer, created)) return kOk;
    Discard();
    return kFail;
  } catch (...) {
    return kUnexpected;
  }
}

// A write that failed part way leaves the file unusable: it is never given its name.
bool CTMLogFileWriter::Put(const void* bytes, std::size_t count) {
  if (file_.Write(bytes, count)) return true;
  failed_ = true;
  return false;
}

// A little-endian number of `width` bytes (4 or 8) at the file position.
bool CTMLogFileWriter::WriteLe(std::uint64_t value, int width) {
  CTMByteBuffer bytes;
  CTMByteWriter writer(bytes);
  if (width == 4) {
    writer.WriteU32Le(static_cast<std::uint32_t>(value));
  } else {
    writer.WriteU64Le(value);
  }
  return bytes.Size() == static_cast<std::uint32_t>(width) && Put(bytes.Data(), bytes.Size());
}

// The length 2 x units + 1, then the UTF-16LE text and the first byte of its zero unit.
bool CTMLogFileWriter::WriteName(const std::string& name) {
  const std::u16string units = Utf8ToUtf16(name);
  std::string bytes;
  for (char16_t unit : units) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  bytes.push_back('\0');
  return WriteLe(bytes.size(), 4) && Put(bytes.data(), bytes.size());
}

bool CTMLogFileWriter::WriteHeader(const std::string& user, const std::string& computer, FileTime created) {
  if (!file_.Seek(0) || !Put(kMagic, kMagicSize)) return false;
  if (!WriteLe(0, 8) || !WriteLe(0, 8) || !WriteLe(0, 8)) return false;
  tableWritten_ = true;
  return WriteLe(created, 8) && WriteName(user) && WriteName(computer);
}

// The Notes and LogData header: 8 reserved zero bytes, then the size.
bool CTMLogFileWriter::WriteSectionHeader(std::uint64_t size) { return WriteLe(0, 8) && WriteLe(size, 8); }

ResultCode CTMLogFileWriter::WriteConfiguration(const std::uint8_t* data, std::uint32_t size) {
  if (!IsOpen() || state_ != State::kNothing || size == 0) return kFail;
  if (data == nullptr) return kMissingArgument;
  try {
    cfgPos_ = static_cast<std::int64_t>(file_.Position());
    if (!WriteLe(size, 8) || !Put(data, size)) return kFail;
    cfgSize_ = size;
    state_ = State::kConfiguration;
    return kOk;
  } catch (...) {
    return kUnexpected;
  }
}

ResultCode CTMLogFileWriter::AppendNotes(const std::uint8_t* data, std::uint32_t size) {
  if (!IsOpen() || state_ == State::kNothing || state_ == State::kLogData) return kFail;
  if (size == 0) return kOk;
  if (data == nullptr) return kMissingArgument;
  if (size > std::numeric_limits<std::uint32_t>::max() - notesTotal_) return kFail;
  try {
    if (state_ == State::kConfiguration) {
      notesPos_ = static_cast<std::int64_t>(file_.Position());
      if (!WriteSectionHeader(size)) return kFail;
      state_ = State::kNotes;
    }
    if (!Put(data, size)) return kFail;
    notesTotal_ += size;
    return kOk;
  } catch (...) {
    return kUnexpected;
  }
}

ResultCode CTMLogFileWriter::AppendLogData(const std::uint8_t* data, std::uint32_t size) {
  if (!IsOpen() || state_ == State::kNothing) return kFail;
  if (size == 0) return kOk;
  if (data == nullptr) return kMissingArgument;
  if (size > std::numeric_limits<std::uint32_t>::max() - dataTotal_) return kFail;
  try {
    if (state_ != State::kLogData) {
      dataPos_ = static_cast<std::int64_t>(file_.Position());
      if (!WriteSectionHeader(size)) return kFail;
      state_ = State::kLogData;
    }
    if (!Put(data, size)) return kFail;
    dataTotal_ += size;
    return kOk;
  } catch (...) {
    return kUnexpected;
  }
}

ResultCode CTMLogFileWriter::Close(const std::function<bool()>& abandon) {
  if (!IsOpen()) return kOk;
  bool ok = !failed_;
  try {
    if (ok && tableWritten_) {
      ok = file_.Seek(kSectionTablePos) && WriteLe(static_cast<std::uint64_t>(cfgPos_), 8) &&
           WriteLe(static_cast<std::uint64_t>(notesPos_), 8) && WriteLe(static_cast<std::uint64_t>(dataPos_), 8);
    }
    if (ok && notesPos_ > 0) {
      ok = file_.Seek(static_cast<std::uint64_t>(notesPos_)) && WriteSectionHeader(notesTotal_);
    }
    if (ok && dataPos_ > 0) {
      ok = file_.Seek(static_cast<std::uint64_t>(dataPos_)) && WriteSectionHeader(dataTotal_);
    }
  } catch (...) {
    ok = false;
  }
  if (ok) {
    ok = file_.Close(abandon);
  } else {
    file_.Discard();
  }
  Reset();
  return ok ? kOk : kFail;
}

}  // namespace TMSystem
