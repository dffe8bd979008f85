#include "wizard/WizSheetPostCorrect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <system_error>

#include "common/Format.h"
#include "common/StringTable.h"
#include "common/TextUtil.h"
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

// The text of the tooltip that describes a log's recorded settings.
std::string DescribeLog(const CLevelCorrector& corrector, const std::string& path) {
  const int mode = corrector.GetLevelMeasurementMode();
  std::string modeText;
  if (mode == 3) modeText = "Pressure head (Depth)";
  if (mode == 4) modeText = "Depth to water";
  if (mode == 5) modeText = "Elevation or gauge height/stage";

  std::string referenceText = "N/A";
  if (mode != 3) {
    const double value = corrector.GetLevelReferenceVal();
    if (corrector.GetLevelReferenceMode() == 1) {
      referenceText = StrFormat("%0.3f %s", value, "Start of test");
    } else {
      referenceText = StrFormat("%0.3f %s, Pressure head:  %g %s", value,
                                GetUnitAbbreviation(corrector.GetLevelUnitId()).c_str(),
                                static_cast<double>(corrector.GetLevelRefPressure()),
                                GetUnitAbbreviation(corrector.GetLevelRefPressureUnitId()).c_str());
    }
  }
  const std::string gravityText = corrector.IsDynamicDensityUsed()
                                      ? std::string("Determined by dynamic density")
                                      : StrFormat("%1.3f", static_cast<double>(corrector.GetSpecificGravity()));
  return StrFormat(
      "File information\r\n        %s: %s\r\n        %s: %s\r\n        %s: %s\r\n        %s: %s", "File name",
      GetFileNamePart(path).c_str(), "Level measurement option", modeText.c_str(), "Level reference",
      referenceText.c_str(), "Specific gravity", gravityText.c_str());
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
}

CWizSheetPostCorrect::~CWizSheetPostCorrect() {
  StopWorkers();
  SetBusyLook(false);
  // The pages are members and go before the frame does.
  DetachPages();
}

QString CWizSheetPostCorrect::PassCaption() const {
  const int left = static_cast<int>(fileList_.size());
  return ToQString(
      StrFormat("%s (%d of %d)", "Current log being processed", totalLogCount_ - left, totalLogCount_));
}

void CWizSheetPostCorrect::BeginBusy(int count) {
  {
    std::lock_guard lock(busyLock_);
    if (busyCount_ == 0) {
      busyCount_ = count;
    } else if (--busyCount_ <= 0) {
      busyCount_ = 0;
    }
  }
  busyChanged_.notify_all();
  SetBusyLook(IsBusy() != 0);
}

void CWizSheetPostCorrect::EndBusy() {
  {
    std::lock_guard lock(busyLock_);
    if (--busyCount_ <= 0) busyCount_ = 0;
  }
  busyChanged_.notify_all();
  SetBusyLook(IsBusy() != 0);
}

int CWizSheetPostCorrect::IsBusy() const {
  std::lock_guard lock(busyLock_);
  return busyCount_;
}

void CWizSheetPostCorrect::SetBusyLook(bool busy) {
  if (busy == busyLook_ || QCoreApplication::instance() == nullptr) return;
  busyLook_ = busy;
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
  if (busyLook_ && IsUserInput(event->type()) && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    return true;
  }
  return CTMDlgWizardFrame::eventFilter(watched, event);
}

void CWizSheetPostCorrect::StartLoadNextLog() {
  JoinLoadThread();
  if (stopping_) return;
  try {
    loadThread_ = std::thread([this] { LoadNextLog(); });
  } catch (const std::system_error&) {
    // No thread, no log: the pages still answer, so the busy state ends.
    corrector_.reset();
    QCoreApplication::postEvent(this, new CWizardEvent(kLogLoaded));
  }
}

void CWizSheetPostCorrect::JoinLoadThread() {
  if (loadThread_.joinable()) loadThread_.join();
}

void CWizSheetPostCorrect::LoadNextLog() {
  if (!fileList_.empty()) {
    // A fresh corrector for every log; the last one is not in use (its pass has ended).
    corrector_ = std::make_unique<CLevelCorrector>();
    corrector_->Open(fileList_.front());
    BuildFileInfoText();
    fileList_.pop_front();
  } else {
    corrector_.reset();
  }
  QCoreApplication::postEvent(this, new CWizardEvent(kLogLoaded));
  // The pages read the corrector while they answer; keep still until they all have.
  std::unique_lock lock(busyLock_);
  busyChanged_.wait(lock, [this] { return busyCount_ == 0 || stopping_; });
}

void CWizSheetPostCorrect::BuildFileInfoText() {
  if (corrector_ == nullptr || fileList_.empty()) return;
  fileInfoText_ = DescribeLog(*corrector_, fileList_.front());
}

void CWizSheetPostCorrect::StopWorkers() {
  {
    std::lock_guard lock(busyLock_);
    stopping_ = true;
  }
  busyChanged_.notify_all();
  const bool waiting = loadThread_.joinable() || processingPage_.IsCorrecting();
  if (waiting && QCoreApplication::instance() != nullptr) QApplication::setOverrideCursor(Qt::WaitCursor);
  JoinLoadThread();
  processingPage_.WaitForCorrection();
  if (waiting && QCoreApplication::instance() != nullptr) QApplication::restoreOverrideCursor();
}

void CWizSheetPostCorrect::done(int result) {
  // No worker may use the corrector once the wizard has closed.
  StopWorkers();
  {
    std::lock_guard lock(busyLock_);
    busyCount_ = 0;
  }
  SetBusyLook(false);
  for (QObject* receiver : std::initializer_list<QObject*>{this, &logList_, &modePage_, &referencePage_,
                                                           &gravityPage_, &processingPage_}) {
    QCoreApplication::removePostedEvents(receiver, EventType(kLogLoaded));
  }
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

void CWizSheetPostCorrect::customEvent(QEvent* event) {
  if (event->type() == EventType(kCatalogReady)) {
    QCoreApplication::postEvent(&logList_, new CWizardEvent(kCatalogReady));
  } else if (event->type() == EventType(kLogLoaded)) {
    for (QObject* page : std::initializer_list<QObject*>{&processingPage_, &gravityPage_, &referencePage_, &modePage_}) {
      QCoreApplication::postEvent(page, new CWizardEvent(kLogLoaded));
    }
  }
}

void CWizSheetPostCorrect::showEvent(QShowEvent* event) {
  CTMDlgWizardFrame::showEvent(event);
  shown_ = true;
}

void CWizSheetPostCorrect::hideEvent(QHideEvent* event) {
  shown_ = false;
  CTMDlgWizardFrame::hideEvent(event);
}

}  // namespace tvk::wizard
