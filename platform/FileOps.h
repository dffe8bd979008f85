#pragma once
// The system calls that create, write, flush and place a new file, behind one seam so that a test can
// make any one of them fail. Each returns 0 or the errno value of the failure.

#include <cstddef>
#include <cstdint>

namespace tvk::platform {

class FileOps {
 public:
  virtual ~FileOps() = default;

  // A file without a name in the open folder `folder` (O_TMPFILE). EOPNOTSUPP, EISDIR or EINVAL where
  // the file system or the kernel has none.
  virtual int CreateUnnamed(int folder, int& fd);
  // A new file `name` in `folder`; an existing name, a symbolic link included, is never opened (EEXIST).
  virtual int CreateExclusive(int folder, const char* name, int& fd);
  // All `count` bytes at `offset`.
  virtual int WriteAt(int fd, const std::uint8_t* bytes, std::size_t count, std::uint64_t offset);
  // Flushes a file or a folder to the disk.
  virtual int Sync(int fd);
  // Gives the unnamed file `fd` the name `name` in `folder`; EEXIST when the name is taken.
  virtual int LinkUnnamed(int fd, int folder, const char* name);
  // A second name `to` for `from`, both in `folder`; EEXIST when `to` is taken.
  virtual int Link(int folder, const char* from, const char* to);
  // Moves `from` over `to` in `folder`, replacing what `to` names (a link itself, never its target).
  virtual int Rename(int folder, const char* from, const char* to);
  virtual int Unlink(int folder, const char* name);
};

// The real system calls.
FileOps& SystemFileOps();

}  // namespace tvk::platform
