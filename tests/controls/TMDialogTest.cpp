#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/ControlId.h"
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

TEST(TMDialog, EnterAndEscapeFollowTheSwallowRules) {
  struct Case {
    const char* name;
    bool controlStyle;
    bool swallow;
    Qt::Key key;
    int ok;
    int cancel;
  };
  const Case cases[] = {
      {"enter runs OK", false, false, Qt::Key_Return, 1, 0},
      {"keypad enter runs OK", false, false, Qt::Key_Enter, 1, 0},
      {"escape runs Cancel", false, false, Qt::Key_Escape, 0, 1},
      {"control style swallows enter", true, false, Qt::Key_Return, 0, 0},
      {"control style swallows escape", true, false, Qt::Key_Escape, 0, 0},
      {"swallow flag swallows enter", false, true, Qt::Key_Return, 0, 0},
      {"swallow flag swallows escape", false, true, Qt::Key_Escape, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingDialog dialog;
    dialog.SetControlStyle(c.controlStyle);
    dialog.SetSwallowEnterEscape(c.swallow);
    dialog.show();
    QTest::keyClick(&dialog, c.key);
    EXPECT_EQ(dialog.okCount, c.ok);
    EXPECT_EQ(dialog.cancelCount, c.cancel);
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

}  // namespace
}  // namespace tvk
