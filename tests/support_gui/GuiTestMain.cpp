// Entry point of the widget suites: one application object for all tests, never a visible window, and
// the process's own state folder.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>

#include "support/ScopedEnvironment.h"

int main(int argc, char** argv) {
  if (!tvk::test::UsePrivateStateFolder()) {
    std::fputs("no private state folder for the tests\n", stderr);
    return 1;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
