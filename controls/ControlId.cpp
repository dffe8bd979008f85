#include "controls/ControlId.h"

#include <QVariant>

namespace tvk {

void SetControlId(QWidget& widget, int id) {
  widget.setObjectName(QString::number(id));
  widget.setProperty("controlId", id);
}

int ControlId(const QObject& object) {
  bool ok = false;
  const int id = object.property("controlId").toInt(&ok);
  return ok ? id : -1;
}

}  // namespace tvk
