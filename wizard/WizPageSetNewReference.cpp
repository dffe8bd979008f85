#include "wizard/WizPageSetNewReference.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <optional>

#include "common/Calendar.h"
#include "common/Format.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "controls/Images.h"
#include "correction/CorrectionChoices.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSetNewReference.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

// The log's row times as list lines; a line's text is made only when the view shows it, and the times are
// the corrector's own, shared, so a log of a million rows costs no copy.
class CRowTimesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  using SharedTimes = std::shared_ptr<const std::vector<TMSystem::CTMDeviceTime>>;

  void SetTimes(SharedTimes times) {
    beginResetModel();
    times_ = times ? std::move(times) : std::make_shared<const std::vector<TMSystem::CTMDeviceTime>>();
    display_.emplace(TakeDisplaySnapshot());
    endResetModel();
  }
  const std::vector<TMSystem::CTMDeviceTime>& Times() const { return *times_; }
  const DataPointDisplay& Display() const { return *display_; }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(times_->size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    return ToQString(display_->Text((*times_)[static_cast<std::size_t>(index.row())]));
  }

 private:
  SharedTimes times_ = std::make_shared<const std::vector<TMSystem::CTMDeviceTime>>();
  std::optional<DataPointDisplay> display_;
};

namespace {

// The display's picture as a picker's format, so the pickers read as the list does; empty (the
// picker keeps its own) for a picture with a field a picker cannot show or edit.
QString PickerFormat(const std::string& picture, bool date) {
  QString format = ToQString(picture);
  QString fields = format;
  fields.remove(QRegularExpression(QStringLiteral("'[^']*'|[^A-Za-z]")));
  const QString allowed = date ? QStringLiteral("dMy") : QStringLiteral("hHmst");
  for (const QChar c : fields) {
    if (!allowed.contains(c)) return {};
  }
  // Two-digit years would be typed into the wrong century.
  if (date && !(fields.contains('d') && fields.contains('M') && fields.contains(QStringLiteral("yyyy")))) return {};
  if (!date) {
    // Qt's marker of the half of the day is "AP"; a 12-hour picture without one shows it at the end.
    const bool twelveHour = fields.contains('h') && !fields.contains('H');
    if (format.contains(QStringLiteral("tt"))) {
      format.replace(QStringLiteral("tt"), QStringLiteral("AP"));
    } else if (fields.contains('t')) {
      return {};
    } else if (twelveHour) {
      format += QStringLiteral("AP");
    }
  }
  return format;
}

}  // namespace

CWizPageSetNewReference::CWizPageSetNewReference(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateReference),
      sheet_(sheet),
      ui_(std::make_unique<Ui::WizPageSetNewReference>()),
      rows_(new CRowTimesModel(this)) {
  ui_->setupUi(this);
  NameControlsById(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  rows_->SetTimes(nullptr);
  ui_->dataPoints->setModel(rows_);
  ui_->dataPoints->setUniformItemSizes(true);
  ui_->dataPoints->setSelectionMode(QAbstractItemView::SingleSelection);
  ui_->dataPoints->setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(ui_->atTestDefinition, &QRadioButton::toggled, this, [this](bool on) { UseTestDefinition(on); });
  connect(ui_->dataPoints->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &CWizPageSetNewReference::OnDataPointChanged);
  connect(ui_->datePicker, &QDateEdit::dateChanged, this, &CWizPageSetNewReference::OnPickerChanged);
  connect(ui_->timePicker, &QTimeEdit::timeChanged, this, &CWizPageSetNewReference::OnPickerChanged);
}

CWizPageSetNewReference::~CWizPageSetNewReference() = default;

bool CWizPageSetNewReference::OnSetActive(int) {
  setFocus();
  if (const CCorrectionPass* pass = sheet_.Pass()) ui_->title->setText(ToQString(pass->ReferenceTitle()));
  return true;
}

void CWizPageSetNewReference::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  ShowLogNames(this, nullptr);
  rows_->SetTimes(nullptr);
  const CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  CLevelCorrector& corrector = pass->Corrector();
  ui_->unit->setText(ToQString(GetUnitName(corrector.GetLevelUnitId())));
  ui_->timeZone->setText(ToQString(StrFormat("%s %s", "Time zone:", TimeZoneLabel(CurrentUtcTime()).c_str())));
  ui_->pressureHeadText->setText(ToQString(pass->RecordedReferenceText()));
  ui_->value->setText(ToQString(pass->ReferenceText()));
  ShowLogNames(this, &corrector);

  rows_->SetTimes(corrector.ShareRowTimes());
  const DisplaySnapshot snapshot = TakeDisplaySnapshot();
  const QString dateFormat = PickerFormat(snapshot.datePicture, true);
  const QString timeFormat = PickerFormat(snapshot.timePicture, false);
  ui_->datePicker->setDisplayFormat(dateFormat.isEmpty() ? QLocale().dateFormat(QLocale::ShortFormat) : dateFormat);
  ui_->timePicker->setDisplayFormat(timeFormat.isEmpty() ? QStringLiteral("HH:mm:ss") : timeFormat);
  const auto& times = rows_->Times();
  if (!times.empty()) {
    const DataPointDisplay& display = rows_->Display();
    const SystemTime first = TMSystem::DeviceTimeToSystemTime(display.ReadBack(times.front()));
    const SystemTime last = TMSystem::DeviceTimeToSystemTime(display.ReadBack(times.back()));
    first_ = QDateTime(QDate(first.year, first.month, first.day), QTime(first.hour, first.minute, first.second));
    last_ = QDateTime(QDate(last.year, last.month, last.day), QTime(last.hour, last.minute, last.second));
    const QSignalBlocker blockDate(ui_->datePicker);
    ui_->datePicker->setDateRange(first_.date(), last_.date());
    ShowInPickers(times.front());
  }
  ui_->atDataPoint->setEnabled(pass->CanReferenceAtDataPoint());
  ui_->atTestDefinition->setEnabled(pass->CanReferenceAtTestDefinition());
  const bool atDataPoint = pass->ReferenceAtDataPoint();
  (atDataPoint ? ui_->atDataPoint : ui_->atTestDefinition)->setChecked(true);
  UseTestDefinition(!atDataPoint);
  if (!times.empty()) ui_->dataPoints->setCurrentIndex(rows_->index(std::max(pass->ReferenceRow(), 0)));
}

void CWizPageSetNewReference::UseTestDefinition(bool atTestDefinition) {
  ui_->pressureHeadText->setEnabled(atTestDefinition);
  for (QWidget* w : std::initializer_list<QWidget*>{ui_->timeZone, ui_->dateLabel, ui_->timeLabel, ui_->datePicker,
                                                   ui_->timePicker, ui_->dataPointsLabel, ui_->dataPoints}) {
    w->setEnabled(!atTestDefinition);
  }
}

int CWizPageSetNewReference::SelectedRow() const {
  const QModelIndexList selected = ui_->dataPoints->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.front().row();
}

// The pickers show a row's time as its list line does, and change without searching again.
void CWizPageSetNewReference::ShowInPickers(const TMSystem::CTMDeviceTime& utc) {
  const SystemTime shown = TMSystem::DeviceTimeToSystemTime(rows_->Display().ReadBack(utc));
  const QSignalBlocker blockDate(ui_->datePicker);
  const QSignalBlocker blockTime(ui_->timePicker);
  ui_->datePicker->setDate(QDate(shown.year, shown.month, shown.day));
  LimitTimeToDay();
  ui_->timePicker->setTime(QTime(shown.hour, shown.minute, shown.second));
}

// On the first and last day of the log the time picker keeps within the log's rows.
void CWizPageSetNewReference::LimitTimeToDay() {
  const QDate date = ui_->datePicker->date();
  const QSignalBlocker blockTime(ui_->timePicker);
  ui_->timePicker->setTimeRange(date == first_.date() ? first_.time() : QTime(0, 0),
                                date == last_.date() ? last_.time() : QTime(23, 59, 59, 999));
}

void CWizPageSetNewReference::OnDataPointChanged() {
  if (selectingFromPickers_) return;  // the pickers keep what the user is typing
  const QModelIndex index = ui_->dataPoints->currentIndex();
  const auto& times = rows_->Times();
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= times.size()) return;
  ShowInPickers(times[static_cast<std::size_t>(index.row())]);
}

void CWizPageSetNewReference::OnPickerChanged() {
  LimitTimeToDay();
  const QDate date = ui_->datePicker->date();
  const QTime time = ui_->timePicker->time();
  const TMSystem::CTMDeviceTime target =
      TMSystem::DeviceTimeFromFields(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
  const int line = FindNearestRow(rows_->Times(), target, rows_->Display());
  if (line < 0) return;
  const QModelIndex index = rows_->index(line);
  selectingFromPickers_ = true;
  ui_->dataPoints->setCurrentIndex(index);
  selectingFromPickers_ = false;
  ui_->dataPoints->scrollTo(index, QAbstractItemView::PositionAtTop);
}

bool CWizPageSetNewReference::OnKillActive(int direction) {
  if (direction != kIdNext && direction != kIdBack) return true;
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return false;
  // Going back keeps what the fields hold; only going on needs a reference the pass accepts.
  std::string reason = "Choose the data point of the reference.";
  const int row = ui_->atTestDefinition->isChecked() ? -1 : SelectedRow();
  const bool accepted = (row >= 0 || ui_->atTestDefinition->isChecked()) &&
                        pass->SetReferenceText(row, ui_->value->text().toStdString(), reason);
  if (!accepted && direction == kIdNext) {
    sheet_.ShowRefusal(ToQString(reason));
    return false;
  }
  return true;
}

}  // namespace tvk::wizard
