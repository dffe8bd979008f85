#include "common/Format.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace tvk {

std::string StrFormat(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (needed < 0) {
    va_end(copy);
    return {};
  }
  if (static_cast<std::size_t>(needed) < sizeof small) {
    va_end(copy);
    return std::string(small, static_cast<std::size_t>(needed));
  }
  std::vector<char> big(static_cast<std::size_t>(needed) + 1);
  std::vsnprintf(big.data(), big.size(), format, copy);
  va_end(copy);
  return std::string(big.data(), static_cast<std::size_t>(needed));
}

}  // namespace tvk
