#include "wizard/WizPageProcessingFile.h"

#include <QAbstractButton>

#include "common/ErrorLog.h"
#include "common/TextUtil.h"
#include "controls/Images.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "correction/OutputNaming.h"
#include "ui_WizPageProcessingFile.h"
#include "wizard/DlgSummary.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

// The correction of one log: Correct, then SaveCorrected into `folder`. Empty when both succeeded,
// else what went wrong.
std::string RunCorrection(CLevelCorrector& corrector, const std::string& folder) {
  const COutputFolder output(folder);  // removed again when this correction writes nothing into it
  if (!output.Error().empty()) return "The folder " + folder + " could not be created: " + output.Error();
  if (corrector.Correct() != 1) return corrector.GetErrorText();
  if (corrector.SaveCorrected(folder) == 1) return {};
  return "The corrected file could not be written: " + corrector.GetErrorText();
}

}  // namespace

CWizPageProcessingFile::CWizPageProcessingFile(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateProcessing), sheet_(sheet), ui_(std::make_unique<Ui::WizPageProcessingFile>()) {
  ui_->setupUi(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ShowBulb(ui_->bulb);
  ui_->failure->hide();
  ui_->output->hide();
  ui_->bulb->hide();
  ui_->hint->hide();
  progressTimer_.setInterval(500);
  connect(&progressTimer_, &QTimer::timeout, this, &CWizPageProcessingFile::OnProgressTimer);
  connect(&correction_, &QFutureWatcher<void>::finished, this, &CWizPageProcessingFile::OnCorrectionEnded);
  connect(ui_->summary, &QPushButton::clicked, this, [this] {
    if (corrector_ == nullptr) return;
    ShowCorrectionSummary(ToQString(logFolder_), ToQString(corrector_->GetOutputName()),
                          ToQString(corrector_->GetPath()), this);
  });
}

// A correction still running keeps its corrector alive by itself and was asked to stop by the sheet.
CWizPageProcessingFile::~CWizPageProcessingFile() = default;

void CWizPageProcessingFile::OnLogLoaded() {
  ShowPassInfo(this, sheet_);
  if (CLevelCorrector* corrector = sheet_.Corrector()) logFolder_ = GetFolderPart(corrector->GetPath());
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
  ui_->output->clear();
  ui_->output->hide();
  ui_->progress->setValue(0);
  state_ = State::Idle;
  CCorrectionPass* pass = sheet_.Pass();
  if (pass == nullptr) return true;
  corrector_ = pass->SharedCorrector();
  ShowLogNames(this, corrector_.get());
  std::string reason;
  if (pass->Apply(reason) != 1) {
    state_ = State::Done;
    ShowOutcome(reason.empty() ? corrector_->GetErrorText() : reason);
    return true;
  }
  state_ = State::Correcting;
  const std::string folder = DefaultOutputFolder(corrector_->GetPath());
  correction_.setFuture(outcome_.Run(&WorkerPool(), [corrector = corrector_, folder]() -> std::string {
    try {
      std::string failure = RunCorrection(*corrector, folder);
      if (!failure.empty()) WriteErrorLog("Post-correction of " + corrector->GetPath() + " failed: " + failure);
      return failure;
    } catch (const std::exception& e) {
      return e.what();
    }
  }));
  progressTimer_.start();
  sheet_.UpdateButtons();
  return true;
}

void CWizPageProcessingFile::AdjustButtons(CTMDlgWizardFrame& frame) {
  // The pass cannot go back once its correction has begun; OK and Cancel wait for its end.
  if (state_ == State::Idle) return;
  frame.Button(kIdBack)->setEnabled(false);
  frame.Button(kIdOk)->setEnabled(state_ == State::Done);
  frame.Button(kIdCancel)->setEnabled(state_ == State::Done);
}

void CWizPageProcessingFile::OnProgressTimer() {
  if (corrector_ != nullptr) ui_->progress->setValue(corrector_->GetProgress());
}

void CWizPageProcessingFile::StopCorrection() {
  if (state_ != State::Correcting) return;
  corrector_->RequestStop();
  ui_->status->setText(QStringLiteral("Stopping the correction..."));
}

void CWizPageProcessingFile::OnCorrectionEnded() {
  progressTimer_.stop();
  const std::string failure = outcome_.Take().value_or("The correction ended unexpectedly.");
  state_ = State::Done;
  if (failure.empty()) ui_->progress->setValue(100);
  ShowOutcome(failure);
  emit correctionEnded();
}

void CWizPageProcessingFile::ShowOutcome(const std::string& failure) {
  const bool done = failure.empty();
  ui_->status->setText(done ? QStringLiteral("Post correction complete.") : QStringLiteral("Post correction failed."));
  if (done) {
    // Named, so the user can find it; the folder is the hover text.
    const std::string folder = DefaultOutputFolder(corrector_->GetPath());
    ui_->output->setText(QStringLiteral("Saved as: ") + ToQString(corrector_->GetOutputName()));
    ui_->output->setToolTip(ToQString(folder));
    ui_->output->show();
  } else {
    ui_->failure->setText(ToQString(failure));
    ui_->failure->show();
  }
  ui_->bulb->show();
  ui_->hint->setText(sheet_.FileList().empty() ? QStringLiteral("Click on the check box to end.")
                                                : QStringLiteral("Click on the check box to continue."));
  ui_->hint->show();
  ui_->summary->setEnabled(done);
  sheet_.UpdateButtons();
}

}  // namespace tvk::wizard
