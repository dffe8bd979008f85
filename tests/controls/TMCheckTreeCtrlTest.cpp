#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>
#include <string>
#include <vector>

#include "controls/TMCheckTreeCtrl.h"

namespace tvk {
namespace {

// root
//   siteA: a1, a2
//   siteB: b1
struct Tree {
  QWidget parent;
  CAppTreeCtrl* tree = new CAppTreeCtrl(&parent);
  QTreeWidgetItem* root = tree->InsertItem("root", 0);
  QTreeWidgetItem* siteA = tree->InsertItem("siteA", 1, root);
  QTreeWidgetItem* a1 = tree->InsertItem("a1", 2, siteA);
  QTreeWidgetItem* a2 = tree->InsertItem("a2", 2, siteA);
  QTreeWidgetItem* siteB = tree->InsertItem("siteB", 1, root);
  QTreeWidgetItem* b1 = tree->InsertItem("b1", 2, siteB);

  // What the tree told: checkToggled items, and check-changed events posted to its parent.
  std::vector<QTreeWidgetItem*> toggled;
  int posted = 0;
  struct PostCounter : QObject {
    int* count;
    explicit PostCounter(int* c) : count(c) {}
    bool eventFilter(QObject*, QEvent* e) override {
      *count += e->type() == CAppTreeCtrl::kCheckChangedEvent;
      return false;
    }
  } counter{&posted};

  Tree() {
    parent.resize(300, 300);
    tree->resize(300, 300);
    tree->expandAll();
    parent.show();
    parent.installEventFilter(&counter);
    QObject::connect(tree, &CTMCheckTreeCtrl::checkToggled, [this](QTreeWidgetItem* i) { toggled.push_back(i); });
  }
  // Check states as a string in tree order: root, siteA, a1, a2, siteB, b1.
  std::string States() const {
    std::string states;
    for (QTreeWidgetItem* item : {root, siteA, a1, a2, siteB, b1}) {
      states += CTMCheckTreeCtrl::GetCheck(item) ? 'x' : '.';
    }
    return states;
  }
  void Set(const std::string& states) {
    int i = 0;
    for (QTreeWidgetItem* item : {root, siteA, a1, a2, siteB, b1}) {
      CTMCheckTreeCtrl::SetCheck(item, states[i++] == 'x');
    }
  }
  QTreeWidgetItem* ByName(const std::string& name) const {
    return tree->findItems(QString::fromStdString(name), Qt::MatchExactly | Qt::MatchRecursive).value(0);
  }
};

// The events a real double-click delivers: press, release, press, double-click, release.
void DoubleClick(QWidget* widget, QPoint pos) {
  QTest::mousePress(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
  QTest::mousePress(widget, Qt::LeftButton, {}, pos);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
  QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

// The cell of `item` as assistive technology finds it: among the children of the view's interface.
QAccessibleInterface* CellOf(CTMCheckTreeCtrl* tree, const QTreeWidgetItem* item) {
  QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree);
  for (int i = 0; view != nullptr && i < view->childCount(); ++i) {
    QAccessibleInterface* cell = view->child(i);
    if (cell != nullptr && cell->role() == QAccessible::TreeItem && cell->text(QAccessible::Name) == item->text(0)) {
      return cell;
    }
  }
  return nullptr;
}

enum Way { kClickBox, kSpace, kDoubleClick, kAction, kSetData, kClickText, kDoubleClickBox };

void Act(Tree& t, QTreeWidgetItem* item, Way way) {
  QWidget* viewport = t.tree->viewport();
  switch (way) {
    case kClickBox: QTest::mouseClick(viewport, Qt::LeftButton, {}, t.tree->CheckBoxRect(item).center()); break;
    case kClickText: QTest::mouseClick(viewport, Qt::LeftButton, {}, t.tree->visualItemRect(item).center()); break;
    case kDoubleClick: DoubleClick(viewport, t.tree->visualItemRect(item).center()); break;
    case kDoubleClickBox: DoubleClick(viewport, t.tree->CheckBoxRect(item).center()); break;
    case kSpace:
      t.tree->setCurrentItem(item);
      QTest::keyClick(t.tree, Qt::Key_Space);
      break;
    case kAction: {
      QAccessibleActionInterface* actions = CellOf(t.tree, item)->actionInterface();
      ASSERT_NE(actions, nullptr);
      ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
      actions->doAction(QAccessibleActionInterface::toggleAction());
      break;
    }
    case kSetData: t.tree->model()->setData(t.tree->IndexOf(item), Qt::Checked, Qt::CheckStateRole); break;
  }
  QCoreApplication::processEvents();
}

TEST(CheckTree, ToggleSpreadsDownAndChecksAncestorsWhenAllChildrenAre) {
  struct Case {
    const char* before;
    const char* item;
    const char* after;
  };
  const Case cases[] = {
      {"......", "a1", "..x..."},  // one of two children: parent stays clear
      {"..x...", "a2", ".xxx.."},  // last child: parent, but not root (siteB clear)
      {"..x.xx", "a2", "xxxxxx"},  // all children everywhere: up to the root
      {"xxxxxx", "b1", ".xxx.."},  // clearing a child clears its ancestors only
      {"......", "siteA", ".xxx.."}, {"......", "root", "xxxxxx"}, {"xxxxxx", "root", "......"},
      {".x.x..", "siteA", "......"},  // a checked parent clears all below, even inconsistent ones
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.before) + " toggle " + c.item);
    Tree t;
    t.Set(c.before);
    t.tree->ToggleCheck(t.ByName(c.item));
    EXPECT_EQ(t.States(), c.after);
  }
}

TEST(CheckTree, ExclusiveModeClearsEveryOtherItem) {
  Tree t;
  t.tree->SetExclusive(true);
  t.Set("x.x..x");
  t.tree->ToggleCheck(t.a2);
  EXPECT_EQ(t.States(), "...x..");
  t.tree->ToggleCheck(t.a2);
  EXPECT_EQ(t.States(), "......");
}

// Every way of ticking an item, on a root, a site and a log, gives the propagated state a click gives,
// as assistive technology reads it too, with one notification; only the mouse and the reader's action
// tell the parent window.
TEST(CheckTree, EveryWayOfTickingGivesTheSameStateAndAssistiveTechnologySeesIt) {
  const std::pair<const char*, const char*> items[] = {{"root", "xxxxxx"}, {"siteA", ".xxx.."}, {"a1", "..x..."}};
  const std::pair<Way, int> ways[] = {{kClickBox, 1}, {kSpace, 0}, {kDoubleClick, 1}, {kAction, 1}, {kSetData, 0}};
  for (const auto& [name, after] : items) {
    for (const auto& [way, posted] : ways) {
      SCOPED_TRACE(std::string(name) + " way " + std::to_string(way));
      Tree t;
      QTreeWidgetItem* item = t.ByName(name);
      if (way == kDoubleClick && item->childCount() > 0) continue;  // expands instead
      std::string seen;
      for (QTreeWidgetItem* each : {t.root, t.siteA, t.a1, t.a2, t.siteB, t.b1}) {
        QAccessibleInterface* cell = CellOf(t.tree, each);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(cell->state().checkable);  // also before any tick, so "not checked" is said
        EXPECT_FALSE(cell->state().checked);
      }
      Act(t, item, way);
      EXPECT_EQ(t.States(), after);
      for (QTreeWidgetItem* each : {t.root, t.siteA, t.a1, t.a2, t.siteB, t.b1}) {
        seen += CellOf(t.tree, each)->state().checked ? 'x' : '.';
      }
      EXPECT_EQ(seen, after);
      EXPECT_EQ(t.toggled, std::vector<QTreeWidgetItem*>{item});
      EXPECT_EQ(t.posted, posted);
    }
  }
}

TEST(CheckTree, GesturesThatDoNotTickOnceAndSetCheck) {
  struct Case {
    const char* name;
    const char* item;
    Way way;
    const char* after;
    std::size_t toggles;
    int posted;
    bool expanded;
  };
  const Case cases[] = {
      {"click on the text", "a1", kClickText, "......", 0, 0, true},
      {"double-click on a parent collapses it", "siteA", kDoubleClick, "......", 0, 0, false},
      {"double-click on a check box toggles twice", "a1", kDoubleClickBox, "......", 2, 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tree t;
    QTreeWidgetItem* item = t.ByName(c.item);
    Act(t, item, c.way);
    EXPECT_EQ(t.States(), c.after);
    EXPECT_EQ(t.toggled.size(), c.toggles);
    EXPECT_EQ(t.posted, c.posted);
    EXPECT_EQ(t.siteA->isExpanded(), c.expanded);
  }
  Tree t;
  CTMCheckTreeCtrl::SetCheck(t.siteA, true);
  EXPECT_EQ(t.States(), ".x....") << "SetCheck does not propagate";
  EXPECT_TRUE(t.toggled.empty());
}

TEST(CheckTree, SortedInsertPlacesItemsAlphabeticallyAmongSiblings) {
  CTMCheckTreeCtrl tree;
  QTreeWidgetItem* root = tree.InsertItem("Site Data", 0);
  for (const char* name : {"delta", "Alpha", "charlie", "Bravo"}) {
    tree.InsertItem(name, 1, root, true);
  }
  QStringList order;
  for (int i = 0; i < root->childCount(); ++i) {
    order << root->child(i)->text(0);
  }
  EXPECT_EQ(order.join(','), "Alpha,Bravo,charlie,delta");
  EXPECT_TRUE(root->child(0)->flags().testFlag(Qt::ItemIsUserCheckable));  // what assistive technology reads
}

}  // namespace
}  // namespace tvk
