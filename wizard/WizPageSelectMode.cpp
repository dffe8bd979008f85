#include "wizard/WizPageSelectMode.h"

#include <QSignalBlocker>

#include "controls/Images.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSelectMode.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

CWizPageSelectMode::CWizPageSelectMode(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateSelectMode), sheet_(sheet), ui_(std::make_unique<Ui::WizPageSelectMode>()) {
  ui_->setupUi(this);
  for (const std::uint16_t mode : {kModeDepth, kModeDepthToWater, kModeSurfaceElevation}) {
    connect(Radio(mode), &QAbstractButton::toggled, this, [this, mode](bool checked) {
      if (checked) OnModeChecked(mode);
    });
  }
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ShowBulb(ui_->upperBulb);
  ShowBulb(ui_->lowerBulb);
  HideModeViews();
}

CWizPageSelectMode::~CWizPageSelectMode() = default;

QAbstractButton* CWizPageSelectMode::Radio(std::uint16_t mode) const {
  switch (mode) {
    case kModeDepth: return ui_->pressureHead;
    case kModeDepthToWater: return ui_->depthToWater;
    case kModeSurfaceElevation: return ui_->elevation;
    default: return nullptr;
  }
}

void CWizPageSelectMode::ClearChoice() {
  const QSignalBlocker block(ui_->modeGroup);
  ui_->modeGroup->setExclusive(false);
  for (QAbstractButton* radio : ui_->modeGroup->buttons()) {
    const QSignalBlocker blockRadio(radio);
    radio->setChecked(false);
  }
  ui_->modeGroup->setExclusive(true);
  HideModeViews();
}

bool CWizPageSelectMode::OnSetActive(int direction) {
  setFocus();
  if (direction == kIdNext) {
    // Every pass starts here: forget the last log and load the next one.
    ClearChoice();
    ShowLogNames(this, nullptr);
    sheet_.StartLoadNextLog();
  }
  return true;
}

bool CWizPageSelectMode::OnKillActive(int direction) {
  if (direction != kIdNext) return true;
  CCorrectionPass* pass = sheet_.Pass();
  std::string reason = "The log could not be loaded.";
  if (pass == nullptr || !pass->CanLeaveMode(reason)) {
    sheet_.ShowRefusal(ToQString(reason));
    return false;
  }
  return true;
}

void CWizPageSelectMode::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  for (const std::uint16_t mode : {kModeDepth, kModeDepthToWater, kModeSurfaceElevation}) {
    Radio(mode)->setEnabled(pass->IsModeOffered(mode));
  }
  ShowLogNames(this, &pass->Corrector());
  if (QAbstractButton* radio = Radio(pass->Mode())) {
    {
      const QSignalBlocker block(radio);
      radio->setChecked(true);
    }
    OnModeChecked(pass->Mode());
  } else {
    ClearChoice();
  }
}

void CWizPageSelectMode::OnModeChecked(std::uint16_t mode) {
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return;
  std::string reason;
  if (!pass->ChooseMode(mode, reason)) {
    sheet_.ShowRefusal(ToQString(reason));
    return;
  }
  sheet_.ShowRefusal({});
  sheet_.SetPageSkipped(kTemplateReference, !pass->NeedsReference());
  ShowMode(mode);
}

void CWizPageSelectMode::HideModeViews() {
  const QList<QWidget*> views = {ui_->upperPicture,        ui_->lowerPicture,        ui_->upperBulb,
                                 ui_->lowerBulb,           ui_->upperText,           ui_->lowerText,
                                 ui_->captionDepth,        ui_->captionDepthWell,    ui_->captionDepthToWater,
                                 ui_->captionDtwWell,      ui_->captionElevation,    ui_->captionElevationWell,
                                 ui_->captionGaugeHeight,  ui_->captionStillingWell, ui_->captionStaffGauge};
  for (QWidget* view : views) view->hide();
}

void CWizPageSelectMode::ShowMode(std::uint16_t mode) {
  HideModeViews();
  auto showPicture = [](CImageExt* picture, int image) {
    picture->SetBitmap(image);
    picture->show();
  };
  switch (mode) {
    case kModeDepth:
      showPicture(ui_->upperPicture, ImageId::ModeDepth);
      ui_->captionDepth->show();
      ui_->captionDepthWell->show();
      ui_->upperText->setText(QStringLiteral("Use to measure amount of head or water height over sensor."));
      break;
    case kModeDepthToWater:
      showPicture(ui_->upperPicture, ImageId::ModeDepthToWater);
      ui_->captionDepthToWater->show();
      ui_->captionDtwWell->show();
      ui_->upperText->setText(
          QStringLiteral("Use to measure the distance from a reference such as the top of casing down to the water. "
                         "Commonly used for pump tests."));
      break;
    default:
      showPicture(ui_->upperPicture, ImageId::ModeElevation);
      showPicture(ui_->lowerPicture, ImageId::ModeGaugeHeight);
      ui_->captionElevation->show();
      ui_->captionElevationWell->show();
      ui_->captionGaugeHeight->show();
      ui_->captionStillingWell->show();
      ui_->captionStaffGauge->show();
      ui_->upperText->setText(
          QStringLiteral("Use to measure water level changes relative to a known datum such as Mean Sea Level (MSL). "
                         "Commonly used for long-term monitoring and slug tests."));
      ui_->lowerText->setText(QStringLiteral(
          "Use to measure the stage or gauge height as read from a staff gauge. Commonly used for river gauging."));
      ui_->lowerBulb->show();
      ui_->lowerText->show();
      break;
  }
  ui_->upperBulb->show();
  ui_->upperText->show();
}

}  // namespace tvk::wizard
