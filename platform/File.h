#pragma once
// A file held open for one of the two uses a log container needs: shared reading that keeps writers
// out, or writing a new file that takes its name only once it is complete. Positions are absolute;
// moving the position costs no system call, and small sequential reads are served from a buffer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileOps.h"

namespace tvk::platform {

// What a new file does to a name that is taken when it is placed.
enum class Placement {
  kReplace,    // the name is moved to the new file (a link itself is replaced, never its target)
  kNoReplace,  // the name stays as it is and placing fails with EEXIST
};

class CFile {
 public:
  CFile() = default;
  // Writes new files through `ops` (tests inject failures); `ops` must outlive the object.
  explicit CFile(FileOps& ops) : ops_(&ops) {}
  ~CFile();  // a new file not yet placed is discarded
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Read-only, with a shared lock: several readers may share the file, a writer is refused while any
  // reader holds it. False when the file cannot be opened or a writer holds it (see LastError()).
  bool OpenForSharedRead(const char* path);
  // A new file without a name (or, where the file system cannot do that, under a random name that
  // nobody else can have created) in the folder of `path`. It appears at `path` only when Close places
  // it, complete and flushed, so a failure or a crash leaves no partial file. No existing name is opened
  // or written through, so a planted link or FIFO can neither redirect nor block the write. Refused
  // early when the name is taken and `placement` is kNoReplace (EEXIST), or when it names a folder
  // (EISDIR), another non-regular file (EINVAL) or a file a reader holds (EWOULDBLOCK).
  bool CreateForWriting(const char* path, Placement placement = Placement::kReplace);

  // Reading: closes. Writing: writes pending bytes, flushes the file, gives it its name and flushes
  // the folder; false when a step failed (see LastError()), and then the new file is gone unless it had
  // already replaced the old one.
  bool Close();
  // Writing: the same, but `abandon` is asked once the file is flushed, just before it takes its name;
  // true discards it (nothing appears) and Close fails with ECANCELED. Reading: closes.
  bool Close(const std::function<bool()>& abandon);
  // Writing: drops the new file, nothing appears. Reading: closes.
  void Discard();
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
  FileOps& Ops() const { return ops_ != nullptr ? *ops_ : SystemFileOps(); }
  int CreateTemporaryName(bool linkUnnamed);
  int Place(const std::function<bool()>& abandon);
  int ReplaceTarget();
  void Release();
  // Closes a descriptor of this platform's; 0 or the errno value.
  static int CloseDescriptor(int fd);
  bool FillBuffer();
  // Up to `count` bytes at `offset`: how many (0 at the end), or -1 with LastError() set.
  long long ReadAt(void* target, std::size_t count, std::uint64_t offset);
  bool FlushWrites();
  bool WriteAt(const std::uint8_t* bytes, std::size_t count, std::uint64_t offset);

  FileOps* ops_ = nullptr;
  int fd_ = -1;
  bool writing_ = false;
  // A new file: its folder, final name and placement, and its temporary name while it has one.
  int folderFd_ = -1;
  std::string name_;
  std::string temporaryName_;
  Placement placement_ = Placement::kReplace;
  int lastError_ = 0;
  std::uint64_t position_ = 0;
  // Reading: the file's bytes [bufferStart_, bufferStart_ + buffer_.size()).
  // Writing: bytes not yet written, to go to bufferStart_.
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferStart_ = 0;
};

// What tells one file's version from another: the file a name leads to, its size and when its content
// last changed (to the nanosecond where the file system keeps it).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  bool SameFile(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
  bool operator==(const FileIdentity&) const = default;
};
// The identity of what `path` names (links followed): 0, or the errno.
int ReadFileIdentity(const char* path, FileIdentity& identity);

// Makes the folder `path` (its parent must exist): 0, EEXIST when the name is taken, or the errno.
int MakeFolder(const char* path);
// Removes `path` if it is an empty folder; false otherwise.
bool RemoveEmptyFolder(const char* path);

}  // namespace tvk::platform
