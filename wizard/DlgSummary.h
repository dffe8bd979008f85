#pragma once
// The correction summary: what the corrected file records about its correction (file, level option,
// new level reference, specific gravity), and the level of the source and of the corrected log over
// time.

#include <QString>
#include <QWidget>

#include <memory>

#include "controls/TMDialog.h"

namespace tvk {

class CLabel;
class CLevelChart;

class CDlgSummary : public CTMDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 1017;
  // Control ids of the values and the chart; Done is kIdOk.
  enum ControlIds {
    kIdFileName = 1101,
    kIdLevelOption = 1102,
    kIdLevelReference = 1103,
    kIdSpecificGravity = 1104,
    kIdChart = 1105,
  };

  // The file name shows the part of `filePath` after its last separator, with the whole path as its
  // hover text. The chart stays empty until LoadChart.
  CDlgSummary(const QString& filePath, const QString& levelOption, const QString& levelReference,
              const QString& specificGravity, QWidget* parent = nullptr);

  // Reads the level columns of the source and the corrected log into the chart.
  void LoadChart(const QString& sourcePath);
  CLevelChart& Chart() { return *chart_; }

 private:
  QString filePath_;
  CLevelChart* chart_ = nullptr;
};

// The summary of the log corrected from `sourcePath` into `logFolder`/Post Corrected Files/
// `outputName`, ready to be run; null when there is nothing to show (no such file, its notes
// unreadable, its post-correction note damaged).
std::unique_ptr<CDlgSummary> MakeCorrectionSummary(const QString& logFolder, const QString& outputName,
                                                   const QString& sourcePath, QWidget* parent);

// The processing page's Summary button: runs that summary modally, or shows nothing.
void ShowCorrectionSummary(const QString& logFolder, const QString& outputName, const QString& sourcePath,
                           QWidget* parent);

}  // namespace tvk
