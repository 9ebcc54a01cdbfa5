#include <gtest/gtest.h>
#include <QApplication>

// The widget tests run offscreen: no display is needed, and the screen has the standard
// settings (96 dpi, device pixel ratio 1) unless a test binary asks for another scale.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
