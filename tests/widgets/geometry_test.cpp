// The real program's window at the standard settings; the high-DPI binary runs the same test
// at device pixel ratio 2 (QT_SCALE_FACTOR), where the logical geometry must stay the same.
// (Whether every caption fits its control shows in the screenshots of program_window_test.cpp.)
#include <gtest/gtest.h>

#include <QPixmap>

#include "platform/memory/memory_socket_layer.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

TEST(VELLORA_GEOMETRY_SUITE, TheTemplatesPixelGeometryAtEveryDevicePixelRatio) {
  MemorySocketLayer sockets;
  QtProgram program(sockets);
  program.Click(IdExpandButton);
  const int ratio = qMax(1, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
  ASSERT_EQ(program.Frame()->devicePixelRatio(), ratio);
  QtWindowSystem& windows = program.Windows();
  EXPECT_EQ(windows.BaseUnits().X, 6);
  EXPECT_EQ(windows.BaseUnits().Y, 13);
  EXPECT_EQ(windows.GetDialogClientRect(), (TRect{0, 0, 459, 756}));
  EXPECT_EQ(windows.GetControlRect(IdExpandButton), (TRect{390, 475, 450, 497}));
  EXPECT_EQ(program.Frame()->grab().toImage().size(), QSize(459, 756) * ratio);
}
