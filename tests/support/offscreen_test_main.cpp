#include <gtest/gtest.h>
#include <QApplication>

// The widget tests run offscreen, on one screen of 1920 x 1080 pixels: no display is needed,
// and the screen has the standard settings (96 dpi, device pixel ratio 1) unless the test
// binary is built with another scale (VELLORA_SCALE_FACTOR, as QT_SCALE_FACTOR takes it) or
// another screen (VELLORA_SCREEN, a file in tests/support/screens).
#ifndef VELLORA_SCREEN
#define VELLORA_SCREEN "1920x1080.json"
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" VELLORA_SCREENS_DIR "/" VELLORA_SCREEN);
#ifdef VELLORA_SCALE_FACTOR
  qputenv("QT_SCALE_FACTOR", VELLORA_SCALE_FACTOR);
#endif
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
