#include "controls/ImageExt.h"

#include <QPainter>

#include "controls/Images.h"

namespace tvk {

CImageExt::CImageExt(QWidget* parent) : QWidget(parent) {}

bool CImageExt::SetBitmap(int imageId) {
  const QString path = ImagePath(imageId);
  if (imageId != 0 && path.isEmpty()) {
    return false;
  }
  const bool shown = SetImage(path);
  imageId_ = imageId;
  return shown;
}

bool CImageExt::SetImage(const QString& path) {
  imageId_ = 0;
  if (path == path_) {
    return true;
  }
  path_ = path;
  cache_ = QPixmap();
  updateGeometry();
  update();
  return path.isEmpty() || !ImageSize(path).isEmpty();
}

void CImageExt::SetTransparentColor(const QColor& color) {
  transparentColor_ = color;
  cache_ = QPixmap();
  update();
}

void CImageExt::SetText(const QString& text) {
  if (text != text_) {
    text_ = text;
    setAccessibleName(text);
    update();
  }
}

void CImageExt::SetTextColor(const QColor& color) {
  textColor_ = color;
  update();
}

QPixmap CImageExt::Rendered(qreal dpr) const {
  if (path_.isEmpty() || size().isEmpty()) {
    return {};
  }
  const QSize fitted = ImageRect().size();
  if (cache_.isNull() || cache_.devicePixelRatio() != dpr ||
      cache_.deviceIndependentSize().toSize() != fitted) {
    cache_ = RenderImage(path_, fitted, dpr, transparentColor_);
  }
  return cache_;
}

QRect CImageExt::ImageRect() const {
  const QSize image = ImageSize(path_);
  if (image.isEmpty()) {
    return {};
  }
  QRect fitted(QPoint(0, 0), image.scaled(size(), Qt::KeepAspectRatio));
  fitted.moveCenter(rect().center());
  return fitted;
}

QSize CImageExt::sizeHint() const {
  const QSize image = ImageSize(path_);
  return image.isEmpty() ? QSize(16, 16) : image;
}

void CImageExt::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap picture = Rendered(PaintScale(painter));
  if (!picture.isNull()) {
    painter.drawPixmap(ImageRect().topLeft(), picture);
  }
  if (!text_.isEmpty()) {
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(font().pointSizeF());
    painter.setFont(arial);
    painter.setPen(textColor_.isValid() ? textColor_ : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text_);
  }
}

}  // namespace tvk
