#pragma once
// Writes a new log file container: header, then Configuration, Notes and LogData in that order. The
// file takes its name only in Close, complete and flushed; until then nothing is visible at the path.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "common/Calendar.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"
#include "platform/File.h"

namespace TMSystem {

class CTMLogFileWriter {
 public:
  CTMLogFileWriter();
  // Writes through `ops` (tests inject failures); `ops` must outlive the writer.
  explicit CTMLogFileWriter(tvk::platform::FileOps& ops);
  ~CTMLogFileWriter();  // discards a file that was not closed
  CTMLogFileWriter(const CTMLogFileWriter&) = delete;
  CTMLogFileWriter& operator=(const CTMLogFileWriter&) = delete;

  // Starts a new file for `path` and writes its header with the current user, computer and UTC time:
  // kMissingArgument, kInvalidPath, kOpenFailed (also while a reader holds the file, when `path` is
  // taken and `placement` is kNoReplace, or while this writer has a file open), kFail when the header
  // cannot be written. With kReplace, Close replaces what `path` names.
  ResultCode Create(const char* path, tvk::platform::Placement placement = tvk::platform::Placement::kReplace);
  ResultCode Create(const std::string& path,
                    tvk::platform::Placement placement = tvk::platform::Placement::kReplace) {
    return Create(path.c_str(), placement);
  }
  // The same with the creator names and creation time given (tests, reproducible output).
  ResultCode Create(const char* path, const std::string& user, const std::string& computer, tvk::FileTime created,
                    tvk::platform::Placement placement = tvk::platform::Placement::kReplace);

  // Only first and only with size > 0, else kFail.
  ResultCode WriteConfiguration(const std::uint8_t* data, std::uint32_t size);
  // Refused (kFail) before the configuration and after LogData started; 0 bytes write nothing.
  ResultCode AppendNotes(const std::uint8_t* data, std::uint32_t size);
  // Refused before the configuration; 0 bytes write nothing.
  ResultCode AppendLogData(const std::uint8_t* data, std::uint32_t size);

  ResultCode WriteConfiguration(const CTMByteBuffer& b) { return WriteConfiguration(b.Data(), b.Size()); }
  ResultCode AppendNotes(const CTMByteBuffer& b) { return AppendNotes(b.Data(), b.Size()); }
  ResultCode AppendLogData(const CTMByteBuffer& b) { return AppendLogData(b.Data(), b.Size()); }

  // Rewrites the section table and the section sizes, flushes the file and gives it its name; kFail
  // when any of that failed (nothing is then left at the path, see LastError()). Nothing open: does
  // nothing. `abandon`, when given, is asked just before the flushed file takes its name: true discards
  // it (kFail, LastError() ECANCELED).
  ResultCode Close(const std::function<bool()>& abandon = nullptr);
  // Drops the unfinished file: nothing appears at the path.
  void Discard();

  bool IsOpen() const { return file_.IsOpen(); }
  // errno of the last failed file call.
  int LastError() const { return file_.LastError(); }

 private:
  enum class State { kNothing, kConfiguration, kNotes, kLogData };

  bool Put(const void* bytes, std::size_t count);
  bool WriteHeader(const std::string& user, const std::string& computer, tvk::FileTime created);
  bool WriteLe(std::uint64_t value, int width);
  bool WriteName(const std::string& name);
  bool WriteSectionHeader(std::uint64_t size);
  void Reset();

  tvk::platform::CFile file_;
  State state_ = State::kNothing;
  bool failed_ = false;
  bool tableWritten_ = false;
  std::uint32_t cfgSize_ = 0;
  std::uint32_t notesTotal_ = 0;
  std::uint32_t dataTotal_ = 0;
  std::int64_t cfgPos_ = 0, notesPos_ = 0, dataPos_ = 0;
};

}  // namespace TMSystem
