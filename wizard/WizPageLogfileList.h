#pragma once
// First page when the host gave no logs: the logs of the "Site Data" folder as a tree grouped by site,
// each with a check box; leaving with Next turns the checks into the sheet's list of logs.

#include <memory>
#include <string>
#include <vector>

#include "wizard/DlgWizardPage.h"

class QTreeWidgetItem;

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

 protected:
  void customEvent(QEvent* event) override;

 private:
  struct LogEntry {
    std::string siteName;
    std::string filePath;
    QTreeWidgetItem* item = nullptr;
  };
  struct SiteGroup {
    std::string siteName;
    std::vector<LogEntry> entries;
    QTreeWidgetItem* item = nullptr;
  };

  void BuildGroups();
  void FillTree();
  void UpdateNext();

  CWizSheetPostCorrect& sheet_;
  std::unique_ptr<Ui::WizPageLogfileList> ui_;
  std::vector<SiteGroup> groups_;
  bool firstShown_ = false;
};

}  // namespace tvk::wizard
