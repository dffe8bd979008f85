#include "platform/Memory.h"

namespace tvk::platform {

// Large pages on Windows need a privilege users do not hold and memory reserved for them up front.
void AdviseHugePages(void*, std::size_t) {}

}  // namespace tvk::platform
