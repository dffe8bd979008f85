#include "wizard/WizPageSelectMode.h"

#include <QTimer>

#include "controls/Images.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageSelectMode.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

constexpr int kPressureHead = 3;
constexpr int kDepthToWater = 4;
constexpr int kElevation = 5;

// What the log says about its mode, read in one place.
struct RecordedMode {
  bool loaded = false;
  int mode = 0;  // 0 when the log has none
  bool canBecomePressureHead = false;
};

RecordedMode ReadRecordedMode(const CLevelCorrector& corrector) {
  RecordedMode recorded;
  recorded.loaded = corrector.IsLoaded();
  recorded.mode = corrector.GetLevelMeasurementMode();
  // A reference taken at the start of the test cannot be turned back into a pressure head.
  recorded.canBecomePressureHead =
      recorded.loaded && (recorded.mode == kPressureHead || corrector.GetLevelReferenceMode() != 1);
  return recorded;
}

}  // namespace

CWizPageSelectMode::CWizPageSelectMode(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateSelectMode), sheet_(sheet), ui_(std::make_unique<Ui::WizPageSelectMode>()) {
  ui_->setupUi(this);
  connect(ui_->pressureHead, &QRadioButton::clicked, this, [this] { ShowMode(kPressureHead); });
  connect(ui_->depthToWater, &QRadioButton::clicked, this, [this] { ShowMode(kDepthToWater); });
  connect(ui_->elevation, &QRadioButton::clicked, this, [this] { ShowMode(kElevation); });
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ShowBulb(ui_->upperBulb);
  ShowBulb(ui_->lowerBulb);
  HideModeViews();
}

CWizPageSelectMode::~CWizPageSelectMode() = default;

bool CWizPageSelectMode::OnSetActive(int direction) {
  setFocus();
  if (direction == kIdNext) {
    // Every pass starts here: forget the last log and load the next one.
    ui_->modeGroup->setExclusive(false);
    for (QAbstractButton* radio : ui_->modeGroup->buttons()) radio->setChecked(false);
    ui_->modeGroup->setExclusive(true);
    ShowLogNames(this, nullptr);
    HideModeViews();
    sheet_.BeginBusy(4);  // one count for each page that answers the loaded log
    sheet_.StartLoadNextLog();
  }
  return true;
}

bool CWizPageSelectMode::OnKillActive(int direction) {
  if (direction != kIdNext) return true;
  CLevelCorrector* corrector = sheet_.Corrector();
  if (corrector == nullptr) return false;
  int mode = 0;
  if (ui_->pressureHead->isChecked()) {
    mode = kPressureHead;
  } else if (ui_->depthToWater->isChecked()) {
    mode = kDepthToWater;
  } else if (ui_->elevation->isChecked()) {
    mode = kElevation;
  }
  // A log of none of the three modes stays here until the user picks one.
  if (mode == 0) return false;
  sheet_.SetChosenMode(mode);
  corrector->SetNewLevelMeasurementMode(static_cast<std::uint16_t>(mode));
  return true;
}

void CWizPageSelectMode::customEvent(QEvent* event) {
  if (event->type() == EventType(kLogLoaded)) OnLogLoaded();
}

void CWizPageSelectMode::OnLogLoaded() {
  CLevelCorrector* corrector = sheet_.Corrector();
  const RecordedMode recorded = corrector != nullptr ? ReadRecordedMode(*corrector) : RecordedMode{};
  if (corrector != nullptr) ui_->pressureHead->setEnabled(recorded.canBecomePressureHead);
  ShowPassInfo(this, sheet_);
  if (corrector != nullptr) {
    QAbstractButton* radio = nullptr;
    switch (recorded.mode) {
      case kPressureHead:
        radio = ui_->pressureHead;
        break;
      case kDepthToWater:
        radio = ui_->depthToWater;
        break;
      case kElevation:
        radio = ui_->elevation;
        break;
      default:
        break;
    }
    // Posted, so the click's handler runs after this message, as a user's click would.
    if (radio != nullptr) QTimer::singleShot(0, radio, [radio] { radio->click(); });
    ShowLogNames(this, corrector);
  }
  sheet_.EndBusy();
}

void CWizPageSelectMode::HideModeViews() {
  const QList<QWidget*> views = {ui_->upperPicture,        ui_->lowerPicture,        ui_->upperBulb,
                                 ui_->lowerBulb,           ui_->upperText,           ui_->lowerText,
                                 ui_->captionDepth,        ui_->captionDepthWell,    ui_->captionDepthToWater,
                                 ui_->captionDtwWell,      ui_->captionElevation,    ui_->captionElevationWell,
                                 ui_->captionGaugeHeight,  ui_->captionStillingWell, ui_->captionStaffGauge};
  for (QWidget* view : views) view->hide();
}

void CWizPageSelectMode::ShowMode(int mode) {
  sheet_.SetPageSkipped(kTemplateReference, mode == kPressureHead);
  HideModeViews();
  auto showPicture = [](CImageExt* picture, int image) {
    picture->SetBitmap(image);
    picture->show();
  };
  switch (mode) {
    case kPressureHead:
      showPicture(ui_->upperPicture, ImageId::ModeDepth);
      ui_->captionDepth->show();
      ui_->captionDepthWell->show();
      ui_->upperText->setText(QStringLiteral("Use to measure amount of head or water height over sensor."));
      break;
    case kDepthToWater:
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
