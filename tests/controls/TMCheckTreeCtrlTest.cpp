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

  Tree() {
    parent.resize(300, 300);
    tree->resize(300, 300);
    tree->expandAll();
    parent.show();
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

TEST(CheckTree, MouseAndKeyToggleAndOnlyMouseTellsTheParent) {
  struct Case {
    const char* name;
    const char* item;
    int action;  // 0 click on the check box, 1 click on the text, 2 double-click on the text,
                 // 3 space key, 4 double-click on the check box
    const char* after;
    int events;
  };
  const Case cases[] = {
      {"click on a check box", "siteA", 0, ".xxx..", 1},
      {"click on the text", "a1", 1, "......", 0},
      {"double-click on a leaf", "b1", 2, "....xx", 1},
      {"double-click on a parent expands, no toggle", "siteA", 2, "......", 0},
      {"space on the current item", "siteB", 3, "....xx", 0},
      {"double-click on a check box toggles twice", "a1", 4, "......", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Tree t;
    QTreeWidgetItem* item = t.ByName(c.item);
    const QPoint text = t.tree->visualItemRect(item).center();
    QWidget* viewport = t.tree->viewport();
    switch (c.action) {
      case 0:
        QTest::mouseClick(viewport, Qt::LeftButton, {}, t.tree->CheckBoxRect(item).center());
        break;
      case 1:
        QTest::mouseClick(viewport, Qt::LeftButton, {}, text);
        break;
      case 2:
        DoubleClick(viewport, text);
        break;
      case 4:
        DoubleClick(viewport, t.tree->CheckBoxRect(item).center());
        break;
      case 3:
        t.tree->setCurrentItem(item);
        QTest::keyClick(t.tree, Qt::Key_Space);
        break;
    }
    int events = 0;
    struct Counter : QObject {
      int* count;
      explicit Counter(int* c) : count(c) {}
      bool eventFilter(QObject*, QEvent* e) override {
        *count += e->type() == CAppTreeCtrl::kCheckChangedEvent;
        return false;
      }
    } counter(&events);
    t.parent.installEventFilter(&counter);
    QCoreApplication::processEvents();
    EXPECT_EQ(t.States(), c.after);
    EXPECT_EQ(events, c.events);
  }
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

// Every way of ticking an item, on a root, a site and a log, gives the propagated state a click gives,
// as assistive technology reads it too, with one notification.
TEST(CheckTree, EveryWayOfTickingGivesTheSameStateAndAssistiveTechnologySeesIt) {
  enum Way { kClick, kSpace, kDoubleClick, kAction, kSetData };
  struct Case {
    const char* item;
    const char* after;
  };
  const Case items[] = {{"root", "xxxxxx"}, {"siteA", ".xxx.."}, {"a1", "..x..."}};
  const std::pair<Way, int> ways[] = {{kClick, 1}, {kSpace, 0}, {kDoubleClick, 1}, {kAction, 1}, {kSetData, 0}};
  for (const Case& c : items) {
    for (const auto& [way, events] : ways) {
      SCOPED_TRACE(std::string(c.item) + " way " + std::to_string(way));
      Tree t;
      QTreeWidgetItem* item = t.ByName(c.item);
      if (way == kDoubleClick && item->childCount() > 0) continue;  // expands instead
      for (QTreeWidgetItem* each : {t.root, t.siteA, t.a1, t.a2, t.siteB, t.b1}) {
        QAccessibleInterface* cell = CellOf(t.tree, each);
        ASSERT_NE(cell, nullptr);
        EXPECT_TRUE(cell->state().checkable);  // also before any tick, so "not checked" is said
        EXPECT_FALSE(cell->state().checked);
      }
      std::vector<QTreeWidgetItem*> toggled;
      QObject::connect(t.tree, &CTMCheckTreeCtrl::checkToggled, [&toggled](QTreeWidgetItem* i) { toggled.push_back(i); });
      int posted = 0;
      struct Counter : QObject {
        int* count;
        explicit Counter(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override {
          *count += e->type() == CAppTreeCtrl::kCheckChangedEvent;
          return false;
        }
      } counter(&posted);
      t.parent.installEventFilter(&counter);
      QWidget* viewport = t.tree->viewport();
      switch (way) {
        case kClick:
          QTest::mouseClick(viewport, Qt::LeftButton, {}, t.tree->CheckBoxRect(item).center());
          break;
        case kSpace:
          t.tree->setCurrentItem(item);
          QTest::keyClick(t.tree, Qt::Key_Space);
          break;
        case kDoubleClick:
          DoubleClick(viewport, t.tree->visualItemRect(item).center());
          break;
        case kAction: {
          QAccessibleActionInterface* actions = CellOf(t.tree, item)->actionInterface();
          ASSERT_NE(actions, nullptr);
          ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
          actions->doAction(QAccessibleActionInterface::toggleAction());
          break;
        }
        case kSetData:
          t.tree->model()->setData(t.tree->IndexOf(item), Qt::Checked, Qt::CheckStateRole);
          break;
      }
      QCoreApplication::processEvents();
      EXPECT_EQ(t.States(), c.after);
      std::string seen;
      for (QTreeWidgetItem* each : {t.root, t.siteA, t.a1, t.a2, t.siteB, t.b1}) {
        seen += CellOf(t.tree, each)->state().checked ? 'x' : '.';
      }
      EXPECT_EQ(seen, c.after);
      EXPECT_EQ(toggled, std::vector<QTreeWidgetItem*>{item});
      EXPECT_EQ(posted, events);
    }
  }
}

TEST(CheckTree, SetCheckNeitherPropagatesNorTells) {
  Tree t;
  int toggled = 0;
  QObject::connect(t.tree, &CTMCheckTreeCtrl::checkToggled, [&toggled] { ++toggled; });
  CTMCheckTreeCtrl::SetCheck(t.siteA, true);
  EXPECT_EQ(t.States(), ".x....");
  EXPECT_EQ(toggled, 0);
}

TEST(CheckTree, DoubleClickOnAParentCollapsesIt) {
  Tree t;
  ASSERT_TRUE(t.siteA->isExpanded());
  DoubleClick(t.tree->viewport(), t.tree->visualItemRect(t.siteA).center());
  EXPECT_FALSE(t.siteA->isExpanded());
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
