#pragma once
// Tree with a check box on every item. A user toggle (a click on a check box, a double-click on an item
// without children, the space key on the current item, the accessible toggle action of an item, a change
// of an item's Qt::CheckStateRole from outside) propagates: every item below gets the same state and
// every ancestor is checked exactly when all its children are. In exclusive mode checking an item clears
// all others instead. Assistive technology sees every item as checkable, with its state, and its toggle
// action ticks the item as a click on its check box does.

#include <QEvent>
#include <QIcon>
#include <QList>
#include <QTreeWidget>

namespace tvk {

class CTMCheckTreeCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  // Action: the accessible toggle action; Data: Qt::CheckStateRole set on the model or the item.
  enum class Trigger { Click, DoubleClick, Key, Action, Data };

  explicit CTMCheckTreeCtrl(QWidget* parent = nullptr);

  // Icons by image index, as an image list gives them.
  void SetIcons(const QList<QIcon>& icons);
  // Inserts an unchecked item under `parent` (the top level when null), at the end or at its alphabetical
  // place among its siblings.
  QTreeWidgetItem* InsertItem(const QString& text, int image, QTreeWidgetItem* parent = nullptr,
                              bool sorted = false);

  // Sets one item's state without propagation or notification.
  static void SetCheck(QTreeWidgetItem* item, bool checked);
  [[nodiscard]] static bool GetCheck(const QTreeWidgetItem* item);

  // Gives the item the opposite state and applies the propagation rules, as a user toggle does.
  void ToggleCheck(QTreeWidgetItem* item);

  // A user toggle: ToggleCheck, then OnCheckToggled and checkToggled.
  void UserToggle(QTreeWidgetItem* item, Trigger trigger);

  [[nodiscard]] QTreeWidgetItem* ItemFromIndex(const QModelIndex& index) const { return itemFromIndex(index); }
  [[nodiscard]] QModelIndex IndexOf(const QTreeWidgetItem* item) const { return indexFromItem(item); }

  // Where the item's check box is drawn, in viewport coordinates.
  [[nodiscard]] QRect CheckBoxRect(QTreeWidgetItem* item) const;

  void SetExclusive(bool exclusive) { exclusive_ = exclusive; }
  [[nodiscard]] bool IsExclusive() const { return exclusive_; }

 signals:
  // A user toggle changed `item` and propagated.
  void checkToggled(QTreeWidgetItem* item, tvk::CTMCheckTreeCtrl::Trigger trigger);

 protected:
  // Runs after every user toggle; the default does nothing.
  virtual void OnCheckToggled(QTreeWidgetItem* item, Trigger trigger);

  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  [[nodiscard]] bool OnCheckBox(QTreeWidgetItem* item, const QPoint& pos) const {
    return item != nullptr && CheckBoxRect(item).contains(pos);
  }
  friend class CheckTreeItem;

  void Propagate(QTreeWidgetItem* item);
  void Toggled(QTreeWidgetItem* item, Trigger trigger);
  // An item's check state was set from outside (model or item setData).
  void CheckStateSet(QTreeWidgetItem* item);

  QList<QIcon> icons_;
  bool exclusive_ = false;
  QTreeWidgetItem* pressedOnCheckBox_ = nullptr;
  bool settingChecks_ = false;  // our own SetCheck calls, which never propagate
};

// The log tree: tells its parent about check changes made with the mouse.
class CAppTreeCtrl : public CTMCheckTreeCtrl {
  Q_OBJECT

 public:
  // Posted to the parent widget after a click on a check box, a double-click on a check box or on an item
  // without children, and the accessible toggle action.
  static constexpr QEvent::Type kCheckChangedEvent = static_cast<QEvent::Type>(QEvent::User + 1183);

  using CTMCheckTreeCtrl::CTMCheckTreeCtrl;

 protected:
  void OnCheckToggled(QTreeWidgetItem* item, Trigger trigger) override;
};

}  // namespace tvk
