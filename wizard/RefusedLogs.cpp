#include "wizard/RefusedLogs.h"

#include <QMessageBox>
#include <QStringList>

#include "common/TextUtil.h"

namespace tvk::wizard {

QMessageBox* ShowRefusedLogs(QWidget* wizard, const std::vector<SRefusedLog>& refused) {
  if (refused.empty()) return nullptr;
  QStringList lines;
  for (const SRefusedLog& log : refused) {
    lines << QString::fromStdString(GetFileNamePart(log.path) + ": " + log.reason);
  }
  auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Logs not offered"),
                              (refused.size() == 1 ? QStringLiteral("This log cannot be corrected:\n")
                                                   : QStringLiteral("These logs cannot be corrected:\n")) +
                                  lines.join('\n'),
                              QMessageBox::Ok, wizard);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();  // window-modal over the wizard; the wizard's own loop keeps running
  return box;
}

}  // namespace tvk::wizard
