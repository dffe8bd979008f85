#pragma once
// Whole small input files (registry hives, zone files, the string-table override) read without ever
// blocking: a FIFO, device or folder in a file's place is refused, not waited on. A file's stamp tells
// a cache whether the file changed since it was read.

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvk::platform {

// Identity and version of a file as stat() (or, on Windows, the file's handle information) gives it.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtimeNanoseconds = 0;

  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

enum class ReadFileResult { kOk, kMissing, kAccessDenied, kNotRegular, kTooLarge, kReadFailed };

// The stamp of the file at `path` now (one stat, following links); false when there is none.
bool StampOfFile(const std::string& path, FileStamp& stamp);

// Reads the whole regular file at `path` (at most `maxBytes`) and gives the stamp of what was read.
ReadFileResult ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                               FileStamp& stamp);

// File systems stamp modification times from a coarse clock (a few milliseconds), so two writes of
// the same size in a row can leave the same stamp. A stamp is only proof of an unchanged file once
// it is older than that clock's step when the file is read: until then a cache reads the file again.
bool StampIsSettled(const FileStamp& stamp);

}  // namespace tvk::platform
