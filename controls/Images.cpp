#include "controls/Images.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <array>
#include <cmath>

// The resource initialiser lives in the same static library; calling it pulls it into every program.
static void InitImageResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(images);
    return true;
  }();
  (void)done;
}

namespace tvk {
namespace {

struct ImageEntry {
  int id;
  const char* name;
};

constexpr std::array kImages{
    ImageEntry{ImageId::PageBackgroundMode, "page_background_mode"},
    ImageEntry{ImageId::PageBackground, "page_background"},
    ImageEntry{ImageId::ModeDepth, "mode_depth"},
    ImageEntry{ImageId::ModeElevation, "mode_elevation"},
    ImageEntry{ImageId::ModeGaugeHeight, "mode_gauge_height"},
    ImageEntry{ImageId::ModeDepthToWater, "mode_depth_to_water"},
    ImageEntry{ImageId::LightBulb, "light_bulb"},
    ImageEntry{ImageId::TreeFolder, "tree_folder"},
    ImageEntry{ImageId::TreeSite, "tree_site"},
    ImageEntry{ImageId::TreeLog, "tree_log"},
    ImageEntry{ImageId::OkNormal, "button_ok_normal"},
    ImageEntry{ImageId::OkHot, "button_ok_hot"},
    ImageEntry{ImageId::OkDisabled, "button_ok_disabled"},
    ImageEntry{ImageId::CancelNormal, "button_cancel_normal"},
    ImageEntry{ImageId::CancelHot, "button_cancel_hot"},
    ImageEntry{ImageId::CancelPressed, "button_cancel_pressed"},
    ImageEntry{ImageId::CancelDisabled, "button_cancel_disabled"},
    ImageEntry{ImageId::NextNormal, "button_next_normal"},
    ImageEntry{ImageId::NextHot, "button_next_hot"},
    ImageEntry{ImageId::NextPressed, "button_next_pressed"},
    ImageEntry{ImageId::NextDisabled, "button_next_disabled"},
    ImageEntry{ImageId::BackNormal, "button_back_normal"},
    ImageEntry{ImageId::BackHot, "button_back_hot"},
    ImageEntry{ImageId::BackPressed, "button_back_pressed"},
    ImageEntry{ImageId::BackDisabled, "button_back_disabled"},
};

// Draws an SVG at the size and scale a view asks for, instead of scaling one fixed bitmap.
class SvgIconEngine final : public QIconEngine {
 public:
  explicit SvgIconEngine(QString path) : path_(std::move(path)) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    if (mode == QIcon::Disabled) {
      painter->setOpacity(painter->opacity() * 0.45);
    }
    DrawImage(*painter, rect, path_);
    painter->restore();
  }

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return scaledPixmap(size, mode, state, 1.0);
  }

  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
    QPixmap pixmap = RenderImage(path_, size, scale);
    if (mode == QIcon::Disabled && !pixmap.isNull()) {
      QPixmap faded(pixmap.size());
      faded.setDevicePixelRatio(pixmap.devicePixelRatio());
      faded.fill(Qt::transparent);
      {
        QPainter painter(&faded);
        painter.setOpacity(0.45);
        painter.drawPixmap(0, 0, pixmap);
      }
      return faded;
    }
    return pixmap;
  }

  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
  QIconEngine* clone() const override { return new SvgIconEngine(path_); }
  QString key() const override { return QStringLiteral("tvk-svg"); }

 private:
  QString path_;
};

}  // namespace

QList<int> AllImageIds() {
  QList<int> ids;
  for (const ImageEntry& entry : kImages) {
    ids.append(entry.id);
  }
  return ids;
}

QString ImagePath(int id) {
  for (const ImageEntry& entry : kImages) {
    if (entry.id == id) {
      return QStringLiteral(":/images/%1.svg").arg(QLatin1String(entry.name));
    }
  }
  return {};
}

QSvgRenderer* ImageRenderer(const QString& path) {
  if (path.isEmpty() || QCoreApplication::instance() == nullptr) {
    return nullptr;
  }
  InitImageResources();
  static QHash<QString, QPointer<QSvgRenderer>> cache;
  QPointer<QSvgRenderer>& slot = cache[path];
  if (slot.isNull()) {
    // Parented to the application so the renderers go with it.
    slot = new QSvgRenderer(path, QCoreApplication::instance());
    slot->setAspectRatioMode(Qt::IgnoreAspectRatio);
  }
  return slot->isValid() ? slot.data() : nullptr;
}

QSize ImageSize(const QString& path) {
  const QSvgRenderer* renderer = ImageRenderer(path);
  return renderer != nullptr ? renderer->defaultSize() : QSize();
}

QSize ImageSize(int id) { return ImageSize(ImagePath(id)); }

bool DrawImage(QPainter& painter, const QRectF& target, const QString& path) {
  QSvgRenderer* renderer = ImageRenderer(path);
  if (renderer == nullptr) {
    return false;
  }
  renderer->render(&painter, target);
  return true;
}

QPixmap RenderImage(const QString& path, QSize logicalSize, qreal dpr, QColor transparentColor) {
  QSvgRenderer* renderer = ImageRenderer(path);
  if (renderer == nullptr || logicalSize.isEmpty() || dpr <= 0) {
    return {};
  }
  const QSize device(static_cast<int>(std::ceil(logicalSize.width() * dpr)),
                     static_cast<int>(std::ceil(logicalSize.height() * dpr)));
  QImage image(device, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF whole(QPointF(0, 0), QSizeF(device));
    if (transparentColor.isValid() && renderer->elementExists(QStringLiteral("art"))) {
      // The artwork alone, without its key-coloured background: its edges are blended with nothing
      // instead of with the key colour, which would leave a coloured fringe.
      const QRectF box = renderer->viewBoxF();
      const QRectF art = renderer->boundsOnElement(QStringLiteral("art"));
      const qreal sx = whole.width() / box.width();
      const qreal sy = whole.height() / box.height();
      renderer->render(
          &painter, QStringLiteral("art"),
          QRectF((art.x() - box.x()) * sx, (art.y() - box.y()) * sy, art.width() * sx, art.height() * sy));
    } else {
      renderer->render(&painter, whole);
    }
  }
  if (transparentColor.isValid()) {
    const QRgb key = transparentColor.rgb() | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        if (line[x] == key) {
          line[x] = 0;
        }
      }
    }
  }
  QPixmap pixmap = QPixmap::fromImage(std::move(image));
  pixmap.setDevicePixelRatio(dpr);
  return pixmap;
}

QIcon ImageIcon(int id) {
  const QString path = ImagePath(id);
  if (path.isEmpty()) {
    return {};
  }
  return QIcon(new SvgIconEngine(path));
}

qreal PaintScale(const QPainter& painter) {
  const QPaintEngine* engine = painter.paintEngine();
  const QPaintDevice* device = engine != nullptr ? engine->paintDevice() : painter.device();
  return device != nullptr ? device->devicePixelRatio() : 1.0;
}

}  // namespace tvk
