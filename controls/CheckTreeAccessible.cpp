#include "controls/CheckTreeAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMap>
#include <QPersistentModelIndex>
#include <QPointer>

#include <utility>
#include <vector>

#include "controls/TMCheckTreeCtrl.h"

namespace tvk {
namespace {

// The shown rows in view order: the first column of every row whose ancestors are all expanded.
std::vector<QModelIndex> ShownRows(const QTreeView& view) {
  std::vector<QModelIndex> rows;
  const QAbstractItemModel* model = view.model();
  if (model == nullptr) return rows;
  const QModelIndex root = view.rootIndex();
  QModelIndex first;
  for (int r = 0; r < model->rowCount(root) && !first.isValid(); ++r) {
    if (!view.isRowHidden(r, root)) first = model->index(r, 0, root);
  }
  for (QModelIndex i = first; i.isValid(); i = view.indexBelow(i)) rows.push_back(i);
  return rows;
}

int ShownRowOf(const QTreeView& view, const QModelIndex& index) {
  const std::vector<QModelIndex> rows = ShownRows(view);
  const QModelIndex first = index.sibling(index.row(), 0);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r] == first) return static_cast<int>(r);
  }
  return -1;
}

int ColumnCount(const QTreeView& view) {
  return view.model() != nullptr ? view.model()->columnCount(view.rootIndex()) : 0;
}

// The hidden header's cell: only there so that the children keep the item view's numbering.
class HeaderAccessible : public QAccessibleInterface {
 public:
  HeaderAccessible(CTMCheckTreeCtrl* view, int column) : view_(view), column_(column) {}

  bool isValid() const override { return view_ != nullptr && column_ < ColumnCount(*view_); }
  QObject* object() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name && isValid() ? view_->model()->headerData(column_, Qt::Horizontal).toString()
                                               : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid() || view_->header()->isHidden()) return {};
    const QHeaderView* header = view_->header();
    return {header->mapToGlobal(QPoint(header->sectionPosition(column_), 0)),
            QSize(header->sectionSize(column_), header->height())};
  }
  QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.invisible = !isValid() || view_->header()->isHidden();
    return state;
  }

 private:
  QPointer<CTMCheckTreeCtrl> view_;
  int column_;
};

// One column of one item.
class CellAccessible : public QAccessibleInterface,
                       public QAccessibleTableCellInterface,
                       public QAccessibleActionInterface {
 public:
  CellAccessible(CTMCheckTreeCtrl* view, const QModelIndex& index) : view_(view), index_(index) {}

  [[nodiscard]] const QPersistentModelIndex& Index() const { return index_; }

  bool isValid() const override { return view_ != nullptr && index_.isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ != nullptr ? view_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (t == QAccessible::Name) {
      const QString name = index_.data(Qt::AccessibleTextRole).toString();
      return name.isEmpty() ? index_.data(Qt::DisplayRole).toString() : name;
    }
    if (t == QAccessible::Description) return index_.data(Qt::AccessibleDescriptionRole).toString();
    return {};
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    const QRect r = view_->visualRect(index_);
    return r.isNull() ? r : QRect(view_->viewport()->mapToGlobal(r.topLeft()), r.size());
  }
  QAccessible::Role role() const override { return QAccessible::TreeItem; }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    state.invisible = !view_->viewport()->rect().intersects(view_->visualRect(index_));
    const QItemSelectionModel* selection = view_->selectionModel();
    state.selected = selection != nullptr && selection->isSelected(index_);
    state.focused = view_->currentIndex() == index_;
    const Qt::ItemFlags flags = index_.flags();
    state.disabled = !flags.testFlag(Qt::ItemIsEnabled);
    state.checkable = Checkable();
    const QVariant check = index_.data(Qt::CheckStateRole);
    state.checked = check.isValid() && check.toInt() == Qt::Checked;
    state.checkStateMixed = check.isValid() && check.toInt() == Qt::PartiallyChecked;
    state.selectable = state.focusable = flags.testFlag(Qt::ItemIsSelectable);
    state.expandable = view_->model()->hasChildren(index_);
    state.expanded = view_->isExpanded(index_);
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  bool isSelected() const override {
    return isValid() && view_->selectionModel() != nullptr && view_->selectionModel()->isSelected(index_);
  }
  QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return isValid() ? index_.column() : -1; }
  int rowIndex() const override { return isValid() ? ShownRowOf(*view_, index_) : -1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  // The check box's toggle, with the key that does the same.
  QStringList actionNames() const override { return Checkable() ? QStringList{toggleAction()} : QStringList{}; }
  void doAction(const QString& name) override {
    if (name != toggleAction() || !Checkable() || !view_->isEnabled()) return;
    view_->UserToggle(view_->ItemFromIndex(index_), CTMCheckTreeCtrl::Trigger::Action);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    return name == toggleAction() && Checkable() ? QStringList{QStringLiteral("Space")} : QStringList{};
  }

 private:
  [[nodiscard]] bool Checkable() const {
    return isValid() && index_.column() == 0 && index_.flags().testFlag(Qt::ItemIsUserCheckable) &&
           index_.flags().testFlag(Qt::ItemIsEnabled);
  }

  QPointer<CTMCheckTreeCtrl> view_;
  QPersistentModelIndex index_;
};

class TreeAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TreeAccessible(CTMCheckTreeCtrl* view) : QAccessibleWidget(view, QAccessible::Tree) {}
  ~TreeAccessible() override {
    for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
    for (const QAccessible::Id id : std::as_const(headers_)) QAccessible::deleteAccessibleInterface(id);
  }

  [[nodiscard]] CTMCheckTreeCtrl* View() const { return static_cast<CTMCheckTreeCtrl*>(widget()); }

  // The cell of `index`, made once and kept while its item lives.
  QAccessibleInterface* Cell(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    const Key key{View()->ItemFromIndex(index), index.column()};
    if (const auto found = cells_.constFind(key); found != cells_.cend()) {
      QAccessibleInterface* cell = QAccessible::accessibleInterface(*found);
      if (cell != nullptr && cell->isValid()) return cell;
      QAccessible::deleteAccessibleInterface(*found);  // an item deleted and another made at its address
      cells_.remove(key);
    }
    auto* cell = new CellAccessible(View(), index);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }

  // QAccessibleInterface
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  int childCount() const override {
    return (static_cast<int>(ShownRows(*View()).size()) + 1) * ColumnCount(*View());
  }
  QAccessibleInterface* child(int index) const override {
    const int columns = ColumnCount(*View());
    if (index < 0 || columns == 0) return nullptr;
    if (index < columns) return Header(index);
    const std::vector<QModelIndex> rows = ShownRows(*View());
    const auto row = static_cast<std::size_t>(index / columns - 1);
    if (row >= rows.size()) return nullptr;
    return Cell(rows[row].sibling(rows[row].row(), index % columns));
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const int columns = ColumnCount(*View());
    if (const auto* cell = dynamic_cast<const CellAccessible*>(child); cell != nullptr && cell->isValid()) {
      const int row = ShownRowOf(*View(), cell->Index());
      return row < 0 ? -1 : (row + 1) * columns + cell->Index().column();
    }
    for (int c = 0; c < headers_.size(); ++c) {
      if (QAccessible::accessibleInterface(headers_[c]) == child) return c;
    }
    return -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    const QPoint at = View()->viewport()->mapFromGlobal(QPoint(x, y));
    return Cell(View()->indexAt(at));
  }
  QAccessibleInterface* focusChild() const override { return Cell(View()->currentIndex()); }

  // QAccessibleTableInterface
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    const std::vector<QModelIndex> rows = ShownRows(*View());
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) return nullptr;
    return Cell(rows[static_cast<std::size_t>(row)].sibling(rows[static_cast<std::size_t>(row)].row(), column));
  }
  int selectedCellCount() const override { return static_cast<int>(SelectedIndexes().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    QList<QAccessibleInterface*> cells;
    for (const QModelIndex& index : SelectedIndexes()) cells << Cell(index);
    return cells;
  }
  QString columnDescription(int column) const override {
    return View()->model()->headerData(column, Qt::Horizontal).toString();
  }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return static_cast<int>(selectedRows().size()); }
  int columnCount() const override { return ColumnCount(*View()); }
  int rowCount() const override { return static_cast<int>(ShownRows(*View()).size()); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override {
    QList<int> rows;
    const std::vector<QModelIndex> shown = ShownRows(*View());
    for (std::size_t r = 0; r < shown.size(); ++r) {
      if (View()->selectionModel()->isSelected(shown[r])) rows << static_cast<int>(r);
    }
    return rows;
  }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override { return selectedRows().contains(row); }
  bool selectRow(int row) override {
    const std::vector<QModelIndex> shown = ShownRows(*View());
    if (row < 0 || static_cast<std::size_t>(row) >= shown.size()) return false;
    const QAbstractItemView::SelectionMode mode = View()->selectionMode();
    if (mode == QAbstractItemView::NoSelection) return false;
    const bool single = mode == QAbstractItemView::SingleSelection;
    View()->selectionModel()->select(shown[static_cast<std::size_t>(row)],
                                     (single ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                         QItemSelectionModel::Rows);
    return true;
  }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int row) override {
    const std::vector<QModelIndex> shown = ShownRows(*View());
    if (row < 0 || static_cast<std::size_t>(row) >= shown.size()) return false;
    if (View()->selectionMode() == QAbstractItemView::SingleSelection) return false;  // one stays selected
    View()->selectionModel()->select(shown[static_cast<std::size_t>(row)],
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
  }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {
    for (auto it = cells_.begin(); it != cells_.end();) {
      QAccessibleInterface* cell = QAccessible::accessibleInterface(*it);
      if (cell == nullptr || !cell->isValid()) {
        QAccessible::deleteAccessibleInterface(*it);
        it = cells_.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  using Key = std::pair<const QTreeWidgetItem*, int>;

  QModelIndexList SelectedIndexes() const {
    return View()->selectionModel() != nullptr ? View()->selectionModel()->selectedIndexes() : QModelIndexList{};
  }

  QAccessibleInterface* Header(int column) const {
    while (headers_.size() <= column) {
      headers_ << QAccessible::registerAccessibleInterface(
          new HeaderAccessible(View(), static_cast<int>(headers_.size())));
    }
    return QAccessible::accessibleInterface(headers_[column]);
  }

  mutable QMap<Key, QAccessible::Id> cells_;
  mutable QList<QAccessible::Id> headers_;
};

QAccessibleInterface* CheckTreeFactory(const QString&, QObject* object) {
  // The most derived class comes first, so the item view's own interface is never made for a check tree.
  if (auto* tree = qobject_cast<CTMCheckTreeCtrl*>(object)) return new TreeAccessible(tree);
  return nullptr;
}

}  // namespace

void InstallCheckTreeAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&CheckTreeFactory);
    return true;
  }();
  (void)installed;
}

void NotifyCheckStateChanged(CTMCheckTreeCtrl& tree, const QTreeWidgetItem& item) {
  if (!QAccessible::isActive()) return;
  auto* face = dynamic_cast<TreeAccessible*>(QAccessible::queryAccessibleInterface(&tree));
  QAccessibleInterface* cell = face != nullptr ? face->Cell(tree.IndexOf(&item)) : nullptr;
  if (cell == nullptr) return;
  QAccessible::State changed;
  changed.checked = true;
  QAccessibleStateChangeEvent event(cell, changed);
  QAccessible::updateAccessibility(&event);
}

}  // namespace tvk
