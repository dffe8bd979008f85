#pragma once
// Dialog base of the wizard: painted background, size limits, centring, a deferred command and the
// Enter/Escape rules.

#include <QBrush>
#include <QColor>
#include <QDialog>
#include <QEvent>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>

class QPushButton;

namespace tvk {

// A button command posted to a dialog (the deferred command); handled by CTMDialog::OnCommand.
class CommandEvent : public QEvent {
 public:
  static constexpr QEvent::Type kType = static_cast<QEvent::Type>(QEvent::User + 0x111);
  explicit CommandEvent(int commandId) : QEvent(kType), commandId_(commandId) {}
  [[nodiscard]] int CommandId() const { return commandId_; }

 private:
  int commandId_;
};

class CTMDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CTMDialog(int templateId, QWidget* parent = nullptr);
  ~CTMDialog() override;

  CTMDialog(const CTMDialog&) = delete;
  CTMDialog& operator=(const CTMDialog&) = delete;

  [[nodiscard]] int TemplateId() const { return templateId_; }

  // Every dialog alive in the process, in creation order.
  [[nodiscard]] static QList<CTMDialog*> OpenDialogs();

  // The window CenterOnMainWindow centres on; without one, the primary screen.
  static void SetMainWindow(QWidget* window);
  [[nodiscard]] static QWidget* MainWindow();

  // ---- Background: face colour, or a pattern, or a gradient; then the image stretched over it all.
  void SetFaceColor(const QColor& color);
  void SetPatternBrush(const QBrush& brush);  // Qt::NoBrush removes it
  void SetGradient(const QColor& top, const QColor& bottom);
  void ClearGradient();
  // An image id of tvk::ImageId, or 0 for none. Setting the same id again does nothing.
  void SetBackgroundBitmap(int imageId);
  // The same with a resource or file path of an SVG.
  void SetBackgroundImage(const QString& path);
  [[nodiscard]] int BackgroundBitmap() const { return backgroundId_; }
  [[nodiscard]] QString BackgroundImage() const { return backgroundPath_; }
  // How many times the off-screen background was composed; tests read it.
  [[nodiscard]] int BackgroundBuildCount() const { return backgroundBuilds_; }

  // ---- Size. Limits are window sizes; an empty QSize means no limit.
  void SetMinSize(QSize windowSize);
  void SetMaxSize(QSize windowSize);
  [[nodiscard]] QSize MinSize() const { return minSize_; }
  [[nodiscard]] QSize MaxSize() const { return maxSize_; }

  virtual void FitToBackground();
  virtual void FitWidthToBackground();
  virtual void FitHeightToBackground();
  // Turns a client size into a window size and calls SetWindowSize.
  virtual void SetClientSize(int width, int height);
  virtual void SetWindowRect(const QRect& windowRect);
  virtual void CenterOnOwner();
  virtual void CenterOnMainWindow();
  virtual void CenterOver(const QWidget* window);
  // Clamps to the limits, sizes the window, repaints it and lays out its children again.
  virtual void SetWindowSize(int width, int height);

  // Centres on the owner (the default) or on the main window, as the flags say.
  void SetCenterFlags(bool onOwner, bool onMainWindow);
  void CenterWindow();

  // ---- Deferred command: after `delayMs` (timer 60000) the pending id is posted as a button command.
  void SetDeferredCommand(int commandId, int delayMs = 0);
  [[nodiscard]] int PendingCommand() const { return pendingCommand_; }

  // ---- Enter and Escape: swallowed with the control style or the swallow flag, else OnOK / OnCancel.
  void SetControlStyle(bool on) { controlStyle_ = on; }
  void SetSwallowEnterEscape(bool on) { swallowEnterEscape_ = on; }
  [[nodiscard]] bool SwallowsEnterEscape() const { return controlStyle_ || swallowEnterEscape_; }

  // OK and Cancel actions; by default they end a modal run with Accepted or Rejected.
  virtual void OnOK();
  virtual void OnCancel();

 signals:
  // A button command arrived (posted deferred command), before it is acted on.
  void commandReceived(int commandId);

 protected:
  // Acts on a button command: 1 runs OnOK, 2 OnCancel, any other id clicks the enabled button of
  // that control id, if there is one.
  virtual void OnCommand(int commandId);
  // Places the children after a size change; by default activates the layout, if any.
  virtual void LayoutChildren();

  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  [[nodiscard]] bool HasPaintedBackground() const;
  [[nodiscard]] QSize FrameExtra() const;
  [[nodiscard]] QPushButton* OwnDefaultButton() const;
  void InvalidateBackground();
  void BuildBackground(qreal dpr);
  void OnDeferredTimer();

  int templateId_;
  QColor faceColor_;
  QBrush pattern_;
  QColor gradientTop_;
  QColor gradientBottom_;
  int backgroundId_ = 0;
  QString backgroundPath_;
  QPixmap background_;
  bool backgroundValid_ = false;
  int backgroundBuilds_ = 0;
  QSize minSize_;
  QSize maxSize_;
  bool centerOnOwner_ = true;
  bool centerOnMainWindow_ = false;
  QTimer deferredTimer_;  // timer 60000
  int pendingCommand_ = 0;
  bool controlStyle_ = false;
  bool swallowEnterEscape_ = false;
};

}  // namespace tvk
