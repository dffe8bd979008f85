#include "controls/TMListBox.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace tvk {
namespace {

constexpr int kTextMargin = 6;  // both sides of a line, as the item delegate pads it

// Every row is one line of the list's font; with a horizontal extent every row is that wide.
class UniformRowDelegate final : public QStyledItemDelegate {
 public:
  UniformRowDelegate(const CTMListBox& list, QObject* parent) : QStyledItemDelegate(parent), list_(list) {}

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    hint.setWidth(list_.ExtentTracking() || list_.GetHorizontalExtent() > 0 ? list_.GetHorizontalExtent()
                                                                            : list_.viewport()->width());
    return hint;
  }

 private:
  const CTMListBox& list_;
};

}  // namespace

int ListBoxModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() ||
      (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
    return {};
  }
  return At(index.row());
}

int ListBoxModel::Insert(int row, const QString& text) {
  const int count = rowCount();
  if (row < 0 || row > count) {
    row = count;
  }
  beginInsertRows(QModelIndex(), row, row);
  lines_.insert(lines_.begin() + row, text);
  endInsertRows();
  return row;
}

int ListBoxModel::Append(const QStringList& lines) {
  const int first = rowCount();
  if (lines.isEmpty()) {
    return first;
  }
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(lines.size()) - 1);
  lines_.insert(lines_.end(), lines.begin(), lines.end());
  endInsertRows();
  return first;
}

bool ListBoxModel::Remove(int row) {
  if (row < 0 || row >= rowCount()) {
    return false;
  }
  beginRemoveRows(QModelIndex(), row, row);
  lines_.erase(lines_.begin() + row);
  endRemoveRows();
  return true;
}

void ListBoxModel::Clear() {
  beginResetModel();
  lines_.clear();
  lines_.shrink_to_fit();
  endResetModel();
}

CTMListBox::CTMListBox(QWidget* parent) : QListView(parent), strings_(this) {
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new UniformRowDelegate(*this, this));
  setModel(&strings_);
  UpdateScrollPolicy();
}

int CTMListBox::AddString(const QString& text) {
  if (!ShowsStringModel()) {
    return -1;
  }
  const int row = strings_.Insert(strings_.rowCount(), text);
  Added(row, row);
  return row;
}

int CTMListBox::AddStrings(const QStringList& lines) {
  if (!ShowsStringModel()) {
    return -1;
  }
  const int first = strings_.Append(lines);
  if (!lines.isEmpty()) {
    Added(first, first + static_cast<int>(lines.size()) - 1);
  }
  return first;
}

int CTMListBox::InsertString(int index, const QString& text) {
  if (!ShowsStringModel() || index > strings_.rowCount()) {
    return -1;
  }
  const int row = strings_.Insert(index, text);
  Added(row, row);
  return row;
}

int CTMListBox::DeleteString(int index) {
  if (!ShowsStringModel() || !strings_.Remove(index)) {
    return -1;
  }
  return strings_.rowCount();
}

void CTMListBox::ResetContent() {
  if (ShowsStringModel()) {
    strings_.Clear();
  }
}

void CTMListBox::Added(int first, int last) {
  if (extentTracking_) {
    const QFontMetrics metrics(font());
    int widest = horizontalExtent_;
    for (int row = first; row <= last; ++row) {
      widest = qMax(widest, metrics.horizontalAdvance(strings_.At(row)) + 2 * kTextMargin);
    }
    if (widest > horizontalExtent_) {
      SetHorizontalExtent(widest);
    }
  }
  if (autoScroll_) {
    scrollTo(strings_.index(last), QAbstractItemView::PositionAtBottom);
  }
}

int CTMListBox::GetCount() const { return model() != nullptr ? model()->rowCount() : 0; }

QString CTMListBox::GetText(int index) const {
  if (model() == nullptr || index < 0 || index >= model()->rowCount()) {
    return {};
  }
  return model()->index(index, 0).data(Qt::DisplayRole).toString();
}

void CTMListBox::SetCurSel(int index) {
  if (model() == nullptr) {
    return;
  }
  if (index < 0 || index >= model()->rowCount()) {
    clearSelection();
    setCurrentIndex(QModelIndex());
    return;
  }
  const QModelIndex item = model()->index(index, 0);
  setCurrentIndex(item);
  scrollTo(item);
}

int CTMListBox::GetCurSel() const {
  const QModelIndexList selected =
      selectionModel() != nullptr ? selectionModel()->selectedIndexes() : QModelIndexList();
  return selected.isEmpty() ? -1 : selected.first().row();
}

int CTMListBox::GetTopIndex() const {
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

void CTMListBox::SetTopIndex(int index) {
  if (model() != nullptr && index >= 0 && index < model()->rowCount()) {
    scrollTo(model()->index(index, 0), QAbstractItemView::PositionAtTop);
  }
}

void CTMListBox::SetExtentTracking(bool on) {
  extentTracking_ = on;
  UpdateScrollPolicy();
}

void CTMListBox::SetHorizontalExtent(int pixels) {
  horizontalExtent_ = qMax(0, pixels);
  UpdateScrollPolicy();
  // Uniform rows take their size from one row; lay out again so the new width counts.
  scheduleDelayedItemsLayout();
}

void CTMListBox::UpdateScrollPolicy() {
  const bool scrolls = extentTracking_ || horizontalExtent_ > 0;
  setHorizontalScrollBarPolicy(scrolls ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void CTMListBox::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  if (!extentTracking_ && horizontalExtent_ == 0) {
    scheduleDelayedItemsLayout();  // rows span the new width
  }
}

void CTMListBox::UseStringModel() {
  if (!ShowsStringModel()) {
    setModel(&strings_);
  }
}

void CTMListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QListView::currentChanged(current, previous);
  emit selChange(current.isValid() ? current.row() : -1);
}

}  // namespace tvk
