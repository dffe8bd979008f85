#include "controls/Snapshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <cmath>

namespace tvk {

QImage Snapshot(QWidget& widget, qreal dpr) {
  widget.ensurePolished();
  if (qFuzzyCompare(dpr, widget.devicePixelRatioF())) {
    return widget.grab().toImage();
  }
  // Painted straight into a pixmap of the wanted ratio, so text and SVG images are drawn at that
  // resolution instead of being scaled up from the screen's.
  const QSize device(static_cast<int>(std::ceil(widget.width() * dpr)),
                     static_cast<int>(std::ceil(widget.height() * dpr)));
  QPixmap pixmap(device);
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  widget.render(&pixmap, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return pixmap.toImage();
}

bool SaveSnapshot(QWidget& widget, const QString& path, qreal dpr) {
  const QImage image = Snapshot(widget, dpr);
  if (image.isNull()) {
    return false;
  }
  const QFileInfo file(path);
  if (!QDir().mkpath(file.absolutePath())) {
    return false;
  }
  return image.save(path, "PNG");
}

}  // namespace tvk
