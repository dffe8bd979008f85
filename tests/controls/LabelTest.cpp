#include <gtest/gtest.h>

#include <QAccessible>
#include <QTest>

#include "controls/ImageExt.h"
#include "controls/Images.h"
#include "controls/Label.h"

namespace tvk {
namespace {

struct PaintCounter : QObject {
  int paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
};

TEST(Label, SetTextRepaintsOnlyWhenTheTextChanges) {
  CLabel label("Loading files...");
  label.show();
  QCoreApplication::processEvents();
  PaintCounter counter;
  label.installEventFilter(&counter);

  label.SetText("Loading files...");
  QCoreApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);

  label.SetText("Select the logs to correct");
  QCoreApplication::processEvents();
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(label.GetText(), "Select the logs to correct");
}

TEST(Label, VisibleTextIsTheAccessibleNameAndHoverTextTheDescription) {
  CLabel label("Site: North Well 7");
  label.SetToolTipText("Site: North Well 7\nLog: Log 1.vxl");
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&label);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Name), "Site: North Well 7");
  EXPECT_EQ(accessible->text(QAccessible::Description), "Site: North Well 7\nLog: Log 1.vxl");
}

TEST(Label, TransparencyDecidesWhetherTheBackgroundIsPainted) {
  CLabel label("Depth");
  EXPECT_TRUE(label.autoFillBackground());
  label.SetTransparent(true);
  EXPECT_FALSE(label.autoFillBackground());
}

TEST(Label, LinkAddressByMode) {
  struct Case {
    CLabel::LinkMode mode;
    const char* target;
    const char* address;
  };
  const Case cases[] = {
      {CLabel::LinkMode::None, "", ""},
      {CLabel::LinkMode::Url, "", "example.org/help"},
      {CLabel::LinkMode::Url, "https://example.org/manual", "https://example.org/manual"},
      {CLabel::LinkMode::Mail, "ignored", "mailto:example.org/help"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    CLabel label("example.org/help");
    label.SetLink(c.mode, c.target);
    EXPECT_EQ(label.LinkAddress(), c.address);
    EXPECT_EQ(label.cursor().shape() == Qt::PointingHandCursor, c.mode != CLabel::LinkMode::None);
  }
}

TEST(ImageExt, TransparentColourIsNotDrawn) {
  CImageExt bulb;
  ASSERT_TRUE(bulb.SetBitmap(ImageId::LightBulb));
  bulb.resize(32, 32);
  for (const qreal dpr : {1.0, 2.0}) {
    SCOPED_TRACE(dpr);
    bulb.SetTransparentColor(QColor());
    const QImage keyed = bulb.Rendered(dpr).toImage();
    ASSERT_EQ(keyed.size(), QSize(32, 32) * dpr);
    EXPECT_EQ(keyed.pixelColor(0, 0), QColor(0, 255, 0));  // the corner is the green key colour
    bulb.SetTransparentColor(QColor(0, 255, 0));
    const QImage image = bulb.Rendered(dpr).toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 3).alpha(), 255);  // the bulb itself
  }
}

}  // namespace
}  // namespace tvk
