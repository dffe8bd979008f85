#pragma once
// Renders a widget, page or dialog to a PNG file, for looking at what was built and for documentation.

#include <QImage>
#include <QString>
#include <QWidget>

namespace tvk {

// The widget as painted at device pixel ratio `dpr` (1 = 100 %, 2 = 200 %), children included.
[[nodiscard]] QImage Snapshot(QWidget& widget, qreal dpr);

// Writes Snapshot(widget, dpr) as PNG; creates the folder. False when the file could not be written.
bool SaveSnapshot(QWidget& widget, const QString& path, qreal dpr);

}  // namespace tvk
