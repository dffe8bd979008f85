#include "wizard/HandOff.h"

namespace tvk::wizard {

QThreadPool& WorkerPool() {
  static QThreadPool pool;
  return pool;
}

}  // namespace tvk::wizard
