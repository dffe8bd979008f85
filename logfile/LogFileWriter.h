#pragma once
// Writes a new log file container: header, then Configuration, Notes and LogData in that order. The
// section table and the Notes and LogData sizes are only right after Close.

#include <cstdint>
#include <string>

#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"

namespace TMSystem {

class CTMLogFileWriter {
 public:
  CTMLogFileWriter();
  ~CTMLogFileWriter();  // closes
  CTMLogFileWriter(const CTMLogFileWriter&) = delete;
  CTMLogFileWriter& operator=(const CTMLogFileWriter&) = delete;

  // Creates (truncates) the file and writes its header: kMissingArgument, kInvalidPath, kOpenFailed,
  // kFail when the header cannot be written.
  ResultCode Create(const char* path);
  ResultCode Create(const std::string& path) { return Create(path.c_str()); }

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

 private:
  struct Impl;
  Impl* impl_ = nullptr;
};

}  // namespace TMSystem
