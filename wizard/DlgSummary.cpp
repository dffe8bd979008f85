#include "wizard/DlgSummary.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QtMath>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "common/TextUtil.h"
#include "controls/ControlId.h"
#include "controls/Label.h"
#include "wizard/LevelChart.h"

namespace tvk {
namespace {

// "10.8 ft", "-0.2 ft": as the reading note and `tavisko correct` write them.
QString ReadingValue(const char* format, double value, const std::string& unit) {
  return QStringLiteral("%1 %2").arg(QString::asprintf(format, value), QString::fromStdString(unit));
}

// Rows of the readings table shown without scrolling; more scroll.
constexpr int kVisibleReadings = 5;

}  // namespace

SummaryReading ReadSummary(const std::string& correctedPath, const std::string& sourcePath) {
  SummaryReading reading;
  const QString shown = QString::fromStdString(correctedPath);
  std::error_code error;
  if (correctedPath.empty()) {
    reading.failure = CDlgSummary::tr("The correction wrote no file.");
  } else if (!std::filesystem::is_regular_file(correctedPath, error)) {
    reading.failure = CDlgSummary::tr("The corrected file %1 cannot be found.").arg(shown);
  } else if (!ReadCorrectionSummary(correctedPath, reading.summary)) {
    reading.failure =
        CDlgSummary::tr("The corrected file %1 cannot be read, or its post-correction note is damaged.").arg(shown);
  }
  if (!reading.failure.isEmpty()) return reading;
  const auto load = [](const std::string& path) -> std::optional<LevelSeries> {
    LevelSeries series;
    if (path.empty() || !LoadLevelSeries(path, series)) return std::nullopt;
    return series;
  };
  reading.source = load(sourcePath);
  reading.corrected = load(correctedPath);
  return reading;
}

CDlgSummary::CDlgSummary(QWidget* parent) : CTMDialog(kTemplateId, parent) {
  setWindowTitle(tr("Correction summary..."));
  setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);

  status_ = new CLabel(this);
  status_->setWordWrap(true);
  status_->setTextFormat(Qt::PlainText);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  SetControlId(*status_, kIdStatus);
  status_->hide();

  values_ = new QWidget(this);
  auto* values = new QGridLayout(values_);
  values->setContentsMargins(0, 0, 0, 0);
  values->setHorizontalSpacing(12);
  values->setVerticalSpacing(6);
  values->setColumnStretch(1, 1);
  const std::pair<QString, int> rows[] = {{tr("File name:"), kIdFileName},
                                          {tr("Level option:"), kIdLevelOption},
                                          {tr("New level reference:"), kIdLevelReference},
                                          {tr("Specific gravity:"), kIdSpecificGravity}};
  int row = 0;
  for (const auto& [caption, id] : rows) {
    auto* captionLabel = new CLabel(caption, values_);
    auto* valueLabel = new CLabel(values_);
    valueLabel->SetFontBold(true);
    valueLabel->setTextFormat(Qt::PlainText);  // a file name is never markup
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The value is its own accessible name, so a reader says it; the caption labels it.
    captionLabel->setBuddy(valueLabel);
    SetControlId(*valueLabel, id);
    values->addWidget(captionLabel, row, 0);
    values->addWidget(valueLabel, row, 1);
    ++row;
  }

  readingsCaption_ = new CLabel(tr("&Manual readings:"), values_);
  readings_ = new QTableWidget(0, kReadingColumnCount, values_);
  readings_->setHorizontalHeaderLabels({tr("Time"), tr("Manual"), tr("Logged"), tr("Drift correction")});
  readings_->setAccessibleName(tr("Manual readings"));
  readings_->verticalHeader()->hide();
  // Each column as wide as its texts; the last takes the rest.
  readings_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  readings_->horizontalHeader()->setStretchLastSection(true);
  readings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  readings_->setSelectionBehavior(QAbstractItemView::SelectRows);
  readings_->setSelectionMode(QAbstractItemView::SingleSelection);
  readings_->setTabKeyNavigation(false);  // Tab leaves the table; the arrows move within it
  readings_->setWordWrap(false);
  readingsCaption_->setBuddy(readings_);
  SetControlId(*readings_, kIdReadings);
  values->addWidget(readingsCaption_, row, 0, Qt::AlignTop);
  values->addWidget(readings_, row, 1);
  readingsCaption_->hide();
  readings_->hide();

  chart_ = new CLevelChart(this);
  SetControlId(*chart_, kIdChart);

  // Save and export on the left, Done on the right where the other dialogs have their closing button.
  saveChart_ = new QPushButton(tr("&Save chart..."), this);
  SetControlId(*saveChart_, kIdSaveChart);
  exportCsv_ = new QPushButton(tr("E&xport CSV..."), this);
  SetControlId(*exportCsv_, kIdExportCsv);
  for (QPushButton* button : {saveChart_, exportCsv_}) {
    button->setAutoDefault(false);  // Enter stays with Done
    button->setEnabled(false);      // until there is a chart
  }
  connect(saveChart_, &QPushButton::clicked, this, [this] { OnSaveChart(); });
  connect(exportCsv_, &QPushButton::clicked, this, [this] { OnExportCsv(); });
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* done = buttons->addButton(tr("Done"), QDialogButtonBox::AcceptRole);
  SetControlId(*done, kIdOk);
  done->setDefault(true);
  done->setFocus();  // not the table, which comes first in the tab order
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(saveChart_);
  buttonRow->addWidget(exportCsv_);
  buttonRow->addStretch(1);
  buttonRow->addWidget(buttons);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->setSpacing(12);
  layout->addWidget(status_);
  layout->addWidget(values_);
  layout->addWidget(chart_, 1);
  layout->addLayout(buttonRow);
  // Room for the chart's legend with the longest mode names and units.
  resize(sizeHint().expandedTo(QSize(760, 560)));
}

CDlgSummary::CDlgSummary(const QString& filePath, const QString& levelOption, const QString& levelReference,
                         const QString& specificGravity, QWidget* parent)
    : CDlgSummary(parent) {
  SetValues(filePath, levelOption, levelReference, specificGravity);
}

// The watcher goes first, so a reading that arrives later has no one to tell; the pool drops it.
CDlgSummary::~CDlgSummary() = default;

void CDlgSummary::SetValues(const QString& filePath, const QString& levelOption, const QString& levelReference,
                            const QString& specificGravity) {
  CLabel* fileName = FindControl<CLabel>(*this, kIdFileName);
  fileName->setText(QString::fromStdString(GetFileNamePart(filePath.toStdString())));
  fileName->SetToolTipText(filePath);
  FindControl<CLabel>(*this, kIdLevelOption)->setText(levelOption);
  FindControl<CLabel>(*this, kIdLevelReference)->setText(levelReference);
  FindControl<CLabel>(*this, kIdSpecificGravity)->setText(specificGravity);
}

void CDlgSummary::Load(const QString& correctedPath, const QString& sourcePath) {
  loading_ = true;
  for (QPushButton* button : {saveChart_, exportCsv_}) button->setEnabled(false);
  status_->setText(tr("Loading..."));
  status_->show();
  values_->setEnabled(false);
  chart_->ShowLoading();
  watcher_ = std::make_unique<QFutureWatcher<void>>();
  connect(watcher_.get(), &QFutureWatcher<void>::finished, this, [this] {
    SummaryReading reading;
    if (std::optional<SummaryReading> taken = reading_.Take()) {
      reading = std::move(*taken);
    } else {
      reading.failure = tr("The corrected file cannot be read.");
    }
    watcher_.release()->deleteLater();  // it is still sending this signal
    ShowReading(reading);
  });
  watcher_->setFuture(reading_.Run(&wizard::WorkerPool(), [corrected = correctedPath.toStdString(),
                                                     source = sourcePath.toStdString()] {
    return ReadSummary(corrected, source);
  }));
}

void CDlgSummary::ShowReading(const SummaryReading& reading) {
  loading_ = false;
  values_->setEnabled(true);
  if (!reading.failure.isEmpty()) {
    status_->setText(reading.failure);
    status_->show();
    values_->hide();
    chart_->hide();
    saveChart_->hide();
    exportCsv_->hide();
    // Only the reason is left: as tall as its wrapped lines at a readable width.
    const int width = 560;
    resize(width, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height());
  } else {
    status_->clear();
    status_->hide();
    const CorrectionSummary& s = reading.summary;
    SetValues(QString::fromStdString(s.filePath), QString::fromStdString(s.levelOption),
              QString::fromStdString(s.levelReference), QString::fromStdString(s.specificGravity));
    correctedPath_ = QString::fromStdString(s.filePath);
    ShowReadings(s.readings);
    chart_->SetSeries(reading.source, reading.corrected, s.readings);
    const bool anySeries = reading.source || reading.corrected;
    for (QPushButton* button : {saveChart_, exportCsv_}) button->setEnabled(anySeries);
    // The table takes its room from the window, not from the chart.
    if (!s.readings.empty()) resize(width(), height() + readings_->height() + 6);
  }
  emit loaded();
}

void CDlgSummary::ShowReadings(const std::vector<RecordedReading>& readings) {
  readings_->clearContents();
  readings_->setRowCount(static_cast<int>(readings.size()));
  int row = 0;
  for (const RecordedReading& r : readings) {
    const QString texts[kReadingColumnCount] = {QString::fromStdString(r.timeText), ReadingValue("%g", r.manual, r.unit),
                                                ReadingValue("%g", r.logged, r.unit), ReadingValue("%+g", r.drift, r.unit)};
    for (int column = 0; column < kReadingColumnCount; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (column != kColumnTime) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      readings_->setItem(row, column, item);
    }
    ++row;
  }
  const bool any = !readings.empty();
  readingsCaption_->setVisible(any);
  readings_->setVisible(any);
  if (!any) return;
  // Never narrower than its texts, and as tall as its rows, up to a few; the header and frame included.
  int width = 2 * readings_->frameWidth();
  const QFontMetrics metrics(readings_->font());
  for (int column = 0; column < kReadingColumnCount; ++column) {
    int widest = std::max(readings_->horizontalHeader()->sectionSizeHint(column),
                          QFontMetrics(readings_->horizontalHeader()->font())
                                  .horizontalAdvance(readings_->horizontalHeaderItem(column)->text()) + 20);
    for (int r = 0; r < readings_->rowCount(); ++r) {
      widest = std::max(widest, metrics.horizontalAdvance(readings_->item(r, column)->text()) + 12);  // cell margins
    }
    width += widest;
  }
  readings_->setMinimumWidth(width);
  const int visible = std::min(readings_->rowCount(), kVisibleReadings);
  int height = readings_->horizontalHeader()->sizeHint().height() + 2 * readings_->frameWidth();
  for (int i = 0; i < visible; ++i) height += readings_->rowHeight(i);
  readings_->setFixedHeight(height);
}

QString CDlgSummary::SuggestedPath(const QString& suffix) const {
  const QFileInfo corrected(correctedPath_);
  return corrected.absoluteDir().filePath(corrected.completeBaseName() + suffix);
}

bool CDlgSummary::SaveChart(const QString& path, QString& reason) {
  const QSize size = chart_->size();
  if ((!chart_->Source() && !chart_->Corrected()) || size.isEmpty()) {
    reason = tr("There is no chart to save.");
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    reason = file.errorString();
    return false;
  }
  bool drawn = false;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(), size));
    svg.setResolution(chart_->logicalDpiX());  // text as large beside the lines as on the screen
    svg.setTitle(chart_->accessibleName());
    svg.setDescription(chart_->accessibleDescription());
    QPainter painter;
    if (painter.begin(&svg)) {
      chart_->render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground);
      drawn = painter.end();
    }
  } else {
    const qreal ratio = chart_->devicePixelRatioF();
    QImage image(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)), QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
      image.setDevicePixelRatio(ratio);
      image.fill(Qt::transparent);
      chart_->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
      drawn = image.save(&file, "PNG");
    }
  }
  if (!drawn) {
    file.cancelWriting();
    reason = file.error() != QFileDevice::NoError ? file.errorString() : tr("The image could not be drawn.");
    return false;
  }
  if (!file.commit()) {
    reason = file.errorString();
    return false;
  }
  return true;
}

namespace {

QString CsvNotWritten() { return QCoreApplication::translate("tvk::CDlgSummary", "The levels could not be written."); }

// What ExportCsv writes, from series of the caller's own: a worker exports copies of the chart's.
bool WriteCsvFile(const std::optional<LevelSeries>& source, const std::optional<LevelSeries>& corrected,
                  const QString& path, QString& reason) {
  if (!source && !corrected) {
    reason = QCoreApplication::translate("tvk::CDlgSummary", "There are no levels to export.");
    return false;
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    reason = file.errorString();
    return false;
  }
  const bool written = WriteLevelCsv(source ? &*source : nullptr, corrected ? &*corrected : nullptr,
                                     [&file](std::string_view chunk) {
                                       const auto size = static_cast<qint64>(chunk.size());
                                       return file.write(chunk.data(), size) == size;
                                     });
  if (!written) {
    reason = file.errorString();
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    reason = file.errorString();
    return false;
  }
  return true;
}

}  // namespace

bool CDlgSummary::ExportCsv(const QString& path, QString& reason) {
  return WriteCsvFile(chart_->Source(), chart_->Corrected(), path, reason);
}

void CDlgSummary::StartCsvExport(const QString& path) {
  for (QPushButton* button : {saveChart_, exportCsv_}) button->setEnabled(false);
  exportCsv_->setText(tr("Exporting..."));
  exportWatcher_ = std::make_unique<QFutureWatcher<void>>();
  connect(exportWatcher_.get(), &QFutureWatcher<void>::finished, this, [this, path] {
    const std::optional<QString> taken = exportReason_.Take();
    const QString reason = taken ? *taken : CsvNotWritten();
    exportWatcher_.release()->deleteLater();  // it is still sending this signal
    exportCsv_->setText(tr("Export CSV..."));
    for (QPushButton* button : {saveChart_, exportCsv_}) button->setEnabled(true);
    if (!reason.isEmpty()) {
      // Not exec(): the dialog stays live behind it.
      auto* box = new QMessageBox(QMessageBox::Warning, tr("Export CSV"),
                                  tr("The levels could not be exported to %1: %2").arg(path, reason), QMessageBox::Ok,
                                  this);
      box->setAttribute(Qt::WA_DeleteOnClose);
      box->open();
    }
    emit csvExported(path, reason);
  });
  // Copies: the chart may be given other series, or go, while the worker writes.
  exportWatcher_->setFuture(exportReason_.Run(
      &wizard::WorkerPool(), [source = chart_->Source(), corrected = chart_->Corrected(), path] {
        QString reason;
        if (WriteCsvFile(source, corrected, path, reason)) return QString();
        return reason.isEmpty() ? CsvNotWritten() : reason;
      }));
}

void CDlgSummary::OnSaveChart() {
  const QString png = tr("PNG image (*.png)");
  const QString svg = tr("SVG image (*.svg)");
  QFileDialog chooser(this, tr("Save chart"), SuggestedPath(QStringLiteral(".png")), png + QStringLiteral(";;") + svg);
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setDefaultSuffix(QStringLiteral("png"));
  connect(&chooser, &QFileDialog::filterSelected, &chooser, [&chooser, svg](const QString& filter) {
    chooser.setDefaultSuffix(filter == svg ? QStringLiteral("svg") : QStringLiteral("png"));
  });
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  const QString path = chooser.selectedFiles().front();
  if (QString reason; !SaveChart(path, reason)) {
    QMessageBox::warning(this, tr("Save chart"), tr("The chart could not be saved as %1: %2").arg(path, reason));
  }
}

void CDlgSummary::OnExportCsv() {
  QFileDialog chooser(this, tr("Export CSV"), SuggestedPath(QStringLiteral(".csv")), tr("CSV file (*.csv)"));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setDefaultSuffix(QStringLiteral("csv"));
  if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) return;
  StartCsvExport(chooser.selectedFiles().front());
}

QString CDlgSummary::Status() const { return status_->isHidden() ? QString() : status_->text(); }

std::unique_ptr<CDlgSummary> MakeCorrectionSummary(const QString& logFolder, const QString& outputName,
                                                   const QString& sourcePath, QWidget* parent) {
  auto dialog = std::make_unique<CDlgSummary>(parent);
  const QString correctedPath =
      outputName.isEmpty()
          ? QString()
          : QString::fromStdString(CorrectedFilePath(logFolder.toStdString(), outputName.toStdString()));
  dialog->Load(correctedPath, sourcePath);
  return dialog;
}

void ShowCorrectionSummary(const QString& logFolder, const QString& outputName, const QString& sourcePath,
                           QWidget* parent) {
  CDlgSummary* dialog = MakeCorrectionSummary(logFolder, outputName, sourcePath, parent).release();
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
}

}  // namespace tvk
