#pragma once
// The corrected level reference and where it applies: at the reference point set when the test was
// defined, or at one data point of the log chosen by its date and time.

#include <QDateTime>
#include <memory>
#include <vector>

#include "common/DeviceTime.h"
#include "wizard/DlgWizardPage.h"

namespace Ui {
class WizPageSetNewReference;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;
class CRowTimesModel;

class CWizPageSetNewReference : public CDlgWizardPage {
  Q_OBJECT

 public:
  enum ControlId {
    kIdAtTestDefinition = 1001,
    kIdAtDataPoint = 1002,
    kIdDatePicker = 1003,
    kIdTimePicker = 1004,
    kIdValue = 1030,
    kIdDataPoints = 1032,
    kIdUnit = 1033,
    kIdDateLabel = 1034,
    kIdTimeLabel = 1035,
    kIdValueLabel = 1036,
    kIdPressureHeadText = 1040,
    kIdTimeZone = 1061,
    kIdTitle = 1062,
    kIdReadingsLabel = 1080,
    kIdReadings = 1081,
    kIdAddReading = 1082,
    kIdRemoveReading = 1083,
  };

  explicit CWizPageSetNewReference(CWizSheetPostCorrect& sheet);
  ~CWizPageSetNewReference() override;

  bool OnSetActive(int direction) override;
  bool OnKillActive(int direction) override;
  void OnLogLoaded() override;

  // The selected list line, which is the index of its data row; -1 when none is.
  int SelectedRow() const;

 private:
  void UseTestDefinition(bool atTestDefinition);
  void OnDataPointChanged();
  void OnPickerChanged();
  void ShowInPickers(const TMSystem::CTMDeviceTime& utc);
  void LimitTimeToDay();
  void ShowReadings();
  void AddReading();
  void RemoveReading();
  void UpdateReadingButtons();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageSetNewReference> ui_;
  CRowTimesModel* rows_;
  bool selectingFromPickers_ = false;
  QDateTime first_, last_;  // the first and last rows as the pickers show them
};

}  // namespace tvk::wizard
