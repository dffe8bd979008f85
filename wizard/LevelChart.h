#pragma once
// The before/after chart of the correction summary: the level column of the source log and of the
// corrected log over one time axis, each on its own level axis (left: source, right: corrected), since
// the two modes differ in scale and direction. Each pixel column shows the lowest and highest value of
// the rows it covers, so a million rows draw quickly and no spike is lost.

#include <QString>
#include <QWidget>

#include <optional>
#include <vector>

#include "correction/LevelChartData.h"

namespace tvk {

class CLevelChart : public QWidget {
  Q_OBJECT

 public:
  explicit CLevelChart(QWidget* parent = nullptr);

  // The level columns of both logs, read elsewhere (LoadLevelSeries); std::nullopt for a log that could
  // not be read, which the chart says.
  void SetSeries(std::optional<LevelSeries> source, std::optional<LevelSeries> corrected);
  // No lines, and a note that they are being read, until SetSeries.
  void ShowLoading();

  // What the chart says instead of a line, or empty.
  QString Message() const { return message_; }

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

  void UpdateRangesAndTexts();
  void UpdateEnvelopes(int columns);

  Line source_;
  Line corrected_;
  double start_ = 0;
  double end_ = 0;
  int cachedColumns_ = -1;
  QString message_;
  bool loading_ = false;
};

// "Level Depth To Water (ft)": the mode's name and the unit's abbreviation.
QString LevelAxisTitle(const LevelSeries& series);

}  // namespace tvk
