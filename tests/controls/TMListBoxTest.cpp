#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>

#include "controls/TMListBox.h"

namespace tvk {
namespace {

constexpr int kMillion = 1000000;

TEST(ListBox, HoldsAMillionLinesAddedOneByOne) {
  CTMListBox list;
  list.resize(200, 150);
  list.show();
  for (int i = 0; i < kMillion; ++i) {
    ASSERT_EQ(list.AddString(QString::number(i)), i);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(list.GetCount(), kMillion);
  EXPECT_EQ(list.GetText(kMillion - 1), "999999");
  list.SetCurSel(kMillion / 2);
  EXPECT_EQ(list.GetCurSel(), kMillion / 2);
  EXPECT_EQ(list.DeleteString(0), kMillion - 1);
  list.ResetContent();
  EXPECT_EQ(list.GetCount(), 0);
}

// Rows formatted on demand, counting how many the view asked for.
class CountingModel : public QAbstractListModel {
 public:
  mutable int formatted = 0;
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kMillion; }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole) {
      return {};
    }
    ++formatted;
    return QStringLiteral("row %1").arg(index.row());
  }
};

TEST(ListBox, ACustomModelIsFormattedOnlyForTheRowsShown) {
  CTMListBox list;
  CountingModel model;
  list.setModel(&model);
  list.resize(200, 150);
  list.show();
  list.SetTopIndex(kMillion - 10);
  QTest::qWait(10);
  EXPECT_EQ(list.GetCount(), kMillion);
  EXPECT_EQ(list.AddString("refused"), -1);  // lines belong to the string model
  EXPECT_EQ(list.GetText(7), "row 7");
  EXPECT_LT(model.formatted, 1000);
  list.UseStringModel();
  EXPECT_EQ(list.AddString("first"), 0);
}

TEST(ListBox, AutoScrollAndExtentOptions) {
  struct Case {
    bool autoScroll;
    bool extent;
  };
  for (const Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
    SCOPED_TRACE(testing::Message() << "autoScroll " << c.autoScroll << " extent " << c.extent);
    CTMListBox list;
    list.SetAutoScroll(c.autoScroll);
    list.SetExtentTracking(c.extent);
    list.resize(120, 100);
    list.show();
    const QString wide = "a line much wider than the list box itself, so it needs scrolling";
    for (int i = 0; i < 100; ++i) {
      list.AddString(i == 50 ? wide : QString::number(i));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(list.GetTopIndex() > 50, c.autoScroll);
    if (c.extent) {
      EXPECT_GE(list.GetHorizontalExtent(), list.fontMetrics().horizontalAdvance(wide));
      EXPECT_GT(list.horizontalScrollBar()->maximum(), 0);
    } else {
      EXPECT_EQ(list.GetHorizontalExtent(), 0);
      EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
  }
}

}  // namespace
}  // namespace tvk
