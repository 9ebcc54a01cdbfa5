#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "main_window_fixture.h"
#include "platform/qt/resource_images.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"

namespace {

QString ScreenshotPath(const char* name) {
  QDir().mkpath(QStringLiteral(VELLORA_SCREENSHOT_DIR));
  return QStringLiteral(VELLORA_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name));
}

}  // namespace

using ScreenshotTest = MainWindowTest;

// Both forms of the window, saved into the build folder for a look: the expanded one as built
// from the template, the collapsed one cut at 470 pixels as the program collapses it. The
// banner strip shows bitmap 11228 from the window's left edge in both.
TEST_F(ScreenshotTest, SavesBothForms) {
  Windows.ListSetFixedPitchFont(IdDebugList);
  Windows.ListSetHorizontalExtent(IdDebugList, 2000);
  for (int i = 0; i < 12; ++i)
    Windows.ListAddString(IdDebugList, "Vellora: line " + std::to_string(i) +
                                           " of the debug list, long enough to need the "
                                           "horizontal scroll bar of the list box");
  Windows.ListSetCaretIndex(IdDebugList, 11, true);
  Windows.ComboAddString(IdPcIpCombo, "1: 192.168.1.20");
  Windows.ComboSetSelIndex(IdPcIpCombo, 0);
  Windows.ComboAddString(IdGatewayCombo, "00 50 C2 1A 2B 3C");
  Windows.ComboSetSelIndex(IdGatewayCombo, 0);
  Windows.SetDlgItemText(IdReceiveTotal, "4294967295");
  QCoreApplication::processEvents();

  const QImage banner = ResourceBitmap(kBannerBitmapId).toImage();
  const QImage expanded = Frame()->grab().toImage();
  EXPECT_EQ(expanded.size(), QSize(459, 756));
  EXPECT_EQ(expanded.pixel(440, 80), banner.pixel(440, 80));
  EXPECT_TRUE(expanded.save(ScreenshotPath("expanded")));

  Windows.SetDialogSize(459, 470);
  QCoreApplication::processEvents();
  const QImage collapsed = Frame()->grab().toImage();
  EXPECT_EQ(collapsed.size(), QSize(459, 470));
  EXPECT_EQ(collapsed.pixel(5, 5), banner.pixel(5, 5));
  EXPECT_TRUE(collapsed.save(ScreenshotPath("collapsed")));
}
