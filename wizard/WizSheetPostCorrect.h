#pragma once
// The correction wizard: the frame with its five pages, the logs still to correct, the corrector of
// the log being worked on and the text that describes that log's recorded settings. Logs are loaded
// one after another on a worker thread that tells the pages when a log is ready.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "wizard/TMDlgWizardFrame.h"
#include "wizard/WizPageLogfileList.h"
#include "wizard/WizPageProcessingFile.h"
#include "wizard/WizPageSelectMode.h"
#include "wizard/WizPageSetNewReference.h"
#include "wizard/WizPageSpecificGravity.h"

namespace tvk {
class CLevelCorrector;
}

namespace tvk::wizard {

class CWizSheetPostCorrect : public CTMDlgWizardFrame {
  Q_OBJECT

 public:
  explicit CWizSheetPostCorrect(QWidget* parent = nullptr);
  ~CWizSheetPostCorrect() override;

  CWizPageLogfileList& LogListPage() { return logList_; }
  CWizPageSelectMode& ModePage() { return modePage_; }
  CWizPageSetNewReference& ReferencePage() { return referencePage_; }
  CWizPageSpecificGravity& SpecificGravityPage() { return gravityPage_; }
  CWizPageProcessingFile& ProcessingPage() { return processingPage_; }

  // The logs still to load, in order. Only the user-interface thread edits it, except while a load
  // runs (the sheet is busy then).
  std::deque<std::string>& FileList() { return fileList_; }
  int TotalLogCount() const { return totalLogCount_; }
  void SetTotalLogCount(int count) { totalLogCount_ = count; }
  // The corrector of the current log, or null.
  CLevelCorrector* Corrector() const { return corrector_.get(); }
  const std::string& FileInfoText() const { return fileInfoText_; }
  int ChosenMode() const { return chosenMode_; }
  void SetChosenMode(int mode) { chosenMode_ = mode; }

  // "Current log being processed (n of m)" for the pages' group boxes.
  QString PassCaption() const;

  // While busy the wizard ignores the mouse and keyboard and shows the wait cursor.
  void BeginBusy(int count);
  void EndBusy();
  int IsBusy() const;

  // Starts LoadNextLogThread (the mode page does, each time a pass starts).
  void StartLoadNextLog();
  void BuildFileInfoText();

  // Whether the window is shown; safe to ask from any thread (the site-data scan waits for it).
  bool IsShownForWorkers() const { return shown_.load(); }

  void done(int result) override;

 protected:
  void OkAction() override;
  void customEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void LoadNextLog();
  void JoinLoadThread();
  void StopWorkers();
  void SetBusyLook(bool busy);

  CWizPageLogfileList logList_;
  CWizPageSelectMode modePage_;
  CWizPageSetNewReference referencePage_;
  CWizPageSpecificGravity gravityPage_;
  CWizPageProcessingFile processingPage_;

  std::unique_ptr<CLevelCorrector> corrector_;
  std::deque<std::string> fileList_;
  std::string fileInfoText_;
  int chosenMode_ = 0;
  int totalLogCount_ = 0;

  mutable std::mutex busyLock_;
  std::condition_variable busyChanged_;
  int busyCount_ = 0;
  bool busyLook_ = false;  // only the user-interface thread reads and writes it

  std::thread loadThread_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> shown_{false};
};

}  // namespace tvk::wizard
