#include "controls/Label.h"

#include <QDesktopServices>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QUrl>

namespace tvk {

CLabel::CLabel(QWidget* parent) : CLabel(QString(), parent) {}

CLabel::CLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setTextFormat(Qt::PlainText);
  connect(&blinkTimer_, &QTimer::timeout, this, [this] {
    highlighted_ = !highlighted_;
    ApplyColors();
  });
  ApplyColors();
}

void CLabel::SetText(const QString& text) {
  if (text != this->text()) {
    setText(text);
  }
}

void CLabel::SetTextColor(const QColor& color) {
  textColor_ = color;
  ApplyColors();
}

void CLabel::SetBkColor(const QColor& color) {
  bkColor_ = color;
  ApplyColors();
}

void CLabel::SetTransparent(bool transparent) {
  transparent_ = transparent;
  ApplyColors();
}

void CLabel::ApplyColors() {
  QPalette colors = palette();
  const QPalette system = QPalette();
  QColor text = textColor_.isValid() ? textColor_ : system.color(QPalette::WindowText);
  QColor back = bkColor_.isValid() ? bkColor_ : system.color(QPalette::Button);
  if (highlighted_) {
    std::swap(text, back);
  }
  colors.setColor(QPalette::WindowText, text);
  colors.setColor(QPalette::Window, back);
  setPalette(colors);
  // A highlighted label paints its background even when transparent, or the blink would not show.
  setAutoFillBackground(!transparent_ || highlighted_);
  update();
}

void CLabel::ApplyFont(const std::function<void(QFont&)>& change) {
  QFont changed = font();
  change(changed);
  setFont(changed);
}

void CLabel::SetFontBold(bool bold) {
  ApplyFont([bold](QFont& f) { f.setBold(bold); });
}

void CLabel::SetFontWeight(int weight) {
  ApplyFont([weight](QFont& f) { f.setWeight(static_cast<QFont::Weight>(qBound(100, weight, 900))); });
}

void CLabel::SetFontSize(int points) {
  ApplyFont([points](QFont& f) { f.setPointSize(points); });
}

void CLabel::SetFontName(const QString& family) {
  ApplyFont([&family](QFont& f) { f.setFamily(family); });
}

void CLabel::SetFontItalic(bool italic) {
  ApplyFont([italic](QFont& f) { f.setItalic(italic); });
}

void CLabel::SetFontUnderline(bool underline) {
  ApplyFont([underline](QFont& f) { f.setUnderline(underline); });
}

void CLabel::SetToolTipText(const QString& text) {
  toolTipText_ = text;
  // Kept as the widget's tool tip too, so assistive technology reads it as the description.
  setToolTip(text);
}

bool CLabel::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (toolTipText_.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      // Plain text keeps its line feeds; the tip takes the width of its widest line.
      QToolTip::showText(help->globalPos(), toolTipText_, this, rect(), kToolTipMs);
    }
    return true;
  }
  return QLabel::event(event);
}

void CLabel::SetLink(LinkMode mode, const QString& target) {
  linkMode_ = mode;
  linkTarget_ = target;
  if (mode == LinkMode::None) {
    unsetCursor();
  } else {
    setCursor(Qt::PointingHandCursor);
  }
}

QString CLabel::LinkAddress() const {
  switch (linkMode_) {
    case LinkMode::Url:
      return linkTarget_.isEmpty() ? text() : linkTarget_;
    case LinkMode::Mail:
      return QStringLiteral("mailto:") + text();
    case LinkMode::None:
      break;
  }
  return {};
}

void CLabel::SetBlinking(bool on) {
  if (on) {
    blinkTimer_.start(kBlinkMs);
    return;
  }
  blinkTimer_.stop();
  if (highlighted_) {
    highlighted_ = false;
    ApplyColors();
  }
}

void CLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (linkMode_ == LinkMode::None || event->button() != Qt::LeftButton || !rect().contains(event->pos())) {
    return;
  }
  const QString address = LinkAddress();
  emit linkActivated(address);
  QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

}  // namespace tvk
