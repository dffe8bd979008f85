#pragma once
// A worker's result on its way to the user-interface thread. The work runs through QtConcurrent and a
// watcher's finished signal says when it is done; the result itself passes through a std::mutex that
// the worker releases after its last write and the user-interface thread takes before its first read.
// Qt's own locks are invisible to ThreadSanitizer; this makes the hand-off the wizard relies on visible to
// it, so a report that still names the project's code is a real race.

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <memory>
#include <mutex>
#include <optional>

namespace tvk::wizard {

// The pool every wizard worker runs on: a static of the module that holds the wizard, so unloading the
// plug-in waits for a worker still running (a log that a closed window let go on loading, a reading of
// the summary) instead of unmapping its code. Qt's global pool belongs to a host's application, which
// outlives the module.
QThreadPool& WorkerPool();

template <class T>
class CHandOff {
 public:
  // Runs `work` on `pool`; its result waits here for Take. The work shares nothing with the receiver
  // but this slot, so the receiver may go before it ends.
  template <class Work>
  QFuture<void> Run(QThreadPool* pool, Work work) {
    return QtConcurrent::run(pool, [slot = slot_, work = std::move(work)]() mutable {
      T result = work();
      const std::lock_guard lock(slot->mutex);
      slot->value = std::move(result);
    });
  }

  // The result of the work that finished; empty when it left none (it threw).
  std::optional<T> Take() {
    const std::lock_guard lock(slot_->mutex);
    std::optional<T> taken = std::move(slot_->value);
    slot_->value.reset();
    return taken;
  }

 private:
  struct Slot {
    std::mutex mutex;
    std::optional<T> value;
  };
  std::shared_ptr<Slot> slot_ = std::make_shared<Slot>();
};

}  // namespace tvk::wizard
