#include "wizard/PageCommon.h"

#include <QGroupBox>
#include <QLabel>

#include "controls/ControlId.h"
#include "controls/ImageExt.h"
#include "controls/Images.h"
#include "controls/Label.h"
#include "controls/TMDialog.h"
#include "correction/LevelCorrector.h"
#include "wizard/DlgWizardPage.h"
#include "wizard/WizSheetPostCorrect.h"

namespace tvk::wizard {

QString ToQString(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

void NameControlsById(QWidget* page) {
  for (QWidget* child : page->findChildren<QWidget*>()) {
    if (const int id = ControlId(*child); id >= 0) SetControlId(*child, id);
  }
}

void UsePageBackground(QWidget* page, int imageId) {
  if (auto* dialog = qobject_cast<CTMDialog*>(page)) dialog->SetBackgroundBitmap(imageId);
  for (CLabel* label : page->findChildren<CLabel*>()) label->SetTransparent(true);
}

void ShowBulb(CImageExt* bulb) {
  bulb->SetTransparentColor(QColor(0, 255, 0));
  bulb->SetBitmap(ImageId::LightBulb);
}

LogNames ReadLogNames(CLevelCorrector& corrector) {
  std::string site;
  std::string guid;
  if (Failed(corrector.GetLogFile().GetSiteInfo(site, guid))) site.clear();
  return {ToQString(site), ToQString(corrector.GetLogFile().GetLogName())};
}

void ShowPassInfo(QWidget* page, const CWizSheetPostCorrect& sheet) {
  if (auto* box = Control<QGroupBox>(page, kIdPassBox)) box->setTitle(sheet.PassCaption());
  if (auto* name = Control<CLabel>(page, kIdLogName)) {
    // The hover text breaks lines at line feeds only.
    QString tip = ToQString(sheet.FileInfoText());
    tip.remove(QLatin1Char('\r'));
    name->SetToolTipText(tip);
  }
}

void ShowLogNames(QWidget* page, CLevelCorrector* corrector) {
  const LogNames names = corrector != nullptr ? ReadLogNames(*corrector) : LogNames{};
  if (auto* site = Control<QLabel>(page, kIdSiteName)) site->setText(names.site);
  if (auto* log = Control<QLabel>(page, kIdLogName)) log->setText(names.log);
}

}  // namespace tvk::wizard
