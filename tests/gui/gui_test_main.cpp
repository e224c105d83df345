// The window tests' main: one application object for all tests, Qt's offscreen platform
// unless another one is asked for.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "framework/wincore.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  orvane::CWinApp app(argc, argv);
  return RUN_ALL_TESTS();
}
