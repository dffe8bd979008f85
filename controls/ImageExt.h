#pragma once
// Picture control: draws an image in which pixels of one colour are transparent, with an optional text.

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace tvk {

class CImageExt : public QWidget {
  Q_OBJECT

 public:
  explicit CImageExt(QWidget* parent = nullptr);

  // An image id of tvk::ImageId; 0 shows nothing. False when the id is unknown.
  bool SetBitmap(int imageId);
  // The same with a resource or file path of an SVG.
  bool SetImage(const QString& path);
  [[nodiscard]] int GetBitmap() const { return imageId_; }
  [[nodiscard]] QString Image() const { return path_; }

  // Pixels of exactly this colour are not drawn; an invalid colour draws every pixel.
  void SetTransparentColor(const QColor& color);
  [[nodiscard]] QColor TransparentColor() const { return transparentColor_; }

  // Drawn centred over the image in "Arial".
  void SetText(const QString& text);
  [[nodiscard]] QString Text() const { return text_; }
  void SetTextColor(const QColor& color);

  // The picture as painted at `dpr`: the image fitted into the control with its proportions kept, the
  // transparent colour removed.
  [[nodiscard]] QPixmap Rendered(qreal dpr) const;
  // Where the image is drawn: as large as the control allows at its proportions, centred.
  [[nodiscard]] QRect ImageRect() const;

  [[nodiscard]] QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int imageId_ = 0;
  QString path_;
  QColor transparentColor_;
  QString text_;
  QColor textColor_;
  mutable QPixmap cache_;
};

}  // namespace tvk
