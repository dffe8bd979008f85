#pragma once
// The library's images by resource id. They are SVG, rendered at the device pixel ratio of the target, so
// they stay sharp at any scale factor.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
class QSvgRenderer;

namespace tvk {

namespace ImageId {
// Page backgrounds: a landscape on the left fading into plain blue on the right.
inline constexpr int PageBackgroundMode = 1008;
inline constexpr int PageBackground = 1009;
// Level measurement mode illustrations, 160 x 160: a well (or a river) in cross-section with the measured
// height as an orange arrow. Captions go on the light sky, in image units: the title ("Depth", "Depth to
// Water", "Elevation", "Gauge Height") at the top left (4, 4)-(98, 20); "Well" right of the casing
// (122, 16)-(158, 32); "Stilling Well" under the title (4, 20)-(98, 35); "Staff Gauge" (100, 20)-(158, 35).
inline constexpr int ModeDepth = 1010;
inline constexpr int ModeElevation = 1012;
inline constexpr int ModeGaugeHeight = 1013;
inline constexpr int ModeDepthToWater = 1015;
// Light bulb in front of a description; its background is pure green (0x00FF00), the transparent colour.
inline constexpr int LightBulb = 1016;
// Tree icons, 16 x 16: root folder, site, log.
inline constexpr int TreeFolder = 1020;
inline constexpr int TreeSite = 1021;
inline constexpr int TreeLog = 1022;
// Button sets: normal, hot, pressed, disabled. OK's pressed face is its normal face.
inline constexpr int OkNormal = 10109;
inline constexpr int OkHot = 10110;
inline constexpr int OkDisabled = 10111;
inline constexpr int CancelNormal = 10112;
inline constexpr int CancelHot = 10113;
inline constexpr int CancelPressed = 10114;
inline constexpr int CancelDisabled = 10115;
inline constexpr int NextNormal = 10116;
inline constexpr int NextHot = 10117;
inline constexpr int NextPressed = 10118;
inline constexpr int NextDisabled = 10119;
inline constexpr int BackNormal = 10120;
inline constexpr int BackHot = 10121;
inline constexpr int BackPressed = 10122;
inline constexpr int BackDisabled = 10123;
}  // namespace ImageId

// Every image id above, for galleries and checks.
[[nodiscard]] QList<int> AllImageIds();

// ":/images/<name>.svg" of an id, or an empty string for an unknown id.
[[nodiscard]] QString ImagePath(int id);

// The shared renderer of an image path, or nullptr when the path is empty or not a valid SVG.
// GUI thread only; the renderers live as long as the application object.
[[nodiscard]] QSvgRenderer* ImageRenderer(const QString& path);

// The image's own size in logical pixels (its SVG width and height); empty when unknown.
[[nodiscard]] QSize ImageSize(const QString& path);
[[nodiscard]] QSize ImageSize(int id);

// Draws the image stretched over `target`. False when the image is unknown.
bool DrawImage(QPainter& painter, const QRectF& target, const QString& path);

// The image rendered at `logicalSize` x `dpr` device pixels, tagged with `dpr`. Pixels of exactly
// `transparentColor` (when valid) become fully transparent. Null when the image is unknown.
[[nodiscard]] QPixmap RenderImage(const QString& path, QSize logicalSize, qreal dpr,
                                  QColor transparentColor = QColor());

// An icon drawn from the SVG at whatever size and scale the view asks for.
[[nodiscard]] QIcon ImageIcon(int id);

// The scale from logical to device pixels of what `painter` paints on, redirections included
// (a widget rendered into a pixmap of another device pixel ratio).
[[nodiscard]] qreal PaintScale(const QPainter& painter);

}  // namespace tvk
