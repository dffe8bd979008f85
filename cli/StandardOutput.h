#pragma once
// Standard output is where the commands deliver their results: a write that fails there (a full disk,
// a closed pipe, /dev/full) must not pass for a complete result.

namespace tvk::cli {

// Points std::cout at a buffer of its own that writes standard output directly and keeps the error
// of the first write that fails. Call once, before anything is written.
void UseCheckedStandardOutput();

// Flushes std::cout. When that or any earlier write failed, says why on standard error and returns 1;
// otherwise `status`.
int FinishStandardOutput(int status);

}  // namespace tvk::cli
