#include "AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> gWatching{false};
std::atomic<std::size_t> gLargest{0};
}  // namespace

AllocationWatch::AllocationWatch() {
  gLargest = 0;
  gWatching = true;
}

AllocationWatch::~AllocationWatch() { gWatching = false; }

std::size_t AllocationWatch::Largest() const { return gLargest; }

void* operator new(std::size_t size) {
  if (gWatching && size > gLargest) gLargest = size;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
