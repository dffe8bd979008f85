#include "wizard/WizPageLogfileList.h"

#include <QAbstractButton>
#include <algorithm>

#include "common/TextUtil.h"
#include "common/Utf.h"
#include "controls/Images.h"
#include "correction/LevelCorrector.h"
#include "ui_WizPageLogfileList.h"
#include "wizard/PageCommon.h"
#include "wizard/SiteLogCatalog.h"
#include "wizard/WizSheetPostCorrect.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

CWizPageLogfileList::CWizPageLogfileList(CWizSheetPostCorrect& sheet)
    : CDlgWizardPage(kTemplateLogList), sheet_(sheet), ui_(std::make_unique<Ui::WizPageLogfileList>()) {
  ui_->setupUi(this);
  NameControlsById(this);
  UsePageBackground(this, ImageId::PageBackgroundMode);
  ui_->logTree->SetIcons({ImageIcon(ImageId::TreeFolder), ImageIcon(ImageId::TreeSite), ImageIcon(ImageId::TreeLog)});
  // The tree posts kTreeCheckChanged for mouse toggles; Next follows keyboard toggles as well.
  connect(ui_->logTree, &CTMCheckTreeCtrl::checkToggled, this, [this] { UpdateNext(); });
}

CWizPageLogfileList::~CWizPageLogfileList() = default;

bool CWizPageLogfileList::OnSetActive(int) {
  setFocus();
  if (!firstShown_) {
    ui_->loading->show();
    sheet_.BeginBusy(1);
    firstShown_ = true;
  }
  UpdateNext();
  return true;
}

void CWizPageLogfileList::customEvent(QEvent* event) {
  if (event->type() == EventType(kCatalogReady)) {
    BuildGroups();
    FillTree();
    ui_->loading->hide();
    sheet_.EndBusy();
  } else if (event->type() == EventType(kTreeCheckChanged)) {
    UpdateNext();
  }
}

void CWizPageLogfileList::BuildGroups() {
  groups_.clear();
  for (const SLogInfo& info : SiteLogCatalog()) {
    if (CheckLogFile(info.filePath) != 1) continue;
    LogEntry entry{info.siteName, info.filePath, nullptr};
    auto group = std::find_if(groups_.begin(), groups_.end(), [&info](const SiteGroup& g) {
      return Utf16Length(g.siteName) == Utf16Length(info.siteName) && EqualsIgnoreCase(g.siteName, info.siteName);
    });
    if (group == groups_.end()) {
      groups_.push_back(SiteGroup{info.siteName, {}, nullptr});
      group = groups_.end() - 1;
    }
    group->entries.push_back(std::move(entry));
  }
}

void CWizPageLogfileList::FillTree() {
  CAppTreeCtrl* tree = ui_->logTree;
  tree->clear();
  QTreeWidgetItem* root = tree->InsertItem(QStringLiteral("Site Data"), 0);
  for (SiteGroup& group : groups_) {
    const QString name = group.siteName.empty() ? QStringLiteral("NULL") : ToQString(group.siteName);
    group.item = tree->InsertItem(name, 1, root, true);
    for (LogEntry& entry : group.entries) {
      entry.item = tree->InsertItem(ToQString(GetFileNamePart(entry.filePath)), 2, group.item, true);
      entry.item->setToolTip(0, ToQString(entry.filePath));
    }
  }
  root->setExpanded(true);
}

void CWizPageLogfileList::UpdateNext() {
  if (Frame() == nullptr || !Frame()->WindowCreated()) return;
  bool anyChecked = false;
  for (const SiteGroup& group : groups_) {
    for (const LogEntry& entry : group.entries) {
      if (entry.item != nullptr && CTMCheckTreeCtrl::GetCheck(entry.item)) anyChecked = true;
    }
  }
  const bool last = Frame()->GetNextPageIndex() < 0;
  Frame()->Button(kIdNext)->setEnabled(anyChecked && !last);
}

bool CWizPageLogfileList::OnKillActive(int direction) {
  if (direction != kIdNext) return true;
  sheet_.FileList().clear();
  int total = 0;
  for (const SiteGroup& group : groups_) {
    for (const LogEntry& entry : group.entries) {
      if (entry.item != nullptr && CTMCheckTreeCtrl::GetCheck(entry.item)) {
        ++total;
        sheet_.FileList().push_back(entry.filePath);
      }
    }
  }
  sheet_.SetTotalLogCount(total);
  return true;
}

}  // namespace tvk::wizard
