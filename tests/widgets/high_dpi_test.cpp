#include <QImage>
#include <QPixmap>

#include "main_window_fixture.h"
#include "resources/control_ids.h"

using HighDpiTest = MainWindowTest;

// Device pixels double; the logical geometry, and with it every size the program computes,
// stays that of the standard settings.
TEST_F(HighDpiTest, KeepsTheLogicalGeometry) {
  ASSERT_EQ(Frame()->devicePixelRatio(), 2.0);
  EXPECT_EQ(Windows.BaseUnits().X, 6);
  EXPECT_EQ(Windows.BaseUnits().Y, 13);
  EXPECT_EQ(Windows.GetDialogClientRect(), (TRect{0, 0, 459, 756}));
  EXPECT_EQ(Windows.GetControlRect(IdExpandButton), (TRect{390, 475, 450, 497}));
  const QImage image = Frame()->grab().toImage();
  EXPECT_EQ(image.size(), QSize(918, 1512));
}
