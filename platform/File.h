#pragma once
// A file held open for one of the two uses a log container needs: shared reading that keeps writers
// out, or exclusive writing of a new file. Positions are absolute; moving the position costs no system
// call, and small sequential reads are served from a buffer.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tvk::platform {

class CFile {
 public:
  CFile() = default;
  ~CFile();
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Read-only, with a shared lock: several readers may share the file, a writer is refused while any
  // reader holds it. False when the file cannot be opened or a writer holds it (see LastError()).
  bool OpenForSharedRead(const char* path);
  // Write-only with an exclusive lock, then emptied. The file is not emptied when the lock cannot be
  // had, so a file being read is never damaged.
  bool CreateForWriting(const char* path);

  // Writes pending bytes and closes; false when a pending write or the close failed.
  bool Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Moves the position; positions past the end are allowed (reads there fail). False above the
  // largest file offset.
  bool Seek(std::uint64_t position);
  std::uint64_t Position() const { return position_; }
  // Current size in bytes, including bytes still pending in the write buffer.
  std::uint64_t Size();

  // Exactly `count` bytes at the position, which advances by `count`; false (position unchanged) when
  // the file ends first or the read fails.
  bool Read(void* target, std::size_t count);
  // The next byte, or -1 at the end of the file or on failure.
  int ReadByte();

  // Writes at the position, which advances; bytes may be held until the next Seek or Close.
  bool Write(const void* source, std::size_t count);

  // errno of the last failed system call; 0 when none failed.
  int LastError() const { return lastError_; }

 private:
  bool Fail(int error);
  bool FillBuffer();
  bool FlushWrites();
  bool WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset);

  int fd_ = -1;
  bool writing_ = false;
  int lastError_ = 0;
  std::uint64_t position_ = 0;
  // Reading: the file's bytes [bufferStart_, bufferStart_ + buffer_.size()).
  // Writing: bytes not yet written, to go to bufferStart_.
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferStart_ = 0;
};

}  // namespace tvk::platform
