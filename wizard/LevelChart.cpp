#include "wizard/LevelChart.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "common/DeviceTime.h"

namespace tvk {
namespace {

// Blue and vermillion of a palette that stays distinct with every common colour-vision deficiency.
const QColor kSourceColour(0x00, 0x72, 0xB2);
const QColor kCorrectedColour(0xD5, 0x5E, 0x00);

constexpr double kMarkRadius = 5.5;

constexpr double kPadding = 10;
constexpr double kTickLength = 4;
// The source line is the wider one beneath, so it still shows where the corrected line covers it.
constexpr double kSourceLineWidth = 2.4;
constexpr double kCorrectedLineWidth = 1.4;

SystemTime UtcFields(double seconds) {
  return TMSystem::DeviceTimeToSystemTime(TMSystem::DeviceTimeFromSeconds(seconds));
}

QString DisplayTimeText(double seconds) { return QString::fromStdString(FormatDateTime(UtcFields(seconds))); }

// A 1-pixel line lands on a device pixel instead of blurring across two.
double Crisp(double position, double ratio) { return (std::floor(position * ratio) + 0.5) / ratio; }

// The series' level axis: from the value span to pixels. Depth to water grows downwards, as the
// water table it measures falls.
struct LevelAxis {
  ValueTicks ticks;
  bool downwards = false;
  QRectF plot;
  double Y(double value) const {
    const double share = ticks.high > ticks.low ? (value - ticks.low) / (ticks.high - ticks.low) : 0.5;
    return downwards ? plot.top() + share * plot.height() : plot.bottom() - share * plot.height();
  }
  QString Label(double value) const { return QString::number(value, 'f', ticks.decimals); }
};

// A reading's mark: a diamond in the text colour ringed in the background's, so it stands out from
// both lines by its shape.
void DrawMark(QPainter& painter, QPointF centre, const QPalette& palette) {
  const double r = kMarkRadius;
  const QPolygonF diamond{QPointF(centre.x(), centre.y() - r), QPointF(centre.x() + r, centre.y()),
                          QPointF(centre.x(), centre.y() + r), QPointF(centre.x() - r, centre.y())};
  painter.setPen(QPen(palette.color(QPalette::Base), 1.5));
  painter.setBrush(palette.color(QPalette::Text));
  painter.drawPolygon(diamond);
  painter.setBrush(Qt::NoBrush);
}

QString ValueText(double value, const std::string& unit) {
  return QStringLiteral("%1 %2").arg(QString::asprintf("%g", value), QString::fromStdString(unit));
}

double WidestLabel(const QFontMetricsF& metrics, const LevelAxis& axis) {
  double widest = 0;
  for (const double v : axis.ticks.values) widest = std::max(widest, metrics.horizontalAdvance(axis.Label(v)));
  return widest;
}

// The envelope as polylines, one per run without gaps: each column goes from its first value through
// its extremes to its last, and the next column joins on unless a gap lies between.
void DrawEnvelope(QPainter& painter, const std::vector<EnvelopeColumn>& envelope, const LevelAxis& axis,
                  double ratio) {
  QPolygonF run;
  const auto flush = [&] {
    if (run.size() == 1) {
      painter.drawPoint(run.front());
    } else if (!run.isEmpty()) {
      painter.drawPolyline(run);
    }
    run.clear();
  };
  for (std::size_t c = 0; c < envelope.size(); ++c) {
    const EnvelopeColumn& column = envelope[c];
    if (std::isnan(column.low)) continue;
    if (!column.joined) flush();
    const double x = axis.plot.left() + (static_cast<double>(c) + 0.5) / ratio;
    run << QPointF(x, axis.Y(column.first));
    if (column.low != column.high) {
      const bool risingFirst = column.first <= column.last;
      run << QPointF(x, axis.Y(risingFirst ? column.low : column.high))
          << QPointF(x, axis.Y(risingFirst ? column.high : column.low));
    }
    if (column.last != column.first || column.low != column.high) run << QPointF(x, axis.Y(column.last));
  }
  flush();
}

}  // namespace

QString LevelAxisTitle(const LevelSeries& series) { return QString::fromStdString(LevelSeriesTitle(series)); }

// Where everything goes at one size; paintEvent draws it and the queries read it.
struct CLevelChart::Layout {
  struct LegendEntry {
    enum Kind { kSource, kCorrected, kReadings, kMessage } kind;
    QPointF at;  // left end, vertical centre
    QString label;
  };
  bool valid = false;  // room for a plot
  QRectF plot;
  LevelAxis left;   // the source's axis, or the shared one
  LevelAxis right;  // the corrected log's own axis; no ticks when shared
  bool shared = false;
  std::vector<LegendEntry> legend;
  const LevelAxis& CorrectedAxis() const { return shared ? left : right; }
};

CLevelChart::CLevelChart(QWidget* parent) : QWidget(parent) {
  setAccessibleName(tr("Level before and after correction"));
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  UpdateRangesAndTexts();
}

void CLevelChart::ShowLoading() {
  source_ = Line{};
  corrected_ = Line{};
  readings_.clear();
  loading_ = true;
  UpdateRangesAndTexts();
  update();
}

void CLevelChart::SetSeries(std::optional<LevelSeries> source, std::optional<LevelSeries> corrected,
                            std::vector<RecordedReading> readings) {
  loading_ = false;
  source_ = Line{};
  source_.series = std::move(source);
  corrected_ = Line{};
  corrected_.series = std::move(corrected);
  readings_ = std::move(readings);
  UpdateRangesAndTexts();
  update();
}

bool CLevelChart::SharesAxis() const {
  return source_.series && corrected_.series && source_.hasValues && corrected_.hasValues &&
         source_.series->mode == corrected_.series->mode && source_.series->unit == corrected_.series->unit;
}

void CLevelChart::UpdateRangesAndTexts() {
  cachedColumns_ = -1;
  bool anyTime = false;
  start_ = end_ = 0;
  for (Line* line : {&source_, &corrected_}) {
    if (!line->series) continue;
    line->hasValues = ValueRange(line->series->values, line->low, line->high);
    const std::vector<double>& times = line->series->times;
    if (times.empty()) continue;
    const auto [first, last] = std::minmax_element(times.begin(), times.end());
    start_ = anyTime ? std::min(start_, *first) : *first;
    end_ = anyTime ? std::max(end_, *last) : *last;
    anyTime = true;
  }
  if (anyTime && end_ <= start_) {  // one row: a minute either side
    start_ -= 60;
    end_ += 60;
  }

  // A reading's note is timed at its row, so the mark sits on that row's corrected value.
  marks_.clear();
  if (corrected_.series && corrected_.hasValues) {
    const LevelSeries& series = *corrected_.series;
    for (const RecordedReading& reading : readings_) {
      Mark mark{reading.utcSeconds, reading.manual};
      const auto row = std::lower_bound(series.times.begin(), series.times.end(), reading.utcSeconds);
      if (row != series.times.end() && *row == reading.utcSeconds) {
        const float value = series.values[static_cast<std::size_t>(row - series.times.begin())];
        if (!std::isnan(value)) mark.value = value;
      }
      marks_.push_back(mark);
    }
  }

  if (loading_) {
    message_ = tr("Loading...");
  } else if (!source_.series && !corrected_.series) {
    message_ = tr("Neither the source log nor the corrected log can be read.");
  } else if (!source_.series) {
    message_ = tr("The source log cannot be read; only the corrected log is shown.");
  } else if (!corrected_.series) {
    message_ = tr("The corrected log cannot be read; only the source log is shown.");
  } else if (!source_.hasValues && !corrected_.hasValues) {
    message_ = tr("The logs hold no level values to show.");
  } else {
    message_.clear();
  }

  QStringList description;
  const auto describe = [&](const QString& role, const Line& line) {
    if (!line.series) {
      description << tr("%1 log: cannot be read.").arg(role);
    } else if (!line.hasValues) {
      description << tr("%1 log: %2, no values.").arg(role, LevelAxisTitle(*line.series));
    } else {
      description << tr("%1 log: %2 from %3 to %4, %5 rows from %6 to %7.")
                         .arg(role, LevelAxisTitle(*line.series), QString::number(line.low, 'g', 6),
                              QString::number(line.high, 'g', 6), QString::number(line.series->values.size()),
                              DisplayTimeText(line.series->times.front()), DisplayTimeText(line.series->times.back()));
    }
  };
  if (loading_) {
    description << message_;
  } else {
    describe(tr("Source"), source_);
    describe(tr("Corrected"), corrected_);
    if (SharesAxis()) description << tr("Both logs are drawn on one level axis.");
    if (!marks_.empty()) {
      QStringList readings;
      for (const RecordedReading& r : readings_) {
        readings << tr("%1 at %2 (logged %3, drift correction %4)")
                        .arg(ValueText(r.manual, r.unit), QString::fromStdString(r.timeText), ValueText(r.logged, r.unit),
                             QStringLiteral("%1 %2").arg(QString::asprintf("%+g", r.drift), QString::fromStdString(r.unit)));
      }
      description << (marks_.size() == 1 ? tr("One manual reading, marked with a diamond on the corrected line: %1.")
                                         : tr("%1 manual readings, marked with diamonds on the corrected line: %2.")
                                               .arg(marks_.size()))
                         .arg(readings.join(QStringLiteral("; ")));
    }
  }
  setAccessibleDescription(description.join(QLatin1Char(' ')));
}

void CLevelChart::UpdateEnvelopes(int columns) {
  if (columns == cachedColumns_) return;
  for (Line* line : {&source_, &corrected_}) {
    line->envelope.clear();
    if (line->series && line->hasValues) {
      line->envelope = ComputeEnvelope(line->series->times, line->series->values, start_, end_, columns);
    }
  }
  cachedColumns_ = columns;
}

CLevelChart::Layout CLevelChart::ComputeLayout(double ratio) const {
  Layout layout;
  const QFontMetricsF metrics(font());
  const double lineHeight = metrics.height();
  const bool showSource = source_.series && source_.hasValues;
  const bool showCorrected = corrected_.series && corrected_.hasValues;
  layout.shared = SharesAxis();

  // Legend above the plot, wrapped onto more lines when the window is narrow; the chart's note goes
  // beside it, so it hides no part of the line.
  const double legendLeft = kPadding + lineHeight + 6;
  const double legendRight = width() - kPadding;
  double x = legendLeft;
  int lines = 1;
  const auto place = [&](Layout::LegendEntry::Kind kind, const QString& label) {
    const double w = (kind == Layout::LegendEntry::kMessage ? 0 : 28) + metrics.horizontalAdvance(label);
    if (x > legendLeft && x + w > legendRight) {
      x = legendLeft;
      ++lines;
    }
    layout.legend.push_back({kind, QPointF(x, kPadding + (lines - 0.5) * lineHeight + (lines - 1) * 4), label});
    x += w + 24;
  };
  if (source_.series) place(Layout::LegendEntry::kSource, tr("Source: %1").arg(LevelAxisTitle(*source_.series)));
  if (corrected_.series) {
    place(Layout::LegendEntry::kCorrected, tr("Corrected: %1").arg(LevelAxisTitle(*corrected_.series)));
  }
  if (!marks_.empty()) place(Layout::LegendEntry::kReadings, tr("Manual reading"));
  if (!message_.isEmpty() && (showSource || showCorrected)) {
    // Elided to what is left of its line, or given a line of its own when little is left.
    if (legendRight - x < 160) {
      x = legendLeft;
      ++lines;
    }
    const QFontMetricsF italic([this] {
      QFont f = font();
      f.setItalic(true);
      return f;
    }());
    place(Layout::LegendEntry::kMessage, italic.elidedText(message_, Qt::ElideRight, legendRight - x));
  }

  // Level ticks: about one per two and a half lines of text.
  const double legendHeight = lines * (lineHeight + 4) + 4;
  const double bottomHeight = kTickLength + 3 + 2 * lineHeight + 4 + lineHeight;
  const double plotHeightGuess = height() - 2 * kPadding - legendHeight - bottomHeight;
  const int levelTicks = std::clamp(static_cast<int>(plotHeightGuess / (2.5 * lineHeight)), 2, 10);
  if (layout.shared) {
    layout.left.ticks = RoundValueTicks(std::min(source_.low, corrected_.low), std::max(source_.high, corrected_.high),
                                        levelTicks);
    layout.left.downwards = source_.series->mode == 4;
  } else {
    if (showSource) {
      layout.left.ticks = RoundValueTicks(source_.low, source_.high, levelTicks);
      layout.left.downwards = source_.series->mode == 4;
    }
    if (showCorrected) {
      layout.right.ticks = RoundValueTicks(corrected_.low, corrected_.high, levelTicks);
      layout.right.downwards = corrected_.series->mode == 4;
    }
  }
  const double leftWidth = lineHeight + 6 + WidestLabel(metrics, layout.left) + kTickLength + 4;
  // One axis leaves the right side for the last time label only.
  const double rightWidth =
      layout.shared ? metrics.horizontalAdvance(QStringLiteral("00")) : lineHeight + 6 + WidestLabel(metrics, layout.right) + kTickLength + 4;
  QRectF plot(kPadding + leftWidth, kPadding + legendHeight, 0, 0);
  plot.setRight(width() - kPadding - rightWidth);
  plot.setBottom(height() - kPadding - bottomHeight);
  if (plot.width() < 20 || plot.height() < 20) return layout;
  // Whole device pixels, so the envelope's columns are the screen's.
  plot.setLeft(std::round(plot.left() * ratio) / ratio);
  plot.setRight(std::round(plot.right() * ratio) / ratio);
  layout.plot = plot;
  layout.left.plot = plot;
  layout.right.plot = plot;
  layout.valid = true;
  return layout;
}

int CLevelChart::ValueAxisCount() const {
  if (SharesAxis()) return 1;
  return (source_.series && source_.hasValues ? 1 : 0) + (corrected_.series && corrected_.hasValues ? 1 : 0);
}

std::optional<QPointF> CLevelChart::ValuePosition(bool corrected, std::size_t row) const {
  const Line& line = corrected ? corrected_ : source_;
  if (!line.series || !line.hasValues || row >= line.series->values.size() || std::isnan(line.series->values[row])) {
    return std::nullopt;
  }
  const Layout layout = ComputeLayout(devicePixelRatioF());
  if (!layout.valid) return std::nullopt;
  const LevelAxis& axis = corrected ? layout.CorrectedAxis() : layout.left;
  const double t = line.series->times[row];
  return QPointF(layout.plot.left() + (t - start_) / (end_ - start_) * layout.plot.width(),
                 axis.Y(line.series->values[row]));
}

std::vector<QPointF> CLevelChart::ReadingMarkPositions() const {
  std::vector<QPointF> positions;
  const Layout layout = ComputeLayout(devicePixelRatioF());
  if (!layout.valid) return positions;
  for (const Mark& mark : marks_) {
    positions.emplace_back(layout.plot.left() + (mark.time - start_) / (end_ - start_) * layout.plot.width(),
                           layout.CorrectedAxis().Y(mark.value));
  }
  return positions;
}

void CLevelChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  // The ratio of what is painted on: a snapshot or a saved image may differ from the screen.
  const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
  const double ratio = device ? device->devicePixelRatioF() : devicePixelRatioF();
  const QFontMetricsF metrics(font());
  const double lineHeight = metrics.height();
  const QColor text = palette().color(QPalette::Text);
  QColor grid = text;
  grid.setAlphaF(0.12);
  QColor frame = text;
  frame.setAlphaF(0.45);

  painter.setPen(QPen(grid, 1));
  painter.drawRect(QRectF(0.5 / ratio, 0.5 / ratio, width() - 1 / ratio, height() - 1 / ratio));

  const bool showSource = source_.series && source_.hasValues;
  const bool showCorrected = corrected_.series && corrected_.hasValues;
  const Layout layout = ComputeLayout(ratio);
  if (!layout.valid) return;
  const QRectF plot = layout.plot;
  const LevelAxis& left = layout.left;
  const LevelAxis& right = layout.CorrectedAxis();

  const auto timeX = [&](double t) { return plot.left() + (t - start_) / (end_ - start_) * plot.width(); };
  std::vector<TimeTick> timeTicks;
  if (showSource || showCorrected) {
    // As many time ticks as their labels leave room for.
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("00:00")) + 48;
    for (int count = std::max(2, static_cast<int>(plot.width() / labelWidth)); count >= 2; --count) {
      timeTicks = RoundTimeTicks(start_, end_, count);
      double widest = 0;
      for (const TimeTick& tick : timeTicks) {
        widest = std::max({widest, metrics.horizontalAdvance(QString::fromStdString(tick.timeText)),
                           metrics.horizontalAdvance(QString::fromStdString(tick.dateText))});
      }
      if (timeTicks.size() < 2 || plot.width() / static_cast<double>(timeTicks.size()) > widest + 16) break;
    }
  }

  // Grid: the left axis's levels (the right's without a source line) and the time ticks.
  painter.setPen(QPen(grid, 1));
  const LevelAxis& gridAxis = showSource ? left : right;
  if (showSource || showCorrected) {
    for (const double v : gridAxis.ticks.values) {
      const double y = Crisp(gridAxis.Y(v), ratio);
      painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
  }
  for (const TimeTick& tick : timeTicks) {
    const double x = Crisp(timeX(tick.utcSeconds), ratio);
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }

  // Lines, clipped to the plot; the readings' marks over them.
  UpdateEnvelopes(static_cast<int>(std::lround(plot.width() * ratio)));
  painter.save();
  painter.setClipRect(plot.adjusted(-1, -2, 1, 2));
  if (showSource) {
    painter.setPen(QPen(kSourceColour, kSourceLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    DrawEnvelope(painter, source_.envelope, left, ratio);
  }
  if (showCorrected) {
    painter.setPen(QPen(kCorrectedColour, kCorrectedLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    DrawEnvelope(painter, corrected_.envelope, right, ratio);
  }
  painter.setClipRect(plot.adjusted(-kMarkRadius - 2, -kMarkRadius - 2, kMarkRadius + 2, kMarkRadius + 2));
  for (const Mark& mark : marks_) DrawMark(painter, QPointF(timeX(mark.time), right.Y(mark.value)), palette());
  painter.restore();

  // Frame and the axes' ticks and labels; each level axis in its line's colour, a shared one in the
  // text's.
  painter.setPen(QPen(frame, 1));
  painter.drawRect(QRectF(Crisp(plot.left(), ratio), Crisp(plot.top(), ratio), std::round(plot.width()),
                          std::round(plot.height())));
  const auto drawLevelAxis = [&](const LevelAxis& axis, const Line& line, const QColor& colour, bool onLeft) {
    painter.setPen(colour);
    const double edge = onLeft ? plot.left() : plot.right();
    const double direction = onLeft ? -1 : 1;
    for (const double v : axis.ticks.values) {
      const double y = Crisp(axis.Y(v), ratio);
      painter.drawLine(QPointF(edge, y), QPointF(edge + direction * kTickLength, y));
      const QString label = axis.Label(v);
      const double w = metrics.horizontalAdvance(label);
      const double x = onLeft ? edge - kTickLength - 3 - w : edge + kTickLength + 3;
      painter.drawText(QPointF(x, y + metrics.ascent() / 2 - 1), label);
    }
    // The title runs along the axis, read from bottom to top.
    painter.save();
    const double titleX = onLeft ? kPadding : width() - kPadding - lineHeight;
    painter.translate(titleX, plot.center().y());
    painter.rotate(onLeft ? -90 : 90);
    const QString title = metrics.elidedText(LevelAxisTitle(*line.series), Qt::ElideRight, plot.height());
    const QRectF titleBox(-plot.height() / 2, 0, plot.height(), lineHeight);
    painter.drawText(onLeft ? titleBox : titleBox.translated(0, -lineHeight), Qt::AlignCenter, title);
    painter.restore();
  };
  if (layout.shared) {
    drawLevelAxis(left, source_, text, true);
  } else {
    if (showSource) drawLevelAxis(left, source_, kSourceColour, true);
    if (showCorrected) drawLevelAxis(right, corrected_, kCorrectedColour, false);
  }

  painter.setPen(text);
  for (const TimeTick& tick : timeTicks) {
    const double x = Crisp(timeX(tick.utcSeconds), ratio);
    painter.setPen(frame);
    painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + kTickLength));
    painter.setPen(text);
    double y = plot.bottom() + kTickLength + 3;
    for (const std::string& part : {tick.timeText, tick.dateText}) {
      if (part.empty()) continue;
      const QString label = QString::fromStdString(part);
      const double w = metrics.horizontalAdvance(label);
      const double labelX = std::clamp(x - w / 2, 0.0, width() - w);
      painter.drawText(QPointF(labelX, y + metrics.ascent()), label);
      y += lineHeight;
    }
  }
  if (!timeTicks.empty()) {
    const QString zone = QString::fromStdString(TimeAxisZoneName(start_));
    const QRectF titleBox(plot.left(), height() - kPadding - lineHeight, plot.width(), lineHeight);
    painter.drawText(titleBox, Qt::AlignCenter, zone.isEmpty() ? tr("Time") : tr("Time (%1)").arg(zone));
  }

  for (const Layout::LegendEntry& entry : layout.legend) {
    const QPointF textAt(entry.at.x() + (entry.kind == Layout::LegendEntry::kMessage ? 0 : 28),
                         entry.at.y() + metrics.ascent() / 2 - 1);
    switch (entry.kind) {
      case Layout::LegendEntry::kSource:
      case Layout::LegendEntry::kCorrected:
        painter.setPen(QPen(entry.kind == Layout::LegendEntry::kSource ? kSourceColour : kCorrectedColour, 2.5,
                            Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(entry.at, entry.at + QPointF(22, 0));
        break;
      case Layout::LegendEntry::kReadings:
        DrawMark(painter, entry.at + QPointF(11, 0), palette());
        break;
      case Layout::LegendEntry::kMessage: {
        QColor muted = text;
        muted.setAlphaF(0.75);
        painter.setPen(muted);
        QFont italic = font();
        italic.setItalic(true);
        painter.save();
        painter.setFont(italic);
        painter.drawText(textAt, entry.label);
        painter.restore();
        continue;
      }
    }
    painter.setPen(text);
    painter.drawText(textAt, entry.label);
  }

  if (message_.isEmpty() || showSource || showCorrected) return;
  const QRectF box = plot.adjusted(16, 12, -16, -12);
  QRectF bounds = metrics.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, message_);
  bounds.adjust(-10, -6, 10, 6);
  QColor back = palette().color(QPalette::Base);
  back.setAlphaF(0.9);
  painter.setPen(QPen(frame, 1));
  painter.setBrush(back);
  painter.drawRoundedRect(bounds, 4, 4);
  painter.setPen(text);
  painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, message_);
}

}  // namespace tvk
