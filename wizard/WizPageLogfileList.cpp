#include "wizard/WizPageLogfileList.h"

#include <QAbstractButton>
#include <QTreeWidgetItemIterator>

#include "common/TextUtil.h"
#include "common/WorkingFolders.h"
#include "controls/Images.h"
#include "ui_WizPageLogfileList.h"
#include "wizard/PageCommon.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
}

CWizPageLogfileList::CWizPageLogfileList(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateLogList), sheet_(sheet), ui_(std::make_unique<Ui::WizPageLogfileList>()) {
  ui_->setupUi(this);
  NameControlsById(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ui_->logTree->SetIcons({ImageIcon(ImageId::TreeFolder), ImageIcon(ImageId::TreeSite), ImageIcon(ImageId::TreeLog)});
  ui_->empty->hide();
  // Next follows every way a check changes: mouse, keyboard, assistive technology.
  connect(ui_->logTree, &CTMCheckTreeCtrl::checkToggled, this, [this] { sheet_.UpdateButtons(); });
  connect(&scan_, &QFutureWatcher<void>::finished, this, &CWizPageLogfileList::OnScanned);
}

CWizPageLogfileList::~CWizPageLogfileList() { stopScan_->store(true); }

bool CWizPageLogfileList::OnSetActive(int) {
  setFocus();
  if (!scanned_ && !scan_.isRunning()) {
    ui_->loading->show();
    if (folder_.empty()) folder_ = GetSiteDataDir();
    sheet_.SetBusy(true);
    scan_.setFuture(found_.Run(&WorkerPool(),
                               [folder = folder_, stop = stopScan_] { return ScanSiteFolder(folder, stop.get()); }));
  }
  return true;
}

void CWizPageLogfileList::OnScanned() {
  const std::vector<SiteLog> logs = found_.Take().value_or(std::vector<SiteLog>{});  // none when it threw
  scanned_ = true;
  FillTree(GroupBySite(logs));
  ui_->loading->hide();
  if (logs.empty()) {
    ui_->empty->setText(
        ToQString("No logs to correct were found in " + folder_ +
                  ".\n\nThe wizard lists the logs of the \"Site Data\" folder in the host application's working "
                  "folder (its WorkingDir setting, else \"Dovmark Data\" in your documents folder). Set the working "
                  "folder in the host application, or open the logs from it."));
    ui_->empty->show();
  }
  sheet_.SetBusy(false);
  sheet_.UpdateButtons();
  emit catalogReady();
}

void CWizPageLogfileList::FillTree(const std::vector<SiteGroup>& groups) {
  CAppTreeCtrl* tree = ui_->logTree;
  tree->clear();
  QTreeWidgetItem* root = tree->InsertItem(QStringLiteral("Site Data"), 0);
  root->setToolTip(0, ToQString(folder_));
  for (const SiteGroup& group : groups) {
    const QString name = group.siteName.empty() ? QStringLiteral("NULL") : ToQString(group.siteName);
    QTreeWidgetItem* site = tree->InsertItem(name, 1, root, true);
    for (const SiteLog& log : group.logs) {
      QTreeWidgetItem* item = tree->InsertItem(ToQString(GetFileNamePart(log.filePath)), 2, site, true);
      item->setToolTip(0, ToQString(log.filePath));
      item->setData(0, kPathRole, ToQString(log.filePath));
    }
  }
  root->setExpanded(true);
}

// The checked logs as the tree shows them, top to bottom: the order of the passes.
std::vector<std::string> CWizPageLogfileList::CheckedLogs() const {
  std::vector<std::string> logs;
  for (QTreeWidgetItemIterator it(ui_->logTree); *it != nullptr; ++it) {
    const QTreeWidgetItem* item = *it;
    if (item->childCount() == 0 && item->data(0, kPathRole).isValid() && CTMCheckTreeCtrl::GetCheck(item)) {
      logs.push_back(item->data(0, kPathRole).toString().toStdString());
    }
  }
  return logs;
}

void CWizPageLogfileList::AdjustButtons(CTMDlgWizardFrame& frame) {
  if (frame.GetNextPageIndex() >= 0 && CheckedLogs().empty()) frame.Button(kIdNext)->setEnabled(false);
}

bool CWizPageLogfileList::OnKillActive(int direction) {
  if (direction != kIdNext) return true;
  const std::vector<std::string> logs = CheckedLogs();
  if (logs.empty()) return false;
  sheet_.FileList().assign(logs.begin(), logs.end());
  sheet_.SetTotalLogCount(static_cast<int>(logs.size()));
  return true;
}

}  // namespace tvk::wizard
