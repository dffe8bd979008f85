#pragma once
// The times of a log's rows by index: a list held in memory, or a reader that fetches them from the
// file as they are asked for (a log whose rows are streamed, which never holds them all).

#include <cstddef>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "common/DeviceTime.h"

namespace tvk {

class RowTimeList {
 public:
  RowTimeList() = default;
  // Refers to `times`, which must outlive the list.
  RowTimeList(const std::vector<TMSystem::CTMDeviceTime>& times) : times_(&times), count_(times.size()) {}  // NOLINT
  RowTimeList(std::size_t count, std::function<TMSystem::CTMDeviceTime(std::size_t)> read)
      : count_(count), read_(std::move(read)) {}

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  TMSystem::CTMDeviceTime operator[](std::size_t index) const {
    return times_ != nullptr ? (*times_)[index] : read_(index);
  }
  TMSystem::CTMDeviceTime front() const { return (*this)[0]; }
  TMSystem::CTMDeviceTime back() const { return (*this)[count_ - 1]; }

  // Whether the times never fall from one row to the next. Worked out once per list: a streamed log
  // reads every row time for it, and several searches of one list (manual readings) share the answer.
  bool Rising() const {
    if (!rising_) {
      bool rising = true;
      for (std::size_t i = 1; i < count_ && rising; ++i) rising = (*this)[i].AsSeconds() >= (*this)[i - 1].AsSeconds();
      rising_ = rising;
    }
    return *rising_;
  }

 private:
  const std::vector<TMSystem::CTMDeviceTime>* times_ = nullptr;
  std::size_t count_ = 0;
  std::function<TMSystem::CTMDeviceTime(std::size_t)> read_;
  mutable std::optional<bool> rising_;
};

}  // namespace tvk
