#include "wizard/WizPageLogfileList.h"

#include <QAbstractButton>
#include <algorithm>
#include <QTreeWidget>

#include "common/TextUtil.h"
#include "common/Utf.h"
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
  // Checking a site checks its logs; a site is checked when all its logs are.
  connect(ui_->logTree, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int) { UpdateNext(); });
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
  QTreeWidget* tree = ui_->logTree;
  const QSignalBlocker quiet(tree);
  tree->clear();
  auto* root = new QTreeWidgetItem(tree, QStringList(QStringLiteral("Site Data")));
  root->setFlags(root->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
  root->setCheckState(0, Qt::Unchecked);
  for (SiteGroup& group : groups_) {
    const QString name = group.siteName.empty() ? QStringLiteral("NULL") : ToQString(group.siteName);
    group.item = new QTreeWidgetItem(root, QStringList(name));
    group.item->setFlags(group.item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    group.item->setCheckState(0, Qt::Unchecked);
    for (LogEntry& entry : group.entries) {
      entry.item = new QTreeWidgetItem(group.item, QStringList(ToQString(GetFileNamePart(entry.filePath))));
      entry.item->setFlags(entry.item->flags() | Qt::ItemIsUserCheckable);
      entry.item->setCheckState(0, Qt::Unchecked);
      entry.item->setToolTip(0, ToQString(entry.filePath));
    }
  }
  // Sites and their logs alphabetically; the groups keep catalogue order for the list of logs.
  root->sortChildren(0, Qt::AscendingOrder);
  root->setExpanded(true);
}

void CWizPageLogfileList::UpdateNext() {
  if (Frame() == nullptr || !Frame()->WindowCreated()) return;
  bool anyChecked = false;
  for (const SiteGroup& group : groups_) {
    for (const LogEntry& entry : group.entries) {
      if (entry.item != nullptr && entry.item->checkState(0) == Qt::Checked) anyChecked = true;
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
      if (entry.item != nullptr && entry.item->checkState(0) == Qt::Checked) {
        ++total;
        sheet_.FileList().push_back(entry.filePath);
      }
    }
  }
  sheet_.SetTotalLogCount(total);
  return true;
}

}  // namespace tvk::wizard
