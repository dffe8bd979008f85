// Entry point of the suites without widgets.
#include <gtest/gtest.h>

#include <cstdio>

#include "support/ScopedEnvironment.h"

int main(int argc, char** argv) {
  if (!tvk::test::UsePrivateStateFolder()) {
    std::fputs("no private state folder for the tests\n", stderr);
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
