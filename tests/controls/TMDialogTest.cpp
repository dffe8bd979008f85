#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/ControlId.h"
#include "controls/Images.h"
#include "controls/TMDialog.h"

namespace tvk {
namespace {

// Records what the OK and Cancel actions were asked to do instead of ending the dialog.
class RecordingDialog : public CTMDialog {
 public:
  RecordingDialog() : CTMDialog(100) {}
  int okCount = 0;
  int cancelCount = 0;
  void OnOK() override { ++okCount; }
  void OnCancel() override { ++cancelCount; }
};

TEST(TMDialog, EnterAndEscapeFollowTheSwallowRulesAndEnterPrefersTheDefaultButton) {
  struct Case {
    const char* name;
    bool controlStyle;
    bool swallow;
    bool defaultButton;
    Qt::Key key;
    int ok;
    int cancel;
  };
  const Case cases[] = {
      {"enter runs OK", false, false, false, Qt::Key_Return, 1, 0},
      {"keypad enter runs OK", false, false, false, Qt::Key_Enter, 1, 0},
      {"escape runs Cancel", false, false, false, Qt::Key_Escape, 0, 1},
      {"control style swallows enter", true, false, false, Qt::Key_Return, 0, 0},
      {"control style swallows escape", true, false, false, Qt::Key_Escape, 0, 0},
      {"swallow flag swallows enter", false, true, false, Qt::Key_Return, 0, 0},
      {"swallow flag swallows escape", false, true, false, Qt::Key_Escape, 0, 0},
      {"enter clicks the default button instead", false, false, true, Qt::Key_Return, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDialog dialog;
    dialog.SetControlStyle(c.controlStyle);
    dialog.SetSwallowEnterEscape(c.swallow);
    int clicks = 0;
    if (c.defaultButton) {
      auto* next = new QPushButton("Next", &dialog);
      next->setDefault(true);
      QObject::connect(next, &QPushButton::clicked, [&clicks] { ++clicks; });
    }
    dialog.show();
    QTest::keyClick(&dialog, c.key);
    EXPECT_EQ(dialog.okCount, c.ok);
    EXPECT_EQ(dialog.cancelCount, c.cancel);
    EXPECT_EQ(clicks, c.defaultButton ? 1 : 0);
  }
}

TEST(TMDialog, DeferredCommandIsPostedOnceWhenTheTimerFires) {
  RecordingDialog dialog;
  auto* button = new QPushButton(&dialog);
  SetControlId(*button, 10223);
  QSignalSpy clicks(button, &QPushButton::clicked);
  QSignalSpy commands(&dialog, &CTMDialog::commandReceived);

  dialog.SetDeferredCommand(10223, 5);
  EXPECT_EQ(dialog.PendingCommand(), 10223);
  EXPECT_TRUE(commands.isEmpty());
  ASSERT_TRUE(commands.wait(2000));
  EXPECT_EQ(commands.takeFirst().at(0).toInt(), 10223);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(dialog.PendingCommand(), 0);

  QTest::qWait(30);  // the timer stopped: nothing more arrives
  EXPECT_TRUE(commands.isEmpty());
  EXPECT_EQ(clicks.count(), 1);
}

TEST(TMDialog, WindowSizeIsClampedToTheLimits) {
  struct Case {
    QSize min, max, asked, expected;
  };
  const Case cases[] = {
      {{}, {}, {500, 400}, {500, 400}},
      {{300, 200}, {}, {100, 100}, {300, 200}},
      {{}, {640, 480}, {900, 300}, {640, 300}},
      {{300, 200}, {640, 480}, {1000, 100}, {640, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.asked.width() << "x" << c.asked.height());
    CTMDialog dialog(100);
    dialog.SetMinSize(c.min);
    dialog.SetMaxSize(c.max);
    dialog.SetWindowSize(c.asked.width(), c.asked.height());
    EXPECT_EQ(dialog.frameGeometry().size(), c.expected);
    dialog.SetClientSize(c.asked.width(), c.asked.height());
    EXPECT_EQ(dialog.frameGeometry().size(), c.expected);
  }
}

TEST(TMDialog, BackgroundIsComposedOncePerSize) {
  CTMDialog dialog(1000);
  dialog.SetBackgroundBitmap(ImageId::PageBackground);
  dialog.SetClientSize(300, 200);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  dialog.repaint();
  dialog.repaint();
  EXPECT_EQ(dialog.BackgroundBuildCount(), 1);
  dialog.SetBackgroundBitmap(ImageId::PageBackground);  // the same image: nothing to do
  dialog.repaint();
  EXPECT_EQ(dialog.BackgroundBuildCount(), 1);
  dialog.SetClientSize(320, 200);
  dialog.repaint();
  EXPECT_EQ(dialog.BackgroundBuildCount(), 2);
  dialog.FitToBackground();
  EXPECT_EQ(dialog.size(), ImageSize(ImageId::PageBackground));
}

TEST(TMDialog, EveryLiveDialogIsListed) {
  const auto before = CTMDialog::OpenDialogs().size();
  {
    CTMDialog first(1);
    CTMDialog second(2);
    EXPECT_EQ(CTMDialog::OpenDialogs().size(), before + 2);
    EXPECT_TRUE(CTMDialog::OpenDialogs().contains(&second));
  }
  EXPECT_EQ(CTMDialog::OpenDialogs().size(), before);
}

TEST(TMDialog, CentresOnItsOwner) {
  QWidget owner;
  owner.setGeometry(100, 100, 600, 400);
  owner.show();
  CTMDialog dialog(1, &owner);
  dialog.SetClientSize(200, 100);
  dialog.CenterWindow();
  EXPECT_EQ(dialog.frameGeometry().center(), owner.frameGeometry().center());
}

}  // namespace
}  // namespace tvk
