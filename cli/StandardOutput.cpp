#include "cli/StandardOutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>

namespace tvk::cli {
namespace {

class CheckedOutputBuffer : public std::streambuf {
 public:
  CheckedOutputBuffer() { setp(buffer_, buffer_ + sizeof buffer_); }
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  // Writes the buffered bytes; after a failure nothing more is written, so the output ends where the
  // error struck and the error stays the first one.
  bool Drain() {
    const char* p = pbase();
    while (error_ == 0 && p < pptr()) {
      const ssize_t n = ::write(STDOUT_FILENO, p, static_cast<std::size_t>(pptr() - p));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) error_ = n < 0 ? errno : EIO;
      else p += n;
    }
    setp(buffer_, buffer_ + sizeof buffer_);
    return error_ == 0;
  }

  char buffer_[1 << 16];
  int error_ = 0;
};

// Never destroyed: the standard streams are flushed once more at exit, after static objects are gone.
CheckedOutputBuffer* checked = nullptr;

}  // namespace

void UseCheckedStandardOutput() {
  if (checked != nullptr) return;
  checked = new CheckedOutputBuffer;
  std::cout.rdbuf(checked);
}

int FinishStandardOutput(int status) {
  std::cout.flush();
  const int error = checked != nullptr ? checked->Error() : 0;
  if (error == 0 && std::cout) return status;
  std::cerr << "tavisko: cannot write to standard output: " << std::strerror(error != 0 ? error : EIO) << '\n';
  return 1;
}

}  // namespace tvk::cli
