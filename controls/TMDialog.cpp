#include "controls/TMDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "controls/ControlId.h"
#include "controls/Images.h"

namespace tvk {
namespace {

QList<CTMDialog*>& DialogRegistry() {
  static QList<CTMDialog*> dialogs;
  return dialogs;
}

QPointer<QWidget>& MainWindowSlot() {
  static QPointer<QWidget> window;
  return window;
}

// Clamps each dimension that has a limit; an empty limit leaves the dimension free.
QSize Clamp(QSize size, QSize minSize, QSize maxSize) {
  if (minSize.isValid()) {
    size = size.expandedTo(minSize);
  }
  if (maxSize.isValid()) {
    size = size.boundedTo(maxSize);
  }
  return size;
}

}  // namespace

CTMDialog::CTMDialog(int templateId, QWidget* parent) : QDialog(parent), templateId_(templateId) {
  DialogRegistry().append(this);
  deferredTimer_.setSingleShot(false);
  connect(&deferredTimer_, &QTimer::timeout, this, &CTMDialog::OnDeferredTimer);
}

CTMDialog::~CTMDialog() { DialogRegistry().removeOne(this); }

QList<CTMDialog*> CTMDialog::OpenDialogs() { return DialogRegistry(); }

void CTMDialog::SetMainWindow(QWidget* window) { MainWindowSlot() = window; }

QWidget* CTMDialog::MainWindow() { return MainWindowSlot().data(); }

void CTMDialog::SetFaceColor(const QColor& color) {
  faceColor_ = color;
  InvalidateBackground();
}

void CTMDialog::SetPatternBrush(const QBrush& brush) {
  pattern_ = brush;
  InvalidateBackground();
}

void CTMDialog::SetGradient(const QColor& top, const QColor& bottom) {
  gradientTop_ = top;
  gradientBottom_ = bottom;
  InvalidateBackground();
}

void CTMDialog::ClearGradient() { SetGradient(QColor(), QColor()); }

void CTMDialog::SetBackgroundBitmap(int imageId) {
  const QString path = ImagePath(imageId);
  if (imageId == backgroundId_ && path == backgroundPath_) {
    return;
  }
  backgroundId_ = imageId;
  backgroundPath_ = path;
  InvalidateBackground();
}

void CTMDialog::SetBackgroundImage(const QString& path) {
  if (backgroundId_ == 0 && path == backgroundPath_) {
    return;
  }
  backgroundId_ = 0;
  backgroundPath_ = path;
  InvalidateBackground();
}

bool CTMDialog::HasPaintedBackground() const {
  return faceColor_.isValid() || pattern_.style() != Qt::NoBrush || gradientTop_.isValid() ||
         !backgroundPath_.isEmpty();
}

void CTMDialog::InvalidateBackground() {
  backgroundValid_ = false;
  update();
}

void CTMDialog::BuildBackground(qreal dpr) {
  ++backgroundBuilds_;
  const QSize logical = size();
  background_ = QPixmap((QSizeF(logical) * dpr).toSize());
  background_.setDevicePixelRatio(dpr);
  const QRect area(QPoint(0, 0), logical);
  QPainter painter(&background_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(area, faceColor_.isValid() ? faceColor_ : palette().color(QPalette::Window));
  if (gradientTop_.isValid() && gradientBottom_.isValid()) {
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, gradientTop_);
    gradient.setColorAt(1.0, gradientBottom_);
    painter.fillRect(area, gradient);
  } else if (pattern_.style() != Qt::NoBrush) {
    painter.fillRect(area, pattern_);
  }
  if (!backgroundPath_.isEmpty()) {
    DrawImage(painter, area, backgroundPath_);
  }
  backgroundValid_ = true;
}

// Labels, group boxes, radio buttons and check boxes paint no background of their own unless asked to,
// so the composed picture shows through them at their place in the dialog.
void CTMDialog::paintEvent(QPaintEvent* event) {
  if (!HasPaintedBackground()) {
    QDialog::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const qreal dpr = PaintScale(painter);
  if (!backgroundValid_ || background_.devicePixelRatio() != dpr ||
      background_.deviceIndependentSize().toSize() != size()) {
    BuildBackground(dpr);
  }
  painter.drawPixmap(0, 0, background_);
}

void CTMDialog::resizeEvent(QResizeEvent* event) {
  backgroundValid_ = false;
  QDialog::resizeEvent(event);
}

void CTMDialog::SetMinSize(QSize windowSize) {
  minSize_ = windowSize;
  const QSize extra = FrameExtra();
  setMinimumSize(windowSize.isValid() ? (windowSize - extra).expandedTo(QSize(0, 0)) : QSize(0, 0));
}

void CTMDialog::SetMaxSize(QSize windowSize) {
  maxSize_ = windowSize;
  const QSize extra = FrameExtra();
  setMaximumSize(windowSize.isValid() ? windowSize - extra : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

QSize CTMDialog::FrameExtra() const {
  if (!isWindow()) {
    return {0, 0};
  }
  return frameGeometry().size() - geometry().size();
}

void CTMDialog::FitToBackground() {
  const QSize image = ImageSize(backgroundPath_);
  if (!image.isEmpty()) {
    SetClientSize(image.width(), image.height());
  }
}

void CTMDialog::FitWidthToBackground() {
  const QSize image = ImageSize(backgroundPath_);
  if (!image.isEmpty()) {
    SetClientSize(image.width(), height());
  }
}

void CTMDialog::FitHeightToBackground() {
  const QSize image = ImageSize(backgroundPath_);
  if (!image.isEmpty()) {
    SetClientSize(width(), image.height());
  }
}

void CTMDialog::SetClientSize(int width, int height) {
  const QSize window = QSize(width, height) + FrameExtra();
  SetWindowSize(window.width(), window.height());
}

void CTMDialog::SetWindowRect(const QRect& windowRect) {
  move(windowRect.topLeft());
  SetWindowSize(windowRect.width(), windowRect.height());
}

void CTMDialog::SetWindowSize(int width, int height) {
  const QSize window = Clamp(QSize(width, height), minSize_, maxSize_);
  resize((window - FrameExtra()).expandedTo(QSize(0, 0)));
  update();
  LayoutChildren();
}

void CTMDialog::LayoutChildren() {
  if (layout() != nullptr) {
    layout()->activate();
  }
}

void CTMDialog::SetCenterFlags(bool onOwner, bool onMainWindow) {
  centerOnOwner_ = onOwner;
  centerOnMainWindow_ = onMainWindow;
}

void CTMDialog::CenterWindow() {
  if (centerOnMainWindow_ && !centerOnOwner_) {
    CenterOnMainWindow();
  } else {
    CenterOnOwner();
  }
}

void CTMDialog::CenterOnOwner() {
  const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  CenterOver(owner != nullptr ? owner : MainWindow());
}

void CTMDialog::CenterOnMainWindow() { CenterOver(MainWindow()); }

void CTMDialog::CenterOver(const QWidget* window) {
  if (!isWindow()) {
    return;
  }
  QScreen* screen = window != nullptr ? window->screen() : this->screen();
  if (screen == nullptr) {
    screen = QGuiApplication::primaryScreen();
  }
  const QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  const QRect over = window != nullptr && window->isVisible() ? window->frameGeometry() : available;
  QRect frame = frameGeometry();
  frame.moveCenter(over.center());
  // Keep the title bar on the screen.
  if (available.isValid()) {
    frame.moveLeft(
        qBound(available.left(), frame.left(), qMax(available.left(), available.right() - frame.width())));
    frame.moveTop(
        qBound(available.top(), frame.top(), qMax(available.top(), available.bottom() - frame.height())));
  }
  move(frame.topLeft());
}

void CTMDialog::SetDeferredCommand(int commandId, int delayMs) {
  pendingCommand_ = commandId;
  deferredTimer_.start(qMax(0, delayMs));
}

void CTMDialog::OnDeferredTimer() {
  deferredTimer_.stop();
  if (pendingCommand_ != 0) {
    QCoreApplication::postEvent(this, new CommandEvent(pendingCommand_));
    pendingCommand_ = 0;
  }
}

bool CTMDialog::event(QEvent* event) {
  if (event->type() == CommandEvent::kType) {
    OnCommand(static_cast<CommandEvent*>(event)->CommandId());
    return true;
  }
  return QDialog::event(event);
}

void CTMDialog::OnCommand(int commandId) {
  emit commandReceived(commandId);
  if (commandId == kIdOk) {
    OnOK();
    return;
  }
  if (commandId == kIdCancel) {
    OnCancel();
    return;
  }
  if (auto* button = FindControl<QAbstractButton>(*this, commandId);
      button != nullptr && button->isEnabled()) {
    button->click();
  }
}

void CTMDialog::OnOK() { done(QDialog::Accepted); }

void CTMDialog::OnCancel() { done(QDialog::Rejected); }

QPushButton* CTMDialog::OwnDefaultButton() const {
  for (QPushButton* button : findChildren<QPushButton*>()) {
    if (!button->isDefault() || !button->isVisible() || !button->isEnabled()) {
      continue;
    }
    // A button of an embedded dialog (a page) belongs to that dialog, not to this one.
    const QWidget* owner = button->parentWidget();
    while (owner != nullptr && qobject_cast<const CTMDialog*>(owner) == nullptr) {
      owner = owner->parentWidget();
    }
    if (owner == this) {
      return button;
    }
  }
  return nullptr;
}

void CTMDialog::keyPressEvent(QKeyEvent* event) {
  const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const bool enter =
      (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier;
  const bool escape = event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier;
  if (!enter && !escape) {
    QDialog::keyPressEvent(event);
    return;
  }
  event->accept();
  if (SwallowsEnterEscape()) {
    return;
  }
  if (escape) {
    OnCancel();
  } else if (QPushButton* button = OwnDefaultButton(); button != nullptr) {
    button->click();
  } else {
    OnOK();
  }
}

void CTMDialog::closeEvent(QCloseEvent* event) {
  if (!isWindow()) {
    QDialog::closeEvent(event);
    return;
  }
  // The window's close box is a Cancel; OnCancel decides whether the dialog really ends.
  event->ignore();
  OnCancel();
}

}  // namespace tvk
