#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>

#include "tests/wizard/WizardTestSupport.h"

namespace tvk::test {
namespace {

QString AccessibleName(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

TEST(WizardAccessibility, ButtonsAndFieldsCarryNamesAndTabRunsThroughThePagesInOrder) {
  TempFolder dir;
  auto sheet = OpenSheet({WriteAcceptedLog(dir)});

  const std::pair<int, const char*> buttons[] = {
      {wizard::kIdOk, "OK"}, {wizard::kIdCancel, "Cancel"}, {wizard::kIdNext, "Next"}, {wizard::kIdBack, "Back"}};
  for (const auto& [id, name] : buttons) {
    EXPECT_EQ(AccessibleName(sheet->Button(id)), name);
    EXPECT_EQ(sheet->Button(id)->toolTip(), name);  // the image alone says nothing to a sighted user either
  }
  EXPECT_EQ(AccessibleName(&sheet->ModePage()), "Level measurement mode");

  // Every field a user types into or picks from is named, by its label or its own name.
  struct Field {
    QWidget* page;
    int controlId;
    const char* name;
  };
  const Field fields[] = {
      {&sheet->ReferencePage(), 1030, "New level reference:"},
      {&sheet->ReferencePage(), 1032, "Data points:"},
      {&sheet->ReferencePage(), 1003, "Date:"},
      {&sheet->ReferencePage(), 1004, "Time:"},
      {&sheet->SpecificGravityPage(), 1008, "Specific gravity"},
      {&sheet->LogListPage(), 1000, "Logs:"},
  };
  for (const Field& field : fields) {
    SCOPED_TRACE(field.controlId);
    QWidget* widget = wizard::Control(field.page, field.controlId);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(AccessibleName(widget), field.name);
  }

  // Tab runs through the page before it reaches the buttons.
  QWidget* first = wizard::Control(&sheet->ModePage(), 1003);
  first->setFocus();
  EXPECT_NE(first->nextInFocusChain(), sheet->Button(wizard::kIdCancel));
  QWidget* w = first;
  while (w != sheet->Button(wizard::kIdCancel) && w != first->previousInFocusChain()) w = w->nextInFocusChain();
  EXPECT_EQ(w->nextInFocusChain(), sheet->Button(wizard::kIdBack));

  // Within a page, top to bottom and left to right.
  const std::pair<QWidget*, std::vector<int>> pages[] = {
      {&sheet->ReferencePage(), {1001, 1002, 1003, 1004, 1032, 1030, 1081, 1082, 1083}},
      {&sheet->SpecificGravityPage(), {1009, 1010, 1006, 1007, 1008}},
  };
  for (const auto& [page, expected] : pages) {
    std::vector<int> order;
    w = wizard::Control(page, expected.front());
    do {
      if (w->focusPolicy() & Qt::TabFocus && ControlId(*w) >= 0 && page->isAncestorOf(w)) order.push_back(ControlId(*w));
      w = w->nextInFocusChain();
    } while (w != wizard::Control(page, expected.front()));
    EXPECT_EQ(order, expected);
  }
}

// The reference page's title names the mode in quotes on one line (or breaks before the quote), at 100 %
// and 200 %; the images are kept for looking at.
TEST(WizardLayout, TheReferenceTitleKeepsTheQuotedModeOnOneLine) {
  TempFolder dir;
  auto sheet = OpenSheet({WriteAcceptedLog(dir)});
  ClickControl(sheet->ModePage(), 1002);  // elevation or gauge height/stage: the longest name
  Click(*sheet, wizard::kIdNext);
  ASSERT_EQ(sheet->CurrentPage(), &sheet->ReferencePage());
  auto* title = wizard::Control<QLabel>(&sheet->ReferencePage(), 1062);
  ASSERT_NE(title, nullptr);
  const QString text = title->text();
  ASSERT_TRUE(text.contains(QStringLiteral("\"Elevation or gauge height/stage\""))) << text.toStdString();
  const QFontMetrics metrics(title->font());
  EXPECT_LE(metrics.horizontalAdvance(text), title->contentsRect().width()) << text.toStdString();
  SaveSnapshots(*sheet, "reference-title");
}

}  // namespace
}  // namespace tvk::test
