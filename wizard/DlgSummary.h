#pragma once
// The correction summary: what the corrected file records about its correction (file, level option,
// new level reference, specific gravity, the manual readings with their drift corrections), and the
// level of the source and of the corrected log over time, which can be saved as an image or exported as
// CSV. The files are read on a worker thread; the dialog says it is loading until they are.

#include <QFutureWatcher>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

#include "controls/TMDialog.h"
#include "wizard/HandOff.h"
#include "correction/CorrectionSummary.h"
#include "correction/LevelChartData.h"

class QPushButton;
class QTableWidget;

namespace tvk {

class CLabel;
class CLevelChart;

// What the worker reads for the summary.
struct SummaryReading {
  QString failure;  // why there is nothing to show; empty when `summary` holds the values
  CorrectionSummary summary;
  std::optional<LevelSeries> source;
  std::optional<LevelSeries> corrected;
};

// Reads the summary of the corrected log at `correctedPath` and the level columns of it and of
// `sourcePath` (Qt-free engine calls only, so any thread may run it).
SummaryReading ReadSummary(const std::string& correctedPath, const std::string& sourcePath);

class CDlgSummary : public CTMDialog {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 1017;
  // Control ids of the values, the chart and the loading or failure text; Done is kIdOk.
  enum ControlIds {
    kIdFileName = 1101,
    kIdLevelOption = 1102,
    kIdLevelReference = 1103,
    kIdSpecificGravity = 1104,
    kIdChart = 1105,
    kIdStatus = 1106,
    kIdReadings = 1107,
    kIdSaveChart = 1108,
    kIdExportCsv = 1109,
  };
  // The readings table's columns.
  enum ReadingColumns { kColumnTime, kColumnManual, kColumnLogged, kColumnDrift, kReadingColumnCount };

  // The values known: the file name shows the part of `filePath` after its last separator, with the
  // whole path as its hover text. The chart stays empty.
  CDlgSummary(const QString& filePath, const QString& levelOption, const QString& levelReference,
              const QString& specificGravity, QWidget* parent = nullptr);
  // Says it is loading until Load's reading arrives.
  explicit CDlgSummary(QWidget* parent = nullptr);
  ~CDlgSummary() override;

  // Reads ReadSummary(correctedPath, sourcePath) on a worker thread and shows it when it arrives, on
  // this thread. Closing or deleting the dialog before then discards the reading.
  void Load(const QString& correctedPath, const QString& sourcePath);
  [[nodiscard]] bool IsLoading() const { return loading_; }
  // Shows a reading: the values and chart, or the reason there are none.
  void ShowReading(const SummaryReading& reading);

  // The loading note, the reason nothing can be shown, or empty.
  [[nodiscard]] QString Status() const;
  CLevelChart& Chart() { return *chart_; }
  // The manual readings as the corrected file records them; hidden when it records none.
  QTableWidget& ReadingsTable() { return *readings_; }

  // What "Save chart..." and "Export CSV..." write once a file is chosen: the chart as an SVG image
  // when `path` ends in ".svg", else as PNG at the screen's scale; the two level columns as CSV (see
  // WriteLevelCsv). Each goes to a temporary file renamed into place, so a failure leaves no partial
  // file; false with the reason.
  bool SaveChart(const QString& path, QString& reason);
  bool ExportCsv(const QString& path, QString& reason);
  // ExportCsv on a worker thread, a million rows taking about a second: the buttons wait while it
  // writes, a failure is shown in a message box, and csvExported says how it ended.
  void StartCsvExport(const QString& path);

 signals:
  // The reading arrived and is shown.
  void loaded();
  // An export StartCsvExport began ended; `reason` is empty when the file was written.
  void csvExported(const QString& path, const QString& reason);

 private:
  void SetValues(const QString& filePath, const QString& levelOption, const QString& levelReference,
                 const QString& specificGravity);
  void ShowReadings(const std::vector<RecordedReading>& readings);
  // The dialogs behind the buttons.
  void OnSaveChart();
  void OnExportCsv();
  // Where a file chooser starts: beside the corrected log, named after it.
  QString SuggestedPath(const QString& suffix) const;

  CLabel* status_ = nullptr;
  QWidget* values_ = nullptr;
  CLabel* readingsCaption_ = nullptr;
  QTableWidget* readings_ = nullptr;
  CLevelChart* chart_ = nullptr;
  QPushButton* saveChart_ = nullptr;
  QPushButton* exportCsv_ = nullptr;
  QString correctedPath_;
  std::unique_ptr<QFutureWatcher<void>> watcher_;
  wizard::CHandOff<SummaryReading> reading_;
  std::unique_ptr<QFutureWatcher<void>> exportWatcher_;
  wizard::CHandOff<QString> exportReason_;
  bool loading_ = false;
};

// The summary of the log corrected from `sourcePath` into `logFolder`/Post Corrected Files/
// `outputName`, loading (see CDlgSummary::Load).
std::unique_ptr<CDlgSummary> MakeCorrectionSummary(const QString& logFolder, const QString& outputName,
                                                   const QString& sourcePath, QWidget* parent);

// The processing page's Summary button: opens that summary without blocking; it deletes itself when
// closed.
void ShowCorrectionSummary(const QString& logFolder, const QString& outputName, const QString& sourcePath,
                           QWidget* parent);

}  // namespace tvk
