#pragma once
// The specific gravity the level is re-computed with: fresh, brackish or sea water, or a custom value.
// A log recorded with a dynamic density keeps its own.

#include <memory>

#include "wizard/DlgWizardPage.h"

namespace Ui {
class WizPageSpecificGravity;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;

class CWizPageSpecificGravity : public CDlgWizardPage {
  Q_OBJECT

 public:
  enum ControlId {
    kIdSeaWater = 1006,
    kIdCustom = 1007,
    kIdValue = 1008,
    kIdFreshWater = 1009,
    kIdBrackishWater = 1010,
    kIdValueLabel = 1011,
    kIdTitle = 1062,
  };

  explicit CWizPageSpecificGravity(CWizSheetPostCorrect& sheet);
  ~CWizPageSpecificGravity() override;

  bool OnSetActive(int direction) override;
  bool OnKillActive(int direction) override;

 protected:
  void customEvent(QEvent* event) override;

 private:
  void OnLogLoaded();
  void UsePreset(float value);
  void UseCustom();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageSpecificGravity> ui_;
};

}  // namespace tvk::wizard
