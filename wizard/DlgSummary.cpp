#include "wizard/DlgSummary.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/TextUtil.h"
#include "controls/ControlId.h"
#include "controls/Label.h"
#include "correction/CorrectionSummary.h"
#include "wizard/LevelChart.h"

namespace tvk {

CDlgSummary::CDlgSummary(const QString& filePath, const QString& levelOption, const QString& levelReference,
                         const QString& specificGravity, QWidget* parent)
    : CTMDialog(kTemplateId, parent), filePath_(filePath) {
  setWindowTitle(tr("Correction summary..."));
  setWindowFlags((windowFlags() | Qt::WindowCloseButtonHint) & ~Qt::WindowContextHelpButtonHint);

  auto* values = new QGridLayout;
  values->setHorizontalSpacing(12);
  values->setVerticalSpacing(6);
  values->setColumnStretch(1, 1);
  const auto addRow = [&](int row, const QString& caption, const QString& value, int id) {
    auto* captionLabel = new CLabel(caption, this);
    auto* valueLabel = new CLabel(value, this);
    valueLabel->SetFontBold(true);
    valueLabel->setTextFormat(Qt::PlainText);  // a file name is never markup
    valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Assistive technology names the value by its caption.
    valueLabel->setAccessibleName(caption.chopped(1));
    SetControlId(*valueLabel, id);
    values->addWidget(captionLabel, row, 0);
    values->addWidget(valueLabel, row, 1);
    return valueLabel;
  };
  CLabel* fileName =
      addRow(0, tr("File name:"), QString::fromStdString(GetFileNamePart(filePath.toStdString())), kIdFileName);
  fileName->SetToolTipText(filePath);
  addRow(1, tr("Level option:"), levelOption, kIdLevelOption);
  addRow(2, tr("New level reference:"), levelReference, kIdLevelReference);
  addRow(3, tr("Specific gravity:"), specificGravity, kIdSpecificGravity);

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
  layout->addLayout(values);
  layout->addWidget(chart_, 1);
  layout->addWidget(buttons);
  // Room for the chart's legend with the longest mode names and units.
  resize(sizeHint().expandedTo(QSize(760, 560)));
}

void CDlgSummary::LoadChart(const QString& sourcePath) { chart_->LoadLogs(sourcePath, filePath_); }

std::unique_ptr<CDlgSummary> MakeCorrectionSummary(const QString& logFolder, const QString& outputName,
                                                   const QString& sourcePath, QWidget* parent) {
  if (outputName.isEmpty()) return nullptr;  // the correction wrote no file
  const std::string filePath = CorrectedFilePath(logFolder.toStdString(), outputName.toStdString());
  CorrectionSummary summary;
  if (!ReadCorrectionSummary(filePath, summary)) return nullptr;
  auto dialog = std::make_unique<CDlgSummary>(
      QString::fromStdString(summary.filePath), QString::fromStdString(summary.levelOption),
      QString::fromStdString(summary.levelReference), QString::fromStdString(summary.specificGravity), parent);
  dialog->LoadChart(sourcePath);
  return dialog;
}

void ShowCorrectionSummary(const QString& logFolder, const QString& outputName, const QString& sourcePath,
                           QWidget* parent) {
  if (const std::unique_ptr<CDlgSummary> dialog = MakeCorrectionSummary(logFolder, outputName, sourcePath, parent)) {
    dialog->exec();
  }
}

}  // namespace tvk
