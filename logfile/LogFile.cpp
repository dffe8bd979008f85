#include "logfile/LogFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <future>
#include <new>
#include <system_error>

#include "common/Guid.h"
#include "common/Utf.h"
#include "logfile/Guarded.h"
#include "logfile/LogFileReader.h"
#include "logfile/LogFileWriter.h"
#include "platform/Path.h"

namespace TMSystem {

using tvk::kFileNotFound;
using tvk::kInvalidPath;
using tvk::kNotesNotLoaded;
using tvk::kOk;
using tvk::kSaveInCursorMode;
using tvk::platform::Placement;

namespace {

constexpr std::size_t kRowChunkBytes = std::size_t{4} << 20;

// Whether the two paths name one file: the file system decides, not the spelling.
bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(tvk::platform::PathFromUtf8(a), tvk::platform::PathFromUtf8(b), ec) && !ec;
}

}  // namespace

CTMLogFile::~CTMLogFile() {
  Guard guard(mutex_);
  ResetFileFields();
}

void CTMLogFile::ResetFileFields() {
  loadMode_ = 0;
  hasNotes_ = false;
  path_.clear();
  std::vector<CTMLogNotesRecord>().swap(notes_);
  creatorUserName_.clear();
  creatorComputerName_.clear();
  creationTime_ = tvk::MakeSystemTime(1970, 1, 1);
}

void CTMLogFile::Reset() {
  Guard guard(mutex_);
  ResetFileFields();
  CTMLogFileDataAndCfg::Reset();
}

ResultCode CTMLogFile::Load(const std::string& path, int mode) {
  return Guarded(mutex_, [&] {
    Reset();
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(tvk::platform::PathFromUtf8(path), ec)) return kFileNotFound;

    CTMLogFileReader reader;
    CTMByteBuffer block;
    ResultCode rc = reader.Open(path);
    if (tvk::Succeeded(rc)) rc = reader.ReadConfiguration(block);
    if (tvk::Failed(rc)) return rc;

    loadMode_ = mode;
    path_ = path;
    if (rc = ParseConfiguration(block); tvk::Failed(rc)) {
      Reset();
      return rc;
    }
    creatorUserName_ = reader.CreatorUserName();
    creatorComputerName_ = reader.CreatorComputerName();
    creationTime_ = tvk::FileTimeToSystemTime(reader.CreationTime()).value_or(tvk::MakeSystemTime(1970, 1, 1));

    CTMByteBuffer notesSection;
    if (rc = reader.ReadNotes(reader.NotesSize(), notesSection); tvk::Failed(rc)) return tvk::kBadNotes;
    notes_ = ReadNotesSection(notesSection);
    hasNotes_ = !notes_.empty();
    reader.Close();

    if (mode != kLoadAll && mode != kLoadOnDemand) return kOk;
    rc = mode == kLoadAll ? LoadDataAll(path) : LoadDataOnDemand(path);
    if (rc == kOk && data_.ColumnCount() > 0) data_.SetHasData(true);
    return rc;
  });
}

ResultCode CTMLogFile::SerializeAll(bool forSave, const StreamedRows& streamed, CTMByteBuffer& configuration,
                                    CTMByteBuffer& notes, CTMByteBuffer& data, bool& writeData) {
  ResultCode rc = SerializeConfiguration(configuration);
  if (tvk::Failed(rc)) return rc;
  if (forSave || !notes_.empty()) {
    if (rc = WriteNotesSection(notes_, notes); tvk::Failed(rc)) return rc;
  }
  if (streamed.source != nullptr) {
    writeData = streamed.count != 0;
    const std::uint64_t size = data_.SiteHeader().FileSize() + 10ULL * data_.ColumnCount() +
                               std::uint64_t{RowFileSize(data_.ColumnCount())} * streamed.count;
    if (size > 0xFFFFFFFFULL) return tvk::kUnexpected;
    return writeData ? data_.SerializeHeaders(data) : kOk;
  }
  writeData = forSave || data_.RowCount() != 0;
  // Rows held in memory are already in their file form and are written from where they lie.
  if (writeData) rc = data_.OnDemand() ? data_.SerializeData(data) : data_.SerializeHeaders(data);
  return rc;
}

ResultCode CTMLogFile::WriteFile(const std::string& target, bool forSave, Placement placement,
                                 const std::function<bool()>& abandon, const StreamedRows& streamed) {
  lastWriteError_ = 0;
  const auto abandoned = [&abandon] { return abandon && abandon(); };
  if (abandoned()) {
    lastWriteError_ = ECANCELED;
    return tvk::kFail;
  }
  CTMByteBuffer configuration;
  CTMByteBuffer notes;
  CTMByteBuffer data;
  bool writeData = false;
  ResultCode rc = SerializeAll(forSave, streamed, configuration, notes, data, writeData);
  if (tvk::Failed(rc)) return rc;

  CTMLogFileWriter writer(fileOps_ != nullptr ? *fileOps_ : tvk::platform::SystemFileOps());
  rc = writer.Create(target, placement);
  if (tvk::Succeeded(rc)) rc = writer.WriteConfiguration(configuration);
  if (tvk::Succeeded(rc)) rc = writer.AppendNotes(notes);
  if (tvk::Succeeded(rc) && writeData) rc = writer.AppendLogData(data);
  // The rows go in chunks, so that a caller giving up on a large log is heard within a chunk. Two
  // chunks take turns: the source makes the next on this thread (it may read this log, whose lock this
  // thread holds) while the last is written on a thread of its own.
  bool cancelled = false;
  if (streamed.source != nullptr && writeData) {
    const std::uint32_t stride = RowFileSize(data_.ColumnCount());
    const std::uint32_t rowsPerChunk = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(kRowChunkBytes / stride));
    std::vector<std::uint8_t, UnfilledAllocator<std::uint8_t>> chunks[2];
    try {
      for (auto& chunk : chunks) chunk.resize(static_cast<std::size_t>(std::min(rowsPerChunk, streamed.count)) * stride);
    } catch (const std::bad_alloc&) {
      rc = tvk::kUnexpected;
    }
    std::future<ResultCode> writing;
    const auto written = [&writing, &rc] {
      if (!writing.valid()) return;
      const ResultCode writeRc = writing.get();
      if (tvk::Succeeded(rc)) rc = writeRc;
    };
    for (std::uint32_t first = 0, turn = 0; tvk::Succeeded(rc) && first < streamed.count; first += rowsPerChunk, turn ^= 1) {
      if (abandoned()) {
        cancelled = true;
        rc = tvk::kFail;
        break;
      }
      const std::uint32_t count = std::min(rowsPerChunk, streamed.count - first);
      rc = (*streamed.source)(first, count, chunks[turn].data());
      written();
      if (tvk::Failed(rc)) break;
      const std::uint8_t* bytes = chunks[turn].data();
      const std::uint32_t size = count * stride;
      try {
        writing = std::async(std::launch::async, [&writer, bytes, size] { return writer.AppendLogData(bytes, size); });
      } catch (const std::system_error&) {
        rc = writer.AppendLogData(bytes, size);  // no thread to be had: written here
      }
    }
    written();
  }
  const std::span<const std::uint8_t> rows =
      writeData && streamed.source == nullptr ? data_.HeldRowBytes() : std::span<const std::uint8_t>();
  for (std::size_t at = 0; tvk::Succeeded(rc) && at < rows.size(); at += kRowChunkBytes) {
    if (abandoned()) {
      cancelled = true;
      rc = tvk::kFail;
      break;
    }
    const std::size_t count = std::min(kRowChunkBytes, rows.size() - at);
    rc = writer.AppendLogData(rows.data() + at, static_cast<std::uint32_t>(count));
  }
  if (tvk::Succeeded(rc)) {
    rc = writer.Close(abandon);
  } else {
    writer.Discard();
  }
  if (tvk::Failed(rc)) lastWriteError_ = cancelled ? ECANCELED : writer.LastError();
  return rc;
}

ResultCode CTMLogFile::Save() {
  return Guarded(mutex_, [&] {
    if (path_.empty()) return kInvalidPath;
    if (loadMode_ != 0 && loadMode_ != kLoadAll) return kSaveInCursorMode;
    return WriteFile(path_, true, Placement::kReplace, nullptr, StreamedRows());
  });
}

ResultCode CTMLogFile::SaveAs(const std::string& newPath) {
  return Guarded(mutex_, [&] {
    if (newPath.empty()) return kInvalidPath;
    if (!path_.empty() && SameFile(newPath, path_)) return Save();
    const ResultCode rc = WriteFile(newPath, false, Placement::kReplace, nullptr, StreamedRows());
    if (tvk::Succeeded(rc)) path_ = newPath;
    return rc;
  });
}

ResultCode CTMLogFile::SaveAsNew(const std::string& newPath, const std::function<bool()>& abandon) {
  return Guarded(mutex_, [&] {
    if (newPath.empty()) return kInvalidPath;
    const ResultCode rc = WriteFile(newPath, false, Placement::kNoReplace, abandon, StreamedRows());
    if (tvk::Succeeded(rc)) path_ = newPath;
    return rc;
  });
}

ResultCode CTMLogFile::SaveAsNew(const std::string& newPath, std::uint32_t rowCount, const RowSource& rows,
                                 const std::function<bool()>& abandon) {
  return Guarded(mutex_, [&] {
    if (newPath.empty()) return kInvalidPath;
    if (!rows) return tvk::kMissingArgument;
    const ResultCode rc = WriteFile(newPath, false, Placement::kNoReplace, abandon, StreamedRows{rowCount, &rows});
    if (tvk::Succeeded(rc)) path_ = newPath;
    return rc;
  });
}

int CTMLogFile::GetLastWriteError() const {
  Guard guard(mutex_);
  return lastWriteError_;
}

void CTMLogFile::SetFileOps(tvk::platform::FileOps* ops) {
  Guard guard(mutex_);
  fileOps_ = ops;
}

ResultCode CTMLogFile::GetNotes(std::vector<CTMLogNotesRecord>& out) const {
  return Guarded(mutex_, [&] {
    out.clear();
    if (!hasNotes_) return kNotesNotLoaded;
    out = notes_;
    return kOk;
  });
}

ResultCode CTMLogFile::SetNotes(const std::vector<CTMLogNotesRecord>& notes) {
  return Guarded(mutex_, [&] {
    notes_ = notes;
    return kOk;
  });
}

CTMLogNotesRecord CTMLogFile::GetNote(std::size_t index) const {
  return GuardedOr(mutex_, CTMLogNotesRecord{},
                   [&] { return index < notes_.size() ? notes_[index] : CTMLogNotesRecord{}; });
}

std::size_t CTMLogFile::GetNoteCount() const {
  Guard guard(mutex_);
  return notes_.size();
}

ResultCode CTMLogFile::GetSiteInfo(std::string& siteName, std::string& siteGuidText) const {
  return Guarded(mutex_, [&] {
    siteName = GetSiteName();
    tvk::Guid guid = GetSiteGuid();
    if (data_.HasData() && data_.SiteHeader().siteName != siteName) {
      siteName = data_.SiteHeader().siteName;
      guid = tvk::Guid{};
    }
    siteGuidText = tvk::GuidToText(guid);
    return kOk;
  });
}

ResultCode CTMLogFile::CopyLogFrom(const CTMLogFile& other) {
  if (&other == this) return kOk;
  return Guarded(mutex_, other.mutex_, [&] {
    const ResultCode rc = CopyDataFrom(other);
    if (tvk::Failed(rc)) return rc;
    notes_ = other.notes_;
    hasNotes_ = other.hasNotes_;
    loadMode_ = other.loadMode_;
    path_ = other.path_;
    creatorUserName_ = other.creatorUserName_;
    creatorComputerName_ = other.creatorComputerName_;
    creationTime_ = other.creationTime_;
    return kOk;
  });
}

std::string CTMLogFile::GetPath() const {
  return GuardedOr(mutex_, std::string(), [&] { return path_; });
}

int CTMLogFile::GetLoadMode() const {
  Guard guard(mutex_);
  return loadMode_;
}

bool CTMLogFile::HasNotes() const {
  Guard guard(mutex_);
  return hasNotes_;
}

std::string CTMLogFile::GetCreatorUserName() const {
  return GuardedOr(mutex_, std::string(), [&] { return creatorUserName_; });
}

std::string CTMLogFile::GetCreatorComputerName() const {
  return GuardedOr(mutex_, std::string(), [&] { return creatorComputerName_; });
}

tvk::SystemTime CTMLogFile::GetCreationTime() const {
  Guard guard(mutex_);
  return creationTime_;
}

}  // namespace TMSystem
