#pragma once
// The specific gravity the level is re-computed with: fresh, brackish or sea water, or a custom value.
// A log recorded with a dynamic density keeps its own.

#include <memory>

#include "correction/CorrectionChoices.h"
#include "wizard/DlgWizardPage.h"

class QAbstractButton;

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
  void OnLogLoaded() override;

 private:
  // However a radio got checked (click, key, accessibility action, setChecked), the pass follows.
  void OnPresetChecked(SpecificGravityPreset preset);
  QAbstractButton* Radio(SpecificGravityPreset preset) const;

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageSpecificGravity> ui_;
};

}  // namespace tvk::wizard
