#pragma once
// Last page of a log's pass: corrects the log on a worker thread, shows the progress, and when the
// work has ended tells the user to press OK (the check mark) to go on or to end.

#include <QTimer>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "wizard/DlgWizardPage.h"

namespace Ui {
class WizPageProcessingFile;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;

class CWizPageProcessingFile : public CDlgWizardPage {
  Q_OBJECT

 public:
  enum ControlId {
    kIdProgress = 1041,
    kIdStatus = 1042,
    kIdBulb = 1048,
    kIdHint = 1049,
    kIdSummary = 1072,
  };
  // The progress timer of the page.
  static constexpr int kProgressTimerId = 871;

  explicit CWizPageProcessingFile(CWizSheetPostCorrect& sheet);
  ~CWizPageProcessingFile() override;

  bool OnSetActive(int direction) override;

  // Whether a correction thread exists (running, or ended and not yet collected by the timer).
  bool IsCorrecting() const { return worker_.joinable(); }
  // Blocks until the correction thread has ended; the wizard calls it before the corrector goes.
  void WaitForCorrection();
  const std::string& LogFolder() const { return logFolder_; }

 protected:
  void customEvent(QEvent* event) override;

 private:
  void OnLogLoaded();
  void OnProgressTimer();
  void CorrectLog(const std::string& folder);
  void ShowDone();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageProcessingFile> ui_;
  QTimer progressTimer_;
  std::string logFolder_;
  std::thread worker_;
  std::atomic<bool> finished_{false};
  // Written by the worker before `finished_` is set, read after it is joined.
  std::string failure_;
};

}  // namespace tvk::wizard
