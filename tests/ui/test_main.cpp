// GoogleTest's main with the Qt application that every GUI test needs.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/AppInfo.h"

int main(int argc, char* argv[]) {
  // Listing the tests at build time happens without a display as well.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  qvl::SetUpApplication(app);
  return RUN_ALL_TESTS();
}
