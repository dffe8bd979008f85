#include "controls/TMBitmapButtonEx.h"

#include <QEnterEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QToolTip>

#include "controls/Images.h"

namespace tvk {
namespace {

constexpr int kCaptionMargin = 4;
constexpr int kHoverDelayMs = 1;
constexpr int kToolTipMaxWidth = 300;

// Breaks plain text at blanks so that no line is wider than `width`; a single longer word keeps its line.
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    QString line;
    for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
      const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
      if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
        lines << line;
        line = word;
      } else {
        line = longer;
      }
    }
    lines << line;
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

CTMBitmapButtonEx::CTMBitmapButtonEx(QWidget* parent) : QPushButton(parent) {
  setAttribute(Qt::WA_Hover);
  hoverTimer_.setSingleShot(true);
  connect(&hoverTimer_, &QTimer::timeout, this, [this] {
    if (mouseInside_ && !hot_) {
      hot_ = true;
      update();
    }
  });
  UpdateCursor();
}

bool CTMBitmapButtonEx::LoadBitmaps(int normal, int hot, int pressed, int disabled) {
  return LoadImages(ImagePath(normal), ImagePath(hot), ImagePath(pressed), ImagePath(disabled));
}

bool CTMBitmapButtonEx::LoadImages(const QString& normal, const QString& hot, const QString& pressed,
                                   const QString& disabled) {
  const QSize size = ImageSize(normal);
  if (size.isEmpty()) {
    return false;
  }
  images_[static_cast<int>(Face::Normal)] = normal;
  images_[static_cast<int>(Face::Hot)] = hot.isEmpty() ? normal : hot;
  images_[static_cast<int>(Face::Pressed)] = pressed.isEmpty() ? normal : pressed;
  images_[static_cast<int>(Face::Disabled)] = disabled.isEmpty() ? normal : disabled;
  imageSize_ = size;
  resize(size);
  updateGeometry();
  update();
  return true;
}

void CTMBitmapButtonEx::SetCheck(bool checked) {
  if (checked != checkedFlag_) {
    checkedFlag_ = checked;
    update();
  }
}

CTMBitmapButtonEx::Face CTMBitmapButtonEx::CurrentFace() const {
  if (!isEnabled()) {
    return Face::Disabled;
  }
  if (isDown() || checkedFlag_) {
    return Face::Pressed;
  }
  return hot_ ? Face::Hot : Face::Normal;
}

QString CTMBitmapButtonEx::FaceImage(Face face) const { return images_[static_cast<int>(face)]; }

QString CTMBitmapButtonEx::ShownCaption() const {
  const int room = qMax(0, width() - 2 * kCaptionMargin);
  return fontMetrics().elidedText(text(), Qt::ElideRight, room);
}

void CTMBitmapButtonEx::SetToolTipText(const QString& text) { setToolTip(text); }

bool CTMBitmapButtonEx::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip && !toolTip().isEmpty()) {
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(),
                       WrapToWidth(toolTip(), QFontMetrics(QToolTip::font()), kToolTipMaxWidth), this,
                       rect());
    return true;
  }
  return QPushButton::event(event);
}

QSize CTMBitmapButtonEx::sizeHint() const {
  return imageSize_.isEmpty() ? QPushButton::sizeHint() : imageSize_;
}

void CTMBitmapButtonEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = rect();
  if (!DrawImage(painter, area, FaceImage(CurrentFace()))) {
    // Without images it stays a usable button.
    QStyleOptionButton option;
    initStyleOption(&option);
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);
  }
  const QString caption = ShownCaption();
  if (!caption.isEmpty()) {
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    QRect textArea = rect().adjusted(kCaptionMargin, 0, -kCaptionMargin, 0);
    if (CurrentFace() == Face::Pressed) {
      textArea.translate(1, 1);
    }
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextSingleLine, caption);
  }
  if (keyboardFocus_ && hasFocus()) {
    QPen pen(palette().color(QPalette::Highlight), 1.5);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal radius = qMin(area.height(), area.width()) * 0.25;
    painter.drawRoundedRect(area.adjusted(1.5, 1.5, -1.5, -1.5), radius, radius);
  }
}

void CTMBitmapButtonEx::enterEvent(QEnterEvent* event) {
  mouseInside_ = true;
  hoverTimer_.start(kHoverDelayMs);
  QPushButton::enterEvent(event);
}

void CTMBitmapButtonEx::leaveEvent(QEvent* event) {
  mouseInside_ = false;
  hoverTimer_.stop();
  if (hot_) {
    hot_ = false;
    update();
  }
  QPushButton::leaveEvent(event);
}

void CTMBitmapButtonEx::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    UpdateCursor();
    update();
  }
  QPushButton::changeEvent(event);
}

void CTMBitmapButtonEx::focusInEvent(QFocusEvent* event) {
  keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
  QPushButton::focusInEvent(event);
}

void CTMBitmapButtonEx::focusOutEvent(QFocusEvent* event) {
  keyboardFocus_ = false;
  QPushButton::focusOutEvent(event);
}

void CTMBitmapButtonEx::UpdateCursor() {
  if (isEnabled()) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

}  // namespace tvk
