#include "wizard/WizPageSpecificGravity.h"

#include <QSignalBlocker>

#include "controls/Images.h"
#include "correction/CorrectionPass.h"
#include "ui_WizPageSpecificGravity.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {
constexpr SpecificGravityPreset kPresets[] = {SpecificGravityPreset::Fresh, SpecificGravityPreset::Brackish,
                                              SpecificGravityPreset::Sea, SpecificGravityPreset::Custom};
}

CWizPageSpecificGravity::CWizPageSpecificGravity(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateSpecificGravity), sheet_(sheet), ui_(std::make_unique<Ui::WizPageSpecificGravity>()) {
  ui_->setupUi(this);
  NameControlsById(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  for (const SpecificGravityPreset preset : kPresets) {
    connect(Radio(preset), &QAbstractButton::toggled, this, [this, preset](bool checked) {
      if (checked) OnPresetChecked(preset);
    });
  }
}

CWizPageSpecificGravity::~CWizPageSpecificGravity() = default;

QAbstractButton* CWizPageSpecificGravity::Radio(SpecificGravityPreset preset) const {
  switch (preset) {
    case SpecificGravityPreset::Fresh: return ui_->freshWater;
    case SpecificGravityPreset::Brackish: return ui_->brackishWater;
    case SpecificGravityPreset::Sea: return ui_->seaWater;
    case SpecificGravityPreset::Custom: break;
  }
  return ui_->custom;
}

bool CWizPageSpecificGravity::OnSetActive(int) {
  setFocus();
  ShowLogNames(this, sheet_.Corrector());
  return true;
}

void CWizPageSpecificGravity::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  const CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  const bool dynamic = pass->UsesDynamicDensity();
  ui_->valueLabel->setText(dynamic ? QStringLiteral("Specific Gravity (Determined by dynamic density)")
                                   : QStringLiteral("Specific gravity"));
  for (QAbstractButton* radio : ui_->gravityGroup->buttons()) radio->setEnabled(!dynamic);
  ui_->value->setText(ToQString(pass->GravityText()));
  QAbstractButton* radio = Radio(pass->GravityPreset());
  {
    const QSignalBlocker block(radio);
    radio->setChecked(true);
  }
  OnPresetChecked(pass->GravityPreset());
  ui_->value->setEnabled(!dynamic && pass->GravityPreset() == SpecificGravityPreset::Custom);
}

void CWizPageSpecificGravity::OnPresetChecked(SpecificGravityPreset preset) {
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  const bool custom = preset == SpecificGravityPreset::Custom;
  if (!custom) {
    pass->ChooseGravityPreset(preset);
    ui_->value->setText(ToQString(pass->GravityText()));
  }
  ui_->value->setEnabled(custom);
  ui_->value->setReadOnly(!custom);
}

bool CWizPageSpecificGravity::OnKillActive(int direction) {
  if (direction != kIdNext && direction != kIdBack) return true;
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return false;
  if (pass->UsesDynamicDensity() || !ui_->custom->isChecked()) return true;
  // Going back keeps what the field holds; only going on needs a value the pass accepts.
  std::string reason;
  if (!pass->SetCustomGravityText(ui_->value->text().toStdString(), reason) && direction == kIdNext) {
    sheet_.ShowRefusal(ToQString(reason));
    return false;
  }
  return true;
}

}  // namespace tvk::wizard
