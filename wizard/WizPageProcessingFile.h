#pragma once
// Last page of a log's pass: hands the pass's choices to the corrector, corrects the log off the
// user-interface thread, shows the progress, and when the work has ended says how it went (the file
// written, or why not) and tells the user to press OK (the check mark) to go on or to end.

#include <QFutureWatcher>
#include <QTimer>
#include <memory>
#include <string>

#include "wizard/DlgWizardPage.h"
#include "wizard/HandOff.h"

namespace Ui {
class WizPageProcessingFile;
}

namespace tvk {
class CLevelCorrector;
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
  void OnLogLoaded() override;
  void AdjustButtons(CTMDlgWizardFrame& frame) override;

  // Whether a correction runs (started and not yet reported back).
  bool IsCorrecting() const { return state_ == State::Correcting; }
  // Asks a running correction to stop; correctionEnded follows when it has.
  void StopCorrection();
  const std::string& LogFolder() const { return logFolder_; }

 signals:
  // A correction has ended (done, failed or stopped) and its outcome is shown.
  void correctionEnded();

 private:
  enum class State { Idle, Correcting, Done };
  void OnProgressTimer();
  void OnCorrectionEnded();
  void ShowOutcome(const std::string& failure);

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageProcessingFile> ui_;
  QTimer progressTimer_;
  std::string logFolder_;
  State state_ = State::Idle;
  // The corrector the running correction works on; kept here for its progress and a stop request.
  std::shared_ptr<CLevelCorrector> corrector_;
  QFutureWatcher<void> correction_;
  CHandOff<std::string> outcome_;
};

}  // namespace tvk::wizard
