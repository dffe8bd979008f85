#pragma once
// Read access to the three sections of a log file container, binary or text form.
// Not locked itself: used under the lock of the log object that owns it.

#include <cstdint>
#include <string>

#include "common/Calendar.h"
#include "common/ResultCodes.h"
#include "logfile/ByteBuffer.h"
#include "platform/File.h"

namespace TMSystem {

class CTMLogFileReader {
 public:
  CTMLogFileReader();
  ~CTMLogFileReader();
  CTMLogFileReader(const CTMLogFileReader&) = delete;
  CTMLogFileReader& operator=(const CTMLogFileReader&) = delete;

  // Opens read-only with sharing that denies writers, and reads the binary header; when that does not
  // match, parses the file as the text form. kMissingArgument (null), kInvalidPath (empty), kFail
  // (already open), kOpenFailed (cannot open), or the text parse's code.
  ResultCode Open(const char* path);
  ResultCode Open(const std::string& path) { return Open(path.c_str()); }

  // The whole Configuration section (empty when absent).
  ResultCode ReadConfiguration(CTMByteBuffer& out);
  // The next `count` bytes of the section from its cursor; kFail (cursor unchanged) when the request
  // passes the end of the section. 0 gives an empty buffer.
  ResultCode ReadNotes(std::uint32_t count, CTMByteBuffer& out);
  ResultCode ReadLogData(std::uint32_t count, CTMByteBuffer& out);
  // The same into memory the caller provides, which holds `count` bytes.
  ResultCode ReadLogData(std::uint32_t count, std::uint8_t* target);
  // Sets the LogData cursor to an absolute file position within [first data byte, end]; false otherwise.
  bool SeekLogData(std::uint64_t position);

  // Absolute position of the first LogData byte (0 in text form, where positions count from the
  // section's first byte).
  std::uint64_t LogDataStart() const { return dataStart_; }
  std::uint64_t LogDataCursor() const { return dataCursor_; }

  std::uint32_t ConfigurationSize() const { return cfgSize_; }
  std::uint32_t NotesSize() const { return notesSize_; }
  std::uint32_t LogDataSize() const { return dataSize_; }
  // Bytes of the LogData section the file really holds: its declared size, or less when cut short.
  std::uint32_t LogDataBytesPresent() const;
  // Positions of the section headers as the section table gives them (0 = no section).
  std::int64_t ConfigurationPos() const { return cfgPos_; }
  std::int64_t NotesPos() const { return notesPos_; }
  std::int64_t LogDataPos() const { return dataPos_; }

  const std::string& CreatorUserName() const { return userName_; }          // "Unavailable" until read
  const std::string& CreatorComputerName() const { return computerName_; }  // "Unavailable" until read
  tvk::FileTime CreationTime() const { return created_; }                   // 1970-01-01 until read
  bool IsTextForm() const { return textForm_; }
  bool IsOpen() const { return file_.IsOpen(); }
  int LastError() const { return lastError_; }

  // Closes the file and frees the text-form buffers; the object is as before Open.
  void Close();

 private:
  void Reset();
  bool ReadBinaryHeader();
  bool ReadNameField(std::uint32_t length, std::string& name);
  bool ReadSectionSize(std::int64_t pos, std::uint64_t skip, std::uint32_t& size, std::uint64_t& start);
  ResultCode ParseTextForm(const char* path);
  ResultCode ReadTextSection(const char* tag, CTMByteBuffer& bytes);
  bool ReadLine(std::string& line);
  ResultCode ReadChunk(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text,
                       std::uint64_t& cursor, std::uint32_t count, CTMByteBuffer& out);
  bool ChunkPresent(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text, std::uint64_t cursor,
                    std::uint32_t count) const;
  ResultCode ReadChunkInto(std::uint64_t start, std::uint32_t size, const CTMByteBuffer& text,
                           std::uint64_t& cursor, std::uint32_t count, std::uint8_t* target);
  ResultCode CopyChunk(std::uint64_t start, const CTMByteBuffer& text, std::uint64_t& cursor, std::uint32_t count,
                       std::uint8_t* target);

  tvk::platform::CFile file_;
  std::uint64_t fileSize_ = 0;
  int lastError_ = 0;
  std::string userName_;
  std::string computerName_;
  tvk::FileTime created_ = tvk::kUnixEpochFileTime;
  bool textForm_ = false;
  std::int64_t cfgPos_ = 0, notesPos_ = 0, dataPos_ = 0;
  std::uint32_t cfgSize_ = 0, notesSize_ = 0, dataSize_ = 0;
  // Absolute position of each section's first data byte (0 in text form, where the buffers hold them).
  std::uint64_t cfgStart_ = 0, notesStart_ = 0, dataStart_ = 0;
  std::uint64_t notesCursor_ = 0, dataCursor_ = 0;
  CTMByteBuffer textCfg_, textNotes_, textData_;
};

}  // namespace TMSystem
