#pragma once
// First page of every log's pass: loads the next log, shows its site and name, preselects its recorded
// level measurement mode and lets the user pick the new one.

#include <memory>

#include "wizard/DlgWizardPage.h"

namespace Ui {
class WizPageSelectMode;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;

class CWizPageSelectMode : public CDlgWizardPage {
  Q_OBJECT

 public:
  enum ControlId {
    kIdDepthToWater = 1001,
    kIdElevation = 1002,
    kIdPressureHead = 1003,
    kIdUpperPicture = 1043,
    kIdLowerPicture = 1044,
    kIdUpperBulb = 1045,
    kIdLowerBulb = 1046,
    kIdLowerText = 1047,
    kIdUpperText = 1048,
    kIdTitle = 1062,
  };

  explicit CWizPageSelectMode(CWizSheetPostCorrect& sheet);
  ~CWizPageSelectMode() override;

  bool OnSetActive(int direction) override;
  bool OnKillActive(int direction) override;

 protected:
  void customEvent(QEvent* event) override;

 private:
  void OnLogLoaded();
  // Shows the pictures and texts of `mode` (3, 4 or 5) and whether the reference page takes part.
  void ShowMode(int mode);
  void HideModeViews();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageSelectMode> ui_;
};

}  // namespace tvk::wizard
