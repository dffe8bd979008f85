#pragma once
// The one lock-and-catch policy of the log objects: an operation runs with the object's lock held, and
// any exception inside it (an allocation failure, in practice) becomes kUnexpected instead of leaving
// the library.

#include <mutex>

#include "common/ResultCodes.h"

namespace TMSystem {

template <class Lockable, class Body>
tvk::ResultCode Guarded(Lockable& lock, Body&& body) noexcept {
  try {
    std::lock_guard guard(lock);
    return body();
  } catch (...) {
    return tvk::kUnexpected;
  }
}

// The same with two objects' locks, taken without risk of deadlock (copies between objects).
template <class LockableA, class LockableB, class Body>
tvk::ResultCode Guarded(LockableA& a, LockableB& b, Body&& body) noexcept {
  try {
    std::scoped_lock guard(a, b);
    return body();
  } catch (...) {
    return tvk::kUnexpected;
  }
}

// For operations that give a value rather than a code: `fallback` when the body throws.
template <class Lockable, class T, class Body>
T GuardedOr(Lockable& lock, T fallback, Body&& body) noexcept {
  try {
    std::lock_guard guard(lock);
    return body();
  } catch (...) {
    return fallback;
  }
}

}  // namespace TMSystem
