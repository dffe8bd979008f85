#include "wizard/WizPageSetNewReference.h"

#include <QAbstractListModel>
#include <QTimer>

#include "common/Format.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "controls/Images.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSetNewReference.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

// The log's row times as list lines; a line's text is made only when the view shows it, so a log of a
// million rows costs one copy of its times and nothing more.
class CRowTimesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void SetTimes(std::vector<TMSystem::CTMDeviceTime> times) {
    beginResetModel();
    times_ = std::move(times);
    snapshot_ = TakeDisplaySnapshot();
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(times_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || role != Qt::DisplayRole) return {};
    const auto& time = times_[static_cast<std::size_t>(index.row())];
    return ToQString(FormatDateTime(TMSystem::DeviceTimeToSystemTime(time), snapshot_));
  }

 private:
  std::vector<TMSystem::CTMDeviceTime> times_;
  DisplaySnapshot snapshot_;
};

namespace {

QDateTime ToDisplayDateTime(const TMSystem::CTMDeviceTime& time) {
  const SystemTime local = UtcToLocal(TMSystem::DeviceTimeToSystemTime(time), false);
  return QDateTime(QDate(local.year, local.month, local.day), QTime(local.hour, local.minute, local.second));
}

// What the page shows of the loaded log, read in one place.
struct RecordedReference {
  bool loaded = false;
  int mode = 0;
  bool atStartOfTest = false;
  QString unitName;
  QString pressureHeadText;
  QString valueText;
  std::vector<TMSystem::CTMDeviceTime> rowTimes;
};

RecordedReference ReadRecordedReference(const CLevelCorrector& corrector) {
  RecordedReference r;
  r.loaded = corrector.IsLoaded();
  r.mode = corrector.GetLevelMeasurementMode();
  r.atStartOfTest = corrector.GetLevelReferenceMode() == 1;
  r.unitName = ToQString(GetUnitName(corrector.GetLevelUnitId()));
  r.pressureHeadText =
      r.atStartOfTest
          ? ToQString(StrFormat("%s %s", "Reference set with pressure head:", "Start of test"))
          : ToQString(StrFormat("%s %g %s", "Reference set with pressure head:",
                                static_cast<double>(corrector.GetLevelRefPressure()),
                                GetUnitAbbreviation(corrector.GetLevelRefPressureUnitId()).c_str()));
  r.valueText = ToQString(StrFormat("%g", static_cast<double>(corrector.GetLevelReferenceVal())));
  r.rowTimes = corrector.GetRowTimes();
  return r;
}

}  // namespace

CWizPageSetNewReference::CWizPageSetNewReference(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateReference),
      sheet_(sheet),
      ui_(std::make_unique<Ui::WizPageSetNewReference>()),
      rows_(new CRowTimesModel(this)) {
  ui_->setupUi(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ui_->dataPoints->setModel(rows_);
  ui_->dataPoints->setUniformItemSizes(true);
  ui_->dataPoints->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(ui_->atTestDefinition, &QRadioButton::clicked, this, [this] { UseTestDefinition(true); });
  connect(ui_->atDataPoint, &QRadioButton::clicked, this, [this] { UseTestDefinition(false); });
  connect(ui_->dataPoints->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &CWizPageSetNewReference::OnDataPointChanged);
}

CWizPageSetNewReference::~CWizPageSetNewReference() = default;

bool CWizPageSetNewReference::OnSetActive(int) {
  setFocus();
  switch (sheet_.ChosenMode()) {
    case 4:
      ui_->title->setText(QStringLiteral("Enter corrected level reference for \"Depth to water\""));
      break;
    case 5:
      ui_->title->setText(QStringLiteral("Enter corrected level reference for \"Elevation or gauge height/stage\""));
      break;
    default:
      break;
  }
  return true;
}

void CWizPageSetNewReference::customEvent(QEvent* event) {
  if (event->type() == EventType(kLogLoaded)) OnLogLoaded();
}

void CWizPageSetNewReference::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  ShowLogNames(this, nullptr);
  rows_->SetTimes({});
  if (CLevelCorrector* corrector = sheet_.Corrector()) {
    RecordedReference recorded = ReadRecordedReference(*corrector);
    ui_->unit->setText(recorded.unitName);
    ui_->pressureHeadText->setText(recorded.pressureHeadText);
    ui_->value->setText(recorded.valueText);
    ShowLogNames(this, corrector);
    if (!recorded.rowTimes.empty()) {
      const QDateTime first = ToDisplayDateTime(recorded.rowTimes.front());
      const QDateTime last = ToDisplayDateTime(recorded.rowTimes.back());
      ui_->datePicker->setDateRange(first.date(), last.date());
      ui_->datePicker->setDate(first.date());
      ui_->timePicker->setTime(first.time());
    }
    const bool hadRows = !recorded.rowTimes.empty();
    rows_->SetTimes(std::move(recorded.rowTimes));
    QAbstractButton* radio = ui_->atTestDefinition;
    if (recorded.loaded && recorded.mode == 3) {
      ui_->atTestDefinition->setEnabled(false);
      radio = ui_->atDataPoint;
    } else {
      ui_->atTestDefinition->setEnabled(true);
    }
    QTimer::singleShot(0, radio, [radio] { radio->click(); });
    if (hadRows) ui_->dataPoints->setCurrentIndex(rows_->index(0));
  }
  sheet_.EndBusy();
}

void CWizPageSetNewReference::UseTestDefinition(bool atTestDefinition) {
  ui_->pressureHeadText->setEnabled(atTestDefinition);
  for (QWidget* w : {static_cast<QWidget*>(ui_->timeZone), static_cast<QWidget*>(ui_->dateLabel),
                     static_cast<QWidget*>(ui_->timeLabel), static_cast<QWidget*>(ui_->datePicker),
                     static_cast<QWidget*>(ui_->timePicker), static_cast<QWidget*>(ui_->dataPoints)}) {
    w->setEnabled(!atTestDefinition);
  }
}

void CWizPageSetNewReference::OnDataPointChanged() {
  const QModelIndex index = ui_->dataPoints->currentIndex();
  CLevelCorrector* corrector = sheet_.Corrector();
  if (!index.isValid() || corrector == nullptr) return;
  const auto& times = corrector->GetRowTimes();
  if (static_cast<std::size_t>(index.row()) >= times.size()) return;
  const QDateTime at = ToDisplayDateTime(times[static_cast<std::size_t>(index.row())]);
  ui_->datePicker->setDate(at.date());
  ui_->timePicker->setTime(at.time());
}

bool CWizPageSetNewReference::OnKillActive(int direction) {
  if (direction != kIdNext && direction != kIdBack) return true;
  CLevelCorrector* corrector = sheet_.Corrector();
  if (corrector == nullptr) return false;
  if (ui_->atTestDefinition->isChecked()) {
    if (corrector->IsLoaded()) corrector->SetReferenceRowIndex(-1);
  } else {
    const QModelIndex index = ui_->dataPoints->currentIndex();
    if (!index.isValid()) return false;
    if (corrector->IsLoaded()) corrector->SetReferenceRowIndex(index.row());
  }
  const auto value = static_cast<float>(LeadingNumber(ui_->value->text()));
  corrector->SetNewLevelReferenceVal(value);
  if (corrector->GetLevelReferenceMode() == 1) corrector->SetNewLevelOffset(value);
  return true;
}

}  // namespace tvk::wizard
