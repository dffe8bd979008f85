#pragma once
// Text label with its own colours, font attributes, an optional transparent background, a multi-line
// hover text that stays long enough to be read, and an optional link mode.

#include <QColor>
#include <QLabel>
#include <QString>
#include <QTimer>
#include <functional>

namespace tvk {

class CLabel : public QLabel {
  Q_OBJECT

 public:
  // How long the hover text stays visible.
  static constexpr int kToolTipMs = 32000;
  static constexpr int kBlinkMs = 500;

  enum class LinkMode { None, Url, Mail };

  explicit CLabel(QWidget* parent = nullptr);
  explicit CLabel(const QString& text, QWidget* parent = nullptr);

  // Changes the text and repaints only when it differs from the shown one.
  void SetText(const QString& text);
  [[nodiscard]] QString GetText() const { return text(); }

  void SetTextColor(const QColor& color);
  void SetBkColor(const QColor& color);
  // The parent's background shows through instead of the background colour.
  void SetTransparent(bool transparent);
  [[nodiscard]] bool IsTransparent() const { return transparent_; }
  void SetFontBold(bool bold);
  void SetFontWeight(int weight);  // 100 ... 900, as in CSS; 700 is bold
  void SetFontSize(int points);
  void SetFontName(const QString& family);
  void SetFontItalic(bool italic);
  void SetFontUnderline(bool underline);

  // Hover text; line feeds start new lines and the tip is as wide as its widest line.
  void SetToolTipText(const QString& text);
  [[nodiscard]] QString ToolTipText() const { return toolTipText_; }

  // A click opens the link target (or the text) with the desktop's handler; "mailto:" + text for a mail
  // link. The hand cursor is shown over a link.
  void SetLink(LinkMode mode, const QString& target = QString());
  [[nodiscard]] LinkMode GetLinkMode() const { return linkMode_; }
  // The address a click opens, or an empty string outside link mode.
  [[nodiscard]] QString LinkAddress() const;
  // Toggles the highlight of the label on a timer while on.
  void SetBlinking(bool on);
  [[nodiscard]] bool IsHighlighted() const { return highlighted_; }

 signals:
  void linkActivated(const QString& address);

 protected:
  bool event(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ApplyColors();
  void ApplyFont(const std::function<void(QFont&)>& change);

  QColor textColor_;
  QColor bkColor_;
  bool transparent_ = false;
  QString toolTipText_;
  LinkMode linkMode_ = LinkMode::None;
  QString linkTarget_;
  bool highlighted_ = false;
  QTimer blinkTimer_;  // timer 60000
};

}  // namespace tvk
