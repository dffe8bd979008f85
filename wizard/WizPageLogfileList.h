#pragma once
// First page when the host gave no logs: the logs of the "Site Data" folder, scanned off the
// user-interface thread, as a tree grouped by site, each with a check box; leaving with Next turns the
// checked logs, top to bottom, into the sheet's list of logs.

#include <QFutureWatcher>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "correction/SiteDataScan.h"
#include "wizard/DlgWizardPage.h"
#include "wizard/HandOff.h"

namespace Ui {
class WizPageLogfileList;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;

class CWizPageLogfileList : public CDlgWizardPage {
  Q_OBJECT

 public:
  enum ControlId { kIdTree = 1000, kIdLoading = 1050 };

  explicit CWizPageLogfileList(CWizSheetPostCorrect& sheet);
  ~CWizPageLogfileList() override;

  bool OnSetActive(int direction) override;
  bool OnKillActive(int direction) override;
  void AdjustButtons(CTMDlgWizardFrame& frame) override;

  // The folder the page lists: set before the page first shows, else the working folder's "Site Data".
  void SetFolder(const std::string& folder) { folder_ = folder; }
  const std::string& Folder() const { return folder_; }
  // Whether the scan has reported.
  bool IsScanned() const { return scanned_; }

 signals:
  // The scan has reported and the tree is filled.
  void catalogReady();

 private:
  void OnScanned();
  void FillTree(const std::vector<SiteGroup>& groups);
  std::vector<std::string> CheckedLogs() const;

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageLogfileList> ui_;
  std::string folder_;
  bool scanned_ = false;
  // Shared with the scan, which may outlive the page.
  std::shared_ptr<std::atomic<bool>> stopScan_ = std::make_shared<std::atomic<bool>>(false);
  QFutureWatcher<void> scan_;
  CHandOff<std::vector<SiteLog>> found_;
};

}  // namespace tvk::wizard
