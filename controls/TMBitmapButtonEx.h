#pragma once
// Push button drawn with one of four images (normal, hot, pressed, disabled), with hover tracking, the
// hand cursor and a caption centred over the image.

#include <QPushButton>
#include <QString>
#include <QTimer>

namespace tvk {

class CTMBitmapButtonEx : public QPushButton {
  Q_OBJECT

 public:
  enum class Face { Normal, Hot, Pressed, Disabled };

  explicit CTMBitmapButtonEx(QWidget* parent = nullptr);

  // Image ids of tvk::ImageId; 0 for a face falls back to the normal image. The button takes the
  // size of the normal image. False when the normal image is unknown.
  bool LoadBitmaps(int normal, int hot, int pressed, int disabled);
  // The same with resource or file paths of SVG images; empty paths fall back to the normal image.
  bool LoadImages(const QString& normal, const QString& hot, const QString& pressed, const QString& disabled);

  // The checked flag shows the pressed image while it is set; clicks do not change it.
  void SetCheck(bool checked);
  [[nodiscard]] bool GetCheck() const { return checkedFlag_; }

  [[nodiscard]] bool IsHot() const { return hot_; }
  [[nodiscard]] Face CurrentFace() const;
  [[nodiscard]] QString FaceImage(Face face) const;
  // The caption as drawn: the text shortened from the end until it fits the button.
  [[nodiscard]] QString ShownCaption() const;

  // Hover text, broken into lines of at most 300 pixels.
  void SetToolTipText(const QString& text);

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void UpdateCursor();

  QString images_[4];
  QSize imageSize_;
  bool checkedFlag_ = false;
  bool mouseInside_ = false;
  bool hot_ = false;
  bool keyboardFocus_ = false;
  QTimer hoverTimer_;
};

}  // namespace tvk
