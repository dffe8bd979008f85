#pragma once
// The correction wizard: the frame with its five pages, the logs still to correct and the pass of the
// log being worked on. Logs are loaded one after another off the user-interface thread; the loaded log
// arrives back on it, where alone the pass is swapped in and the pages are told.

#include <QFutureWatcher>
#include <QString>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "wizard/HandOff.h"
#include "wizard/TMDlgWizardFrame.h"
#include "wizard/WizPageLogfileList.h"
#include "wizard/WizPageProcessingFile.h"
#include "wizard/WizPageSelectMode.h"
#include "wizard/WizPageSetNewReference.h"
#include "wizard/WizPageSpecificGravity.h"

namespace tvk {
class CCorrectionPass;
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

  // The logs still to load, in order.
  std::deque<std::string>& FileList() { return fileList_; }
  int TotalLogCount() const { return totalLogCount_; }
  void SetTotalLogCount(int count) { totalLogCount_ = count; }
  // The pass of the current log and its corrector, or null.
  CCorrectionPass* Pass() const { return pass_.get(); }
  CLevelCorrector* Corrector() const;
  // The current log's recorded settings as its name's hover text.
  const std::string& FileInfoText() const { return fileInfoText_; }

  // "Current log being processed (n of m)" for the pages' group boxes.
  QString PassCaption() const;

  // While busy (a log or the site folder loading) the wizard ignores the mouse and keyboard and shows
  // the wait cursor.
  void SetBusy(bool busy);
  bool IsBusy() const { return busy_; }

  // Loads the next log of FileList (the mode page does, each time a pass starts); logLoaded follows.
  void StartLoadNextLog();

  void done(int result) override;

 signals:
  // The next log's pass is in place (Pass() is null when the list had none left); the pages fill in.
  void logLoaded();

 protected:
  void OkAction() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnLogLoaded();

  CWizPageLogfileList logList_;
  CWizPageSelectMode modePage_;
  CWizPageSetNewReference referencePage_;
  CWizPageSpecificGravity gravityPage_;
  CWizPageProcessingFile processingPage_;

  std::unique_ptr<CCorrectionPass> pass_;
  std::deque<std::string> fileList_;
  std::string fileInfoText_;
  int totalLogCount_ = 0;
  bool busy_ = false;
  QFutureWatcher<void> load_;
  CHandOff<std::unique_ptr<CCorrectionPass>> loaded_;
  // The result a close asked for while a correction was stopping.
  std::optional<int> pendingDone_;
};

}  // namespace tvk::wizard
