#pragma once
// What assistive technology sees of a check tree. The item view's own interface reports an item as
// checkable only while it is checked, and its items' toggle action changes the selection; this one
// reports every checkable item with its state and makes the toggle action a user toggle of the check
// box. The layout of children is the item view's (a header cell per column, then one cell per column
// of every shown row), so the view's own accessibility events still name the right child.

class QTreeWidgetItem;

namespace tvk {

class CTMCheckTreeCtrl;

// Installs the interface factory once; the tree's constructor calls it.
void InstallCheckTreeAccessibility();

// Tells assistive technology, when it listens, that the item's check state changed.
void NotifyCheckStateChanged(CTMCheckTreeCtrl& tree, const QTreeWidgetItem& item);

}  // namespace tvk
