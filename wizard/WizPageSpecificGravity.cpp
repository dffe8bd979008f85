#include "wizard/WizPageSpecificGravity.h"

#include <QTimer>

#include "common/Format.h"
#include "controls/Images.h"
#include "correction/CorrectionChoices.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSpecificGravity.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

QString GravityText(float value) { return ToQString(StrFormat("%1.6f", static_cast<double>(value))); }

// Shown as determined by dynamic density: a positive factor, or automatic density correction. Storing
// (ShouldStoreSpecificGravity) also refuses a negative factor, which the page still offers.
bool UsesDynamicDensity(const CLevelCorrector& corrector) {
  return corrector.GetDynamicSpecificGravityFactor() > 0.0f ||
         (corrector.IsLoaded() && corrector.GetAutomaticDensityCorrection() != 0);
}

}  // namespace

CWizPageSpecificGravity::CWizPageSpecificGravity(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateSpecificGravity), sheet_(sheet), ui_(std::make_unique<Ui::WizPageSpecificGravity>()) {
  ui_->setupUi(this);
  NameControlsById(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  connect(ui_->freshWater, &QRadioButton::clicked, this, [this] { UsePreset(kFreshWaterSpecificGravity); });
  connect(ui_->brackishWater, &QRadioButton::clicked, this, [this] { UsePreset(kBrackishWaterSpecificGravity); });
  connect(ui_->seaWater, &QRadioButton::clicked, this, [this] { UsePreset(kSeaWaterSpecificGravity); });
  connect(ui_->custom, &QRadioButton::clicked, this, &CWizPageSpecificGravity::UseCustom);
}

CWizPageSpecificGravity::~CWizPageSpecificGravity() = default;

bool CWizPageSpecificGravity::OnSetActive(int) {
  setFocus();
  ShowLogNames(this, sheet_.Corrector());
  return true;
}

void CWizPageSpecificGravity::customEvent(QEvent* event) {
  if (event->type() == EventType(kLogLoaded)) OnLogLoaded();
}

void CWizPageSpecificGravity::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  if (CLevelCorrector* corrector = sheet_.Corrector()) {
    const bool dynamic = UsesDynamicDensity(*corrector);
    const float recorded = corrector->GetSpecificGravity();
    const QList<QAbstractButton*> radios = ui_->gravityGroup->buttons();
    if (dynamic) {
      ui_->valueLabel->setText(QStringLiteral("Specific Gravity (Determined by dynamic density)"));
      for (QAbstractButton* radio : radios) radio->setEnabled(false);
      ui_->value->setEnabled(false);
      ui_->value->setReadOnly(true);
    } else {
      ui_->valueLabel->setText(QStringLiteral("Specific gravity"));
      for (QAbstractButton* radio : radios) radio->setEnabled(true);
      ui_->value->setEnabled(ui_->custom->isChecked());
      ui_->value->setReadOnly(!ui_->custom->isChecked());
      QAbstractButton* radio = ui_->custom;
      switch (PresetOf(recorded)) {
        case SpecificGravityPreset::Fresh: radio = ui_->freshWater; break;
        case SpecificGravityPreset::Brackish: radio = ui_->brackishWater; break;
        case SpecificGravityPreset::Sea: radio = ui_->seaWater; break;
        case SpecificGravityPreset::Custom: ui_->value->setText(GravityText(recorded)); break;
      }
      QTimer::singleShot(0, radio, [radio] { radio->click(); });
    }
  }
  sheet_.EndBusy();
}

void CWizPageSpecificGravity::UsePreset(float value) {
  ui_->value->setText(GravityText(value));
  ui_->value->setEnabled(false);
  ui_->value->setReadOnly(true);
}

void CWizPageSpecificGravity::UseCustom() {
  ui_->value->setEnabled(true);
  ui_->value->setReadOnly(false);
}

bool CWizPageSpecificGravity::OnKillActive(int direction) {
  if (direction != kIdNext && direction != kIdBack) return true;
  CLevelCorrector* corrector = sheet_.Corrector();
  if (corrector == nullptr) return false;
  std::string error;
  ApplySpecificGravity(*corrector, static_cast<float>(LeadingNumber(ui_->value->text())), error);
  return true;
}

}  // namespace tvk::wizard
