#pragma once
// Writes a new log file container: header, then Configuration, Notes and LogData in that order. The
// section table and the Notes and LogData sizes are only right after Close.

#include <cstdint>
#include <string>

#include "common/Calendar.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"
#include "platform/File.h"

namespace TMSystem {

class CTMLogFileWriter {
 public:
  CTMLogFileWriter();
  ~CTMLogFileWriter();  // closes
  CTMLogFileWriter(const CTMLogFileWriter&) = delete;
  CTMLogFileWriter& operator=(const CTMLogFileWriter&) = delete;

  // Creates (truncates) the file and writes its header with the current user, computer and UTC time:
  // kMissingArgument, kInvalidPath, kOpenFailed (also while a reader holds the file, or while this
  // writer has a file open), kFail when the header cannot be written.
  ResultCode Create(const char* path);
  ResultCode Create(const std::string& path) { return Create(path.c_str()); }
  // The same with the creator names and creation time given (tests, reproducible output).
  ResultCode Create(const char* path, const std::string& user, const std::string& computer,
                    tvk::FileTime created);

  // Only first and only with size > 0, else kFail.
  ResultCode WriteConfiguration(const std::uint8_t* data, std::uint32_t size);
  // Refused (kFail) before the configuration and after LogData started; 0 bytes write nothing.
  ResultCode AppendNotes(const std::uint8_t* data, std::uint32_t size);
  // Refused before the configuration; 0 bytes write nothing.
  ResultCode AppendLogData(const std::uint8_t* data, std::uint32_t size);

  ResultCode WriteConfiguration(const CTMByteBuffer& b) { return WriteConfiguration(b.Data(), b.Size()); }
  ResultCode AppendNotes(const CTMByteBuffer& b) { return AppendNotes(b.Data(), b.Size()); }
  ResultCode AppendLogData(const CTMByteBuffer& b) { return AppendLogData(b.Data(), b.Size()); }

  // Rewrites the section table and the section sizes, then closes. Nothing open: does nothing.
  ResultCode Close();

  bool IsOpen() const { return file_.IsOpen(); }
  // errno of the last failed file call.
  int LastError() const { return file_.LastError(); }

 private:
  enum class State { kNothing, kConfiguration, kNotes, kLogData };

  bool WriteHeader(const std::string& user, const std::string& computer, tvk::FileTime created);
  bool WriteLe(std::uint64_t value, int width);
  bool WriteName(const std::string& name);
  bool WriteSectionHeader(std::uint64_t size);
  void Reset();

  tvk::platform::CFile file_;
  State state_ = State::kNothing;
  bool tableWritten_ = false;
  std::uint32_t cfgSize_ = 0;
  std::uint32_t notesTotal_ = 0;
  std::uint32_t dataTotal_ = 0;
  std::int64_t cfgPos_ = 0, notesPos_ = 0, dataPos_ = 0;
};

}  // namespace TMSystem
