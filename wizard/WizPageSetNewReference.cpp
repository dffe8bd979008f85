#include "wizard/WizPageSetNewReference.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QRegularExpression>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QTableWidget>
#include <optional>

#include "common/Calendar.h"
#include "common/Format.h"
#include "common/LocalTime.h"
#include "common/StringTable.h"
#include "controls/Images.h"
#include "correction/CorrectionChoices.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelConversion.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSetNewReference.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

// The log's row times as list lines, each with the level the log recorded there; a line's text is made
// only when the view shows it, and times and levels are shared, so a log of a million rows costs no copy.
class CRowTimesModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  using SharedTimes = std::shared_ptr<const std::vector<TMSystem::CTMDeviceTime>>;
  using SharedLevels = std::shared_ptr<const std::vector<TMSystem::CTMDataValue>>;

  void SetTimes(SharedTimes times, SharedLevels levels = nullptr, const std::string& unit = {}) {
    beginResetModel();
    times_ = times ? std::move(times) : std::make_shared<const std::vector<TMSystem::CTMDeviceTime>>();
    levels_ = std::move(levels);
    unit_ = unit;
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
    const auto row = static_cast<std::size_t>(index.row());
    std::string text = display_->Text((*times_)[row]);
    if (levels_ != nullptr && row < levels_->size()) {
      const TMSystem::CTMDataValue& level = (*levels_)[row];
      text += IsUnconvertedStatus(level.status) ? "  no level"
                                                : StrFormat("  %g %s", static_cast<double>(level.value), unit_.c_str());
    }
    return ToQString(text);
  }

 private:
  SharedTimes times_ = std::make_shared<const std::vector<TMSystem::CTMDeviceTime>>();
  SharedLevels levels_;
  std::string unit_;
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

  ui_->readings->setColumnCount(2);
  ui_->readings->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Level")});
  ui_->readings->horizontalHeader()->setStretchLastSection(true);
  ui_->readings->verticalHeader()->hide();
  ui_->readings->verticalHeader()->setDefaultSectionSize(ui_->readings->fontMetrics().height() + 4);
  ui_->readings->setSelectionBehavior(QAbstractItemView::SelectRows);
  ui_->readings->setSelectionMode(QAbstractItemView::SingleSelection);
  ui_->readings->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ui_->readings->setTabKeyNavigation(false);
  connect(ui_->addReading, &QPushButton::clicked, this, &CWizPageSetNewReference::AddReading);
  connect(ui_->removeReading, &QPushButton::clicked, this, &CWizPageSetNewReference::RemoveReading);
  connect(ui_->readings, &QTableWidget::itemSelectionChanged, this, [this] { UpdateReadingButtons(); });
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

  rows_->SetTimes(corrector.ShareRowTimes(), pass->RecordedLevels(), pass->LevelUnitAbbreviation());
  ShowReadings();
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
                                                   ui_->timePicker, ui_->dataPointsLabel, ui_->dataPoints,
                                                   ui_->readingsLabel, ui_->readings}) {
    w->setEnabled(!atTestDefinition);
  }
  UpdateReadingButtons();
}

void CWizPageSetNewReference::UpdateReadingButtons() {
  const bool atDataPoint = !ui_->atTestDefinition->isChecked();
  ui_->addReading->setEnabled(atDataPoint);
  ui_->removeReading->setEnabled(atDataPoint && !ui_->readings->selectedItems().isEmpty());
}

// The pass's readings in time order, each at its row's time as the data-point list shows it.
void CWizPageSetNewReference::ShowReadings() {
  const CCorrectionPass* pass = sheet_.Pass();
  const std::vector<PlacedReading> none;
  const std::vector<PlacedReading>& readings = pass != nullptr ? pass->Readings() : none;
  const std::string unit = pass != nullptr ? pass->LevelUnitAbbreviation() : std::string();
  ui_->readings->setRowCount(static_cast<int>(readings.size()));
  const auto& times = rows_->Times();
  for (std::size_t i = 0; i < readings.size(); ++i) {
    const auto row = static_cast<std::size_t>(readings[i].row);
    const QString time = row < times.size() ? ToQString(rows_->Display().Text(times[row])) : QString();
    const QString level = ToQString(StrFormat("%g %s", static_cast<double>(readings[i].manual), unit.c_str()));
    ui_->readings->setItem(static_cast<int>(i), 0, new QTableWidgetItem(time));
    ui_->readings->setItem(static_cast<int>(i), 1, new QTableWidgetItem(level));
  }
  ui_->readings->resizeColumnToContents(0);
  UpdateReadingButtons();
}

void CWizPageSetNewReference::AddReading() {
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  std::string reason;
  if (!pass->AddReading(SelectedRow(), ui_->value->text().toStdString(), reason)) {
    sheet_.ShowRefusal(ToQString(reason));
    return;
  }
  sheet_.ShowRefusal({});
  ShowReadings();
}

void CWizPageSetNewReference::RemoveReading() {
  CCorrectionPass* pass = sheet_.Pass();
  const QList<QTableWidgetItem*> selected = ui_->readings->selectedItems();
  if (pass == nullptr || selected.isEmpty()) return;
  pass->RemoveReading(static_cast<std::size_t>(selected.front()->row()));
  ShowReadings();
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
  // Readings carry their own reference, the first of them.
  if (!ui_->atTestDefinition->isChecked() && !pass->Readings().empty()) return true;
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
