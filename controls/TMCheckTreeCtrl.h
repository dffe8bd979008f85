#pragma once
// Tree with a check box on every item. A user toggle (a click on a check box, a double-click on an item
// without children, the space key on the current item) propagates: every item below gets the same state
// and every ancestor is checked exactly when all its children are. In exclusive mode checking an item
// clears all others instead.

#include <QEvent>
#include <QIcon>
#include <QList>
#include <QTreeWidget>

namespace tvk {

class CTMCheckTreeCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  enum class Trigger { Click, DoubleClick, Key };

  explicit CTMCheckTreeCtrl(QWidget* parent = nullptr);

  // Icons by image index, as an image list gives them.
  void SetIcons(const QList<QIcon>& icons);
  // Inserts an unchecked item under `parent` (the top level when null), at the end or at its alphabetical
  // place among its siblings.
  QTreeWidgetItem* InsertItem(const QString& text, int image, QTreeWidgetItem* parent = nullptr,
                              bool sorted = false);

  // Sets one item's state without propagation.
  static void SetCheck(QTreeWidgetItem* item, bool checked);
  [[nodiscard]] static bool GetCheck(const QTreeWidgetItem* item);

  // Gives the item the opposite state and applies the propagation rules, as a user toggle does.
  void ToggleCheck(QTreeWidgetItem* item);

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
  void Propagate(QTreeWidgetItem* item);
  void Toggled(QTreeWidgetItem* item, Trigger trigger);

  QList<QIcon> icons_;
  bool exclusive_ = false;
  QTreeWidgetItem* pressedOnCheckBox_ = nullptr;
};

// The log tree: tells its parent about check changes made with the mouse.
class CAppTreeCtrl : public CTMCheckTreeCtrl {
  Q_OBJECT

 public:
  // Posted to the parent widget after a click on a check box and after a double-click on a check box or on
  // an item without children.
  static constexpr QEvent::Type kCheckChangedEvent = static_cast<QEvent::Type>(QEvent::User + 1183);

  using CTMCheckTreeCtrl::CTMCheckTreeCtrl;

 protected:
  void OnCheckToggled(QTreeWidgetItem* item, Trigger trigger) override;
};

}  // namespace tvk
