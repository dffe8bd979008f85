#pragma once
// The before/after chart of the correction summary: the level column of the source log and of the
// corrected log over one time axis. Logs of one mode and unit share one level axis, so an offset shows
// as a distance between the lines; logs of different modes or units each get their own (left: source,
// right: corrected), since they differ in scale and direction. Manual readings are marked on the
// corrected line. Each pixel column shows the lowest and highest value of the rows it covers, so a
// million rows draw quickly and no spike is lost.

#include <QPointF>
#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

#include "correction/CorrectionSummary.h"
#include "correction/LevelChartData.h"

namespace tvk {

class CLevelChart : public QWidget {
  Q_OBJECT

 public:
  explicit CLevelChart(QWidget* parent = nullptr);

  // The level columns of both logs, read elsewhere (LoadLevelSeries); std::nullopt for a log that could
  // not be read, which the chart says. Each reading is marked at its time on the corrected line (at
  // its manual value where the corrected log has no row at that time).
  void SetSeries(std::optional<LevelSeries> source, std::optional<LevelSeries> corrected,
                 std::vector<RecordedReading> readings = {});
  // No lines, and a note that they are being read, until SetSeries.
  void ShowLoading();

  // What the chart says instead of a line, or empty.
  QString Message() const { return message_; }
  const std::optional<LevelSeries>& Source() const { return source_.series; }
  const std::optional<LevelSeries>& Corrected() const { return corrected_.series; }

  // As laid out at the chart's present size: how many level axes it shows (0 to 2), where a row's value
  // of either log is drawn (std::nullopt for a gap or a line not shown), and the reading marks' centres.
  int ValueAxisCount() const;
  std::optional<QPointF> ValuePosition(bool corrected, std::size_t row) const;
  std::vector<QPointF> ReadingMarkPositions() const;

  QSize sizeHint() const override { return {680, 320}; }
  QSize minimumSizeHint() const override { return {360, 200}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Line {
    std::optional<LevelSeries> series;
    float low = 0;
    float high = 0;
    bool hasValues = false;
    std::vector<EnvelopeColumn> envelope;  // for cachedColumns_
  };

  struct Mark {
    double time = 0;
    double value = 0;
  };
  struct Layout;

  void UpdateRangesAndTexts();
  void UpdateEnvelopes(int columns);
  bool SharesAxis() const;
  Layout ComputeLayout(double ratio) const;

  Line source_;
  Line corrected_;
  std::vector<RecordedReading> readings_;
  std::vector<Mark> marks_;
  double start_ = 0;
  double end_ = 0;
  int cachedColumns_ = -1;
  QString message_;
  bool loading_ = false;
};

// "Level Depth To Water (ft)": the mode's name and the unit's abbreviation.
QString LevelAxisTitle(const LevelSeries& series);

}  // namespace tvk
