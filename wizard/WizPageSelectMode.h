#pragma once
// First page of every log's pass: loads the next log, shows its site and name, preselects its recorded
// level measurement mode and lets the user pick the new one.

#include <cstdint>
#include <memory>

#include "wizard/DlgWizardPage.h"

class QAbstractButton;

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
  void OnLogLoaded() override;

 private:
  // However a radio got checked (click, key, accessibility action, setChecked), the pass follows.
  void OnModeChecked(std::uint16_t mode);
  QAbstractButton* Radio(std::uint16_t mode) const;
  // Shows the pictures and texts of `mode` (3, 4 or 5).
  void ShowMode(std::uint16_t mode);
  void HideModeViews();
  void ClearChoice();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageSelectMode> ui_;
};

}  // namespace tvk::wizard
