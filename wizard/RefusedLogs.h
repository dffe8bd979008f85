#pragma once
// The logs a host handed over that the admission check refused, told to the user when the wizard
// opens rather than dropped without a word.

#include <string>
#include <vector>

class QMessageBox;
class QWidget;

namespace tvk::wizard {

struct SRefusedLog {
  std::string path;
  std::string reason;
};

// Opens a window-modal message over `wizard` naming each log (file name and reason, one a line) and
// returns at once; the message deletes itself when closed. Null when `refused` is empty.
QMessageBox* ShowRefusedLogs(QWidget* wizard, const std::vector<SRefusedLog>& refused);

}  // namespace tvk::wizard
