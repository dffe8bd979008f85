#pragma once
// Hints about memory use to the operating system.

#include <cstddef>
#include <vector>

namespace tvk::platform {

// Asks for huge pages behind a large buffer that has not been touched yet. The rows of a
// million-row log span thousands of pages, and on some virtual machines the first touch of each page
// costs microseconds. A hint only: nothing changes where the system does not take it.
void AdviseHugePages(void* data, std::size_t bytes);

// Room for `n` elements, with the hint above.
template <class T, class A>
void ReserveLarge(std::vector<T, A>& v, std::size_t n) {
  if (n <= v.capacity()) return;
  v.reserve(n);
  AdviseHugePages(v.data(), v.capacity() * sizeof(T));
}

}  // namespace tvk::platform
