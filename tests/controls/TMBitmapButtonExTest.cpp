#include <gtest/gtest.h>

#include <QAccessible>
#include <QCursor>
#include <QEnterEvent>
#include <QTest>

#include "controls/Images.h"
#include "controls/TMBitmapButtonEx.h"

namespace tvk {
namespace {

using Face = CTMBitmapButtonEx::Face;

struct OkButton {
  QWidget window;
  CTMBitmapButtonEx* button = new CTMBitmapButtonEx(&window);
  OkButton() {
    EXPECT_TRUE(
        button->LoadBitmaps(ImageId::OkNormal, ImageId::OkHot, ImageId::OkNormal, ImageId::OkDisabled));
    // The pointer stays away from the window, so only the events a test sends move it in and out.
    QCursor::setPos(QPoint(790, 590));
    window.resize(200, 100);
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  void Enter() {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(button, &enter);
  }
  void Leave() {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
  }
};

TEST(BitmapButton, TakesTheSizeOfItsImagesAndAHandCursorOnlyWhileEnabled) {
  OkButton ok;
  EXPECT_EQ(ok.button->size(), ImageSize(ImageId::OkNormal));
  EXPECT_FALSE(ok.button->LoadBitmaps(999999, 0, 0, 0));
  EXPECT_EQ(ok.button->cursor().shape(), Qt::PointingHandCursor);
  ok.button->setEnabled(false);
  EXPECT_NE(ok.button->cursor().shape(), Qt::PointingHandCursor);
  ok.button->setEnabled(true);
  EXPECT_EQ(ok.button->cursor().shape(), Qt::PointingHandCursor);
}

TEST(BitmapButton, FaceFollowsEnabledPressedCheckedAndHover) {
  struct Case {
    const char* name;
    bool enabled, down, checked, hot;
    Face face;
  };
  const Case cases[] = {
      {"plain", true, false, false, false, Face::Normal},
      {"hover", true, false, false, true, Face::Hot},
      {"pressed beats hover", true, true, false, true, Face::Pressed},
      {"checked shows pressed", true, false, true, false, Face::Pressed},
      {"disabled beats everything", false, true, true, true, Face::Disabled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OkButton ok;
    ok.button->setEnabled(c.enabled);
    ok.button->setDown(c.down);
    ok.button->SetCheck(c.checked);
    if (c.hot) {
      ok.Enter();
      EXPECT_TRUE(QTest::qWaitFor([&] { return ok.button->IsHot(); }, 1000));  // reported after 1 ms
    }
    EXPECT_EQ(ok.button->CurrentFace(), c.face);
  }
}

TEST(BitmapButton, HoverEndsWhenTheMouseLeavesAndClicksKeepTheCheckedFlag) {
  OkButton ok;
  ok.Enter();
  EXPECT_FALSE(ok.button->IsHot());  // not before the delay
  EXPECT_TRUE(QTest::qWaitFor([&] { return ok.button->IsHot(); }, 1000));
  ok.Leave();
  EXPECT_FALSE(ok.button->IsHot());

  ok.button->SetCheck(true);
  QTest::mouseClick(ok.button, Qt::LeftButton);
  EXPECT_TRUE(ok.button->GetCheck());
  EXPECT_EQ(ok.button->CurrentFace(), Face::Pressed);
}

TEST(BitmapButton, CaptionIsShortenedFromTheEndToFit) {
  OkButton ok;
  ok.button->setText("OK");
  EXPECT_EQ(ok.button->ShownCaption(), "OK");
  const QString longCaption = "Continue with the next log file";
  ok.button->setText(longCaption);
  const QString shown = ok.button->ShownCaption();
  EXPECT_LT(shown.size(), longCaption.size());
  EXPECT_TRUE(longCaption.startsWith(shown.chopped(1)));  // the last character is the ellipsis
  EXPECT_LE(ok.button->fontMetrics().horizontalAdvance(shown), ok.button->width());
}

TEST(BitmapButton, AccessibleNameIsTheCaptionOrTheNameSet) {
  OkButton ok;
  ok.button->setText("Finish");
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(ok.button);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Name), "Finish");
  ok.button->setText(QString());
  ok.button->setAccessibleName("OK");
  EXPECT_EQ(accessible->text(QAccessible::Name), "OK");
  EXPECT_EQ(accessible->role(), QAccessible::Button);
}

}  // namespace
}  // namespace tvk
