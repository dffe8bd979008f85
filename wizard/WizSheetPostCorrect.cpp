#include "wizard/WizSheetPostCorrect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>

#include "common/Format.h"
#include "correction/CorrectionPass.h"
#include "correction/LevelCorrector.h"
#include "wizard/PageCommon.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
      return true;
    default:
      return false;
  }
}

}  // namespace

CWizSheetPostCorrect::CWizSheetPostCorrect(QWidget* parent)
    : CTMDlgWizardFrame(parent),
      logList_(*this),
      modePage_(*this),
      referencePage_(*this),
      gravityPage_(*this),
      processingPage_(*this) {
  setWindowTitle(QStringLiteral("Tavisko"));
  // Screen readers announce a page by its role in the pass.
  const std::pair<CDlgWizardPage*, const char*> pages[] = {{&logList_, "Logs"},
                                                          {&modePage_, "Level measurement mode"},
                                                          {&referencePage_, "Level reference"},
                                                          {&gravityPage_, "Specific gravity"},
                                                          {&processingPage_, "Processing"}};
  for (const auto& [page, name] : pages) {
    page->setAccessibleName(QString::fromLatin1(name));
    AddPage(page);
  }
  connect(&load_, &QFutureWatcher<void>::finished, this,
          &CWizSheetPostCorrect::OnLogLoaded);
  // The mode page answers last: its choice decides whether the reference page takes part.
  for (CDlgWizardPage* page : std::initializer_list<CDlgWizardPage*>{&processingPage_, &gravityPage_, &referencePage_,
                                                                      &modePage_}) {
    connect(this, &CWizSheetPostCorrect::logLoaded, page, [page] { page->OnLogLoaded(); });
  }
  connect(&processingPage_, &CWizPageProcessingFile::correctionEnded, this, [this] {
    if (pendingDone_) done(*pendingDone_);
  });
}

CWizSheetPostCorrect::~CWizSheetPostCorrect() {
  SetBusy(false);
  // The pages are members and go before the frame does.
  DetachPages();
}

CLevelCorrector* CWizSheetPostCorrect::Corrector() const { return pass_ ? &pass_->Corrector() : nullptr; }

QString CWizSheetPostCorrect::PassCaption() const {
  const int left = static_cast<int>(fileList_.size());
  return ToQString(
      StrFormat("%s (%d of %d)", "Current log being processed", totalLogCount_ - left, totalLogCount_));
}

void CWizSheetPostCorrect::SetBusy(bool busy) {
  if (busy == busy_ || QCoreApplication::instance() == nullptr) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
  }
}

bool CWizSheetPostCorrect::eventFilter(QObject* watched, QEvent* event) {
  // While busy the wizard's windows take no input: the pages are being filled.
  if (busy_ && IsUserInput(event->type()) && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    return true;
  }
  return CTMDlgWizardFrame::eventFilter(watched, event);
}

void CWizSheetPostCorrect::StartLoadNextLog() {
  if (load_.isRunning()) return;
  pass_.reset();
  fileInfoText_.clear();
  SetBusy(true);
  std::string path = fileList_.empty() ? std::string() : fileList_.front();
  // The worker gets its own copy of the path and shares nothing with the window, which may close first.
  load_.setFuture(loaded_.Run(&WorkerPool(), [path = std::move(path)]() -> std::unique_ptr<CCorrectionPass> {
    if (path.empty()) return nullptr;
    try {
      auto corrector = std::make_shared<CLevelCorrector>();
      corrector->Open(path);  // a log that fails to open still walks the pages and fails with its reason
      auto pass = std::make_unique<CCorrectionPass>(std::move(corrector));
      pass->LoadRecordedLevels();
      return pass;
    } catch (const std::exception&) {
      return nullptr;
    }
  }));
}

void CWizSheetPostCorrect::OnLogLoaded() {
  std::unique_ptr<CCorrectionPass> loaded = loaded_.Take().value_or(nullptr);
  if (!isVisible()) return;  // closed while loading: the log is let go
  if (!fileList_.empty()) {
    pass_ = std::move(loaded);
    if (pass_ != nullptr) fileInfoText_ = pass_->DescribeLog();
    fileList_.pop_front();
  }
  emit logLoaded();
  SetBusy(false);
}

void CWizSheetPostCorrect::done(int result) {
  // A correction still running is asked to stop; the window closes when it has reported, so nothing
  // of it is written after the user has seen the window go.
  if (processingPage_.IsCorrecting()) {
    pendingDone_ = result;
    processingPage_.StopCorrection();
    return;
  }
  pendingDone_.reset();
  SetBusy(false);
  CTMDlgWizardFrame::done(result);
}

void CWizSheetPostCorrect::OkAction() {
  if (!Button(kIdOk)->isEnabled()) return;
  if (fileList_.empty()) {
    ClosePages();
    done(QDialog::Accepted);
    return;
  }
  SetActivePage(&modePage_, kIdNext);
}

}  // namespace tvk::wizard
