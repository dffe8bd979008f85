#include "wizard/DlgSummary.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <filesystem>
#include <system_error>

#include "common/TextUtil.h"
#include "controls/ControlId.h"
#include "controls/Label.h"
#include "wizard/LevelChart.h"

namespace tvk {
namespace {

// The summary's own workers: a static of this module, so unloading the plug-in waits for a reading
// still running instead of unmapping its code.
QThreadPool& SummaryPool() {
  static QThreadPool pool;
  return pool;
}

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

  chart_ = new CLevelChart(this);
  SetControlId(*chart_, kIdChart);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* done = buttons->addButton(tr("Done"), QDialogButtonBox::AcceptRole);
  SetControlId(*done, kIdOk);
  done->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 12);
  layout->setSpacing(12);
  layout->addWidget(status_);
  layout->addWidget(values_);
  layout->addWidget(chart_, 1);
  layout->addWidget(buttons);
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
  status_->setText(tr("Loading..."));
  status_->show();
  values_->setEnabled(false);
  chart_->ShowLoading();
  watcher_ = std::make_unique<QFutureWatcher<SummaryReading>>();
  connect(watcher_.get(), &QFutureWatcher<SummaryReading>::finished, this, [this] {
    const SummaryReading reading = watcher_->result();
    watcher_.reset();
    ShowReading(reading);
  });
  watcher_->setFuture(
      QtConcurrent::run(&SummaryPool(), &ReadSummary, correctedPath.toStdString(), sourcePath.toStdString()));
}

void CDlgSummary::ShowReading(const SummaryReading& reading) {
  loading_ = false;
  values_->setEnabled(true);
  if (!reading.failure.isEmpty()) {
    status_->setText(reading.failure);
    status_->show();
    values_->hide();
    chart_->hide();
    // Only the reason is left: as tall as its wrapped lines at a readable width.
    const int width = 560;
    resize(width, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width) : sizeHint().height());
  } else {
    status_->clear();
    status_->hide();
    const CorrectionSummary& s = reading.summary;
    SetValues(QString::fromStdString(s.filePath), QString::fromStdString(s.levelOption),
              QString::fromStdString(s.levelReference), QString::fromStdString(s.specificGravity));
    chart_->SetSeries(reading.source, reading.corrected);
  }
  emit loaded();
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
