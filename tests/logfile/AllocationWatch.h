#pragma once
// Records the largest single allocation made while a watch is alive (the test binary replaces the
// global operator new). Proves that size fields read from a file are checked before allocating.

#include <cstddef>

class AllocationWatch {
 public:
  AllocationWatch();
  ~AllocationWatch();
  AllocationWatch(const AllocationWatch&) = delete;
  AllocationWatch& operator=(const AllocationWatch&) = delete;

  std::size_t Largest() const;
};
