#include "wizard/WizPageProcessingFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <filesystem>
#include <system_error>

#include "common/ErrorLog.h"
#include "controls/Images.h"
#include "common/TextUtil.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "ui_WizPageProcessingFile.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

// Posted by the correction thread when it ends, so the page need not wait for the next tick.
constexpr int kCorrectionEnded = 872;

// The correction of one log: Correct, then SaveCorrected into `folder`. Empty when both succeeded,
// else what went wrong.
std::string RunCorrection(CLevelCorrector& corrector, const std::string& folder) {
  std::error_code folderError;
  if (!folder.empty()) std::filesystem::create_directories(folder, folderError);
  if (corrector.Correct() != 1) return corrector.GetErrorText();
  if (corrector.SaveCorrected(folder) == 1) return {};
  std::string reason = corrector.GetErrorText();
  if (folderError) reason = folderError.message();
  return "The corrected file could not be written: " + reason;
}

}  // namespace

CWizPageProcessingFile::CWizPageProcessingFile(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateProcessing), sheet_(sheet), ui_(std::make_unique<Ui::WizPageProcessingFile>()) {
  ui_->setupUi(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ShowBulb(ui_->bulb);
  ui_->failure->hide();
  ui_->bulb->hide();
  ui_->hint->hide();
  progressTimer_.setSingleShot(true);
  connect(&progressTimer_, &QTimer::timeout, this, &CWizPageProcessingFile::OnProgressTimer);
}

CWizPageProcessingFile::~CWizPageProcessingFile() { WaitForCorrection(); }

void CWizPageProcessingFile::customEvent(QEvent* event) {
  if (event->type() == EventType(kLogLoaded)) {
    OnLogLoaded();
  } else if (event->type() == EventType(kCorrectionEnded) && worker_.joinable()) {
    progressTimer_.stop();
    OnProgressTimer();
  }
}

void CWizPageProcessingFile::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  if (CLevelCorrector* corrector = sheet_.Corrector()) logFolder_ = GetFolderPart(corrector->GetPath());
  sheet_.EndBusy();
}

bool CWizPageProcessingFile::OnSetActive(int) {
  setFocus();
  ShowLogNames(this, nullptr);
  ui_->status->setText(QStringLiteral("Creating post corrected file."));
  ui_->summary->setEnabled(false);
  ui_->bulb->hide();
  ui_->hint->hide();
  ui_->failure->clear();
  ui_->failure->hide();
  ui_->progress->setValue(0);
  CLevelCorrector* corrector = sheet_.Corrector();
  if (corrector != nullptr && !worker_.joinable()) {
    ShowLogNames(this, corrector);
    finished_ = false;
    failure_.clear();
    const std::string folder = CombinePath(logFolder_, kCorrectedFolderName);
    try {
      worker_ = std::thread([this, folder] { CorrectLog(folder); });
    } catch (const std::system_error&) {
      return true;  // nothing runs; the buttons stay as the frame set them
    }
    for (int id : {kIdBack, kIdOk, kIdCancel}) sheet_.Button(id)->setEnabled(false);
    progressTimer_.start(0);
  }
  return true;
}

void CWizPageProcessingFile::CorrectLog(const std::string& folder) {
  CLevelCorrector& corrector = *sheet_.Corrector();
  failure_ = RunCorrection(corrector, folder);
  if (!failure_.empty()) WriteErrorLog("Post-correction of " + corrector.GetPath() + " failed: " + failure_);
  finished_ = true;
  QCoreApplication::postEvent(this, new CWizardEvent(kCorrectionEnded));
}

void CWizPageProcessingFile::OnProgressTimer() {
  progressTimer_.stop();
  CLevelCorrector* corrector = sheet_.Corrector();
  if (corrector != nullptr) ui_->progress->setValue(corrector->GetProgress());
  if (!worker_.joinable()) return;
  // The thread says when it ends; the timer only refreshes the bar meanwhile.
  if (!finished_) {
    progressTimer_.start(500);
    return;
  }
  worker_.join();
  if (corrector != nullptr) ui_->progress->setValue(100);
  ShowDone();
}

void CWizPageProcessingFile::ShowDone() {
  ui_->status->setText(QStringLiteral("Post correction complete."));
  ui_->bulb->show();
  ui_->hint->setText(sheet_.FileList().empty() ? QStringLiteral("Click on the check box to end.")
                                                : QStringLiteral("Click on the check box to continue."));
  ui_->hint->show();
  ui_->summary->setEnabled(true);
  if (!failure_.empty()) {
    ui_->failure->setText(ToQString(failure_));
    ui_->failure->show();
  }
  sheet_.Button(kIdOk)->setEnabled(true);
  sheet_.Button(kIdCancel)->setEnabled(true);
}

void CWizPageProcessingFile::WaitForCorrection() {
  progressTimer_.stop();
  if (!worker_.joinable()) return;
  const bool showWait = QApplication::instance() != nullptr && !finished_;
  if (showWait) QApplication::setOverrideCursor(Qt::WaitCursor);
  worker_.join();
  if (showWait) QApplication::restoreOverrideCursor();
}

}  // namespace tvk::wizard
