#include "controls/TMCheckTreeCtrl.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "controls/CheckTreeAccessible.h"

namespace tvk {

// Sees a check state set from outside, so it propagates as a user toggle does.
class CheckTreeItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;

  void setData(int column, int role, const QVariant& value) override {
    const Qt::CheckState was = checkState(0);
    QTreeWidgetItem::setData(column, role, value);
    auto* tree = qobject_cast<CTMCheckTreeCtrl*>(treeWidget());
    if (role != Qt::CheckStateRole || column != 0 || tree == nullptr || was == checkState(0)) return;
    NotifyCheckStateChanged(*tree, *this);
    if (!tree->settingChecks_ && (was == Qt::Checked) != CTMCheckTreeCtrl::GetCheck(this)) {
      tree->CheckStateSet(this);
    }
  }
};

CTMCheckTreeCtrl::CTMCheckTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
  InstallCheckTreeAccessibility();
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(16, 16));
}

void CTMCheckTreeCtrl::SetIcons(const QList<QIcon>& icons) { icons_ = icons; }

QTreeWidgetItem* CTMCheckTreeCtrl::InsertItem(const QString& text, int image, QTreeWidgetItem* parent,
                                              bool sorted) {
  auto* item = new CheckTreeItem(QStringList(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  if (image >= 0 && image < icons_.size()) {
    item->setIcon(0, icons_[image]);
  }
  QTreeWidgetItem* under = parent != nullptr ? parent : invisibleRootItem();
  int at = under->childCount();
  if (sorted) {
    for (int i = 0; i < under->childCount(); ++i) {
      if (QString::compare(text, under->child(i)->text(0), Qt::CaseInsensitive) < 0) {
        at = i;
        break;
      }
    }
  }
  under->insertChild(at, item);
  return item;
}

void CTMCheckTreeCtrl::SetCheck(QTreeWidgetItem* item, bool checked) {
  if (item == nullptr) return;
  auto* tree = qobject_cast<CTMCheckTreeCtrl*>(item->treeWidget());
  if (tree == nullptr) {
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return;
  }
  const QScopedValueRollback quiet(tree->settingChecks_, true);
  item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool CTMCheckTreeCtrl::GetCheck(const QTreeWidgetItem* item) {
  return item != nullptr && item->checkState(0) == Qt::Checked;
}

void CTMCheckTreeCtrl::ToggleCheck(QTreeWidgetItem* item) {
  if (item == nullptr) {
    return;
  }
  SetCheck(item, !GetCheck(item));
  Propagate(item);
}

void CTMCheckTreeCtrl::UserToggle(QTreeWidgetItem* item, Trigger trigger) {
  if (item == nullptr) return;
  ToggleCheck(item);
  Toggled(item, trigger);
}

void CTMCheckTreeCtrl::CheckStateSet(QTreeWidgetItem* item) {
  Propagate(item);
  Toggled(item, Trigger::Data);
}

void CTMCheckTreeCtrl::Propagate(QTreeWidgetItem* item) {
  const QScopedValueRollback quiet(settingChecks_, true);
  const bool checked = GetCheck(item);
  if (exclusive_) {
    if (checked) {
      for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
        if (*it != item) {
          SetCheck(*it, false);
        }
      }
    }
    return;
  }
  QList<QTreeWidgetItem*> below{item};
  while (!below.isEmpty()) {
    QTreeWidgetItem* next = below.takeLast();
    for (int i = 0; i < next->childCount(); ++i) {
      SetCheck(next->child(i), checked);
      below.append(next->child(i));
    }
  }
  for (QTreeWidgetItem* parent = item->parent(); parent != nullptr; parent = parent->parent()) {
    bool all = true;
    for (int i = 0; i < parent->childCount() && all; ++i) {
      all = GetCheck(parent->child(i));
    }
    SetCheck(parent, all);
  }
}

void CTMCheckTreeCtrl::Toggled(QTreeWidgetItem* item, Trigger trigger) {
  OnCheckToggled(item, trigger);
  emit checkToggled(item, trigger);
}

void CTMCheckTreeCtrl::OnCheckToggled(QTreeWidgetItem*, Trigger) {}

QRect CTMCheckTreeCtrl::CheckBoxRect(QTreeWidgetItem* item) const {
  if (item == nullptr) {
    return {};
  }
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualItemRect(item);
  option.features |= QStyleOptionViewItem::HasCheckIndicator;
  option.checkState = item->checkState(0);
  return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

// The check box toggles on the release of a press that began on it, as a button does; the item view
// would toggle on any release over it.
void CTMCheckTreeCtrl::mousePressEvent(QMouseEvent* event) {
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  pressedOnCheckBox_ =
      event->button() == Qt::LeftButton && OnCheckBox(item, event->position().toPoint()) ? item : nullptr;
  if (pressedOnCheckBox_ != nullptr) {
    setCurrentItem(item);
    event->accept();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void CTMCheckTreeCtrl::mouseReleaseEvent(QMouseEvent* event) {
  QTreeWidgetItem* pressed = pressedOnCheckBox_;
  pressedOnCheckBox_ = nullptr;
  if (pressed == nullptr) {
    QTreeWidget::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  const QPoint pos = event->position().toPoint();
  if (event->button() == Qt::LeftButton && itemAt(pos) == pressed && OnCheckBox(pressed, pos)) {
    UserToggle(pressed, Trigger::Click);
  }
}

void CTMCheckTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  QTreeWidgetItem* item = itemAt(pos);
  if (event->button() == Qt::LeftButton && OnCheckBox(item, pos)) {
    // The second click of a double-click on a check box toggles it again.
    pressedOnCheckBox_ = item;
    event->accept();
    return;
  }
  if (event->button() == Qt::LeftButton && item != nullptr && item->childCount() == 0) {
    UserToggle(item, Trigger::DoubleClick);
    emit itemDoubleClicked(item, 0);
    event->accept();
    return;
  }
  QTreeWidget::mouseDoubleClickEvent(event);  // expands or collapses an item with children
}

void CTMCheckTreeCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentItem() != nullptr) {
    UserToggle(currentItem(), Trigger::Key);
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void CAppTreeCtrl::OnCheckToggled(QTreeWidgetItem*, Trigger trigger) {
  const bool told = trigger == Trigger::Click || trigger == Trigger::DoubleClick || trigger == Trigger::Action;
  if (told && parentWidget() != nullptr) {
    QCoreApplication::postEvent(parentWidget(), new QEvent(kCheckChangedEvent));
  }
}

}  // namespace tvk
