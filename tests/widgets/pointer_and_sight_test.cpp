// What the pointer does and what the eye sees in the real program's window: the wheel changes
// only a focused drop-down list, read-only values are legible, and the opened lists have the
// template's height. (The focus on buttons and check boxes: focus_frame_test.cpp.)
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QWheelEvent>
#include <QtTest/QTest>
#include <cmath>
#include <map>

#include "platform/memory/memory_socket_layer.h"
#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"
#include "tests/support/sample_record.h"
#include "tests/support/window_fixture.h"

namespace {

class PointerAndSightTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    program->Click(IdExpandButton);
  }
  void Reply(std::uint8_t last, Ipv4 actualIp = Ipv4(192, 168, 1, 50)) {
    GatewayRecord r = RecordWithMac(last);
    r.ActualIp = actualIp;
    WindowTest::Reply(r);
  }
  // One notch of the wheel, down, with the pointer over the control's centre.
  void WheelDown(int id) {
    QWidget* widget = program->Widget(id);
    const QPointF at = widget->rect().center();
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
  }
  int Selected(int id) const {
    return qobject_cast<QComboBox*>(program->Widget(id))->currentIndex();
  }
};

TEST_F(PointerAndSightTest, TheWheelChangesADropDownListOnlyWhenItHasTheFocus) {
  Reply(0x01);
  Reply(0x02);
  program->Widget(IdNameEdit)->setFocus(Qt::TabFocusReason);
  const std::size_t socketsMade = sockets.Sockets.size();
  WheelDown(IdPcIpCombo);
  WheelDown(IdGatewayCombo);
  EXPECT_EQ(Selected(IdPcIpCombo), 0);
  EXPECT_EQ(Selected(IdGatewayCombo), 0);
  EXPECT_EQ(sockets.Sockets.size(), socketsMade);
  EXPECT_EQ(program->Text(IdMacEdit6), "01");

  program->Widget(IdGatewayCombo)->setFocus(Qt::TabFocusReason);
  WheelDown(IdGatewayCombo);
  EXPECT_EQ(Selected(IdGatewayCombo), 1);
  EXPECT_EQ(program->Text(IdMacEdit6), "02");
}

double Luminance(QRgb rgb) {
  auto channel = [](int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

// The contrast of the darkest pixel, the text, against the most common one, the background.
double TextContrast(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  std::map<QRgb, int> counts;
  QRgb darkest = qRgb(255, 255, 255);
  // Inside the frame only.
  for (int y = 3; y < image.height() - 3; ++y) {
    for (int x = 3; x < image.width() - 3; ++x) {
      const QRgb pixel = image.pixel(x, y);
      ++counts[pixel];
      if (Luminance(pixel) < Luminance(darkest)) darkest = pixel;
    }
  }
  QRgb background = 0;
  int most = 0;
  for (const auto& [pixel, count] : counts) {
    if (count > most) most = count, background = pixel;
  }
  return (Luminance(background) + 0.05) / (Luminance(darkest) + 0.05);
}

TEST_F(PointerAndSightTest, ReadOnlyValuesAreLegible) {
  Reply(0x45);  // actual IP 192.168.1.50, serial 00 00 00 69
  QCoreApplication::processEvents();
  for (int id : {kOctetEditIds[0], kOctetEditIds[3], IdSerialShown4}) {
    ASSERT_FALSE(program->Widget(id)->isEnabled());
    EXPECT_GE(TextContrast(program->Widget(id)), 4.5) << id;
  }
  program->Click(IdExpandButton);  // collapsed: the MAC edits only show the module's MAC
  ASSERT_FALSE(program->Widget(IdMacEdit6)->isEnabled());
  EXPECT_GE(TextContrast(program->Widget(IdMacEdit6)), 4.5);
}

// The hint of an unanswered search: each line whole in the debug list without scrolling
// sideways, and over the count in the collapsed window, where the list is hidden.
TEST_F(PointerAndSightTest, TheUnansweredSearchHintIsReadableInBothForms) {
  sockets.ChangeAddresses({OnInterface(192, 168, 100, 200, 2, "enp3s0")});
  program->Pick(IdPcIpCombo, 0);
  for (int tick = 0; tick < 3; ++tick)
    program->Dialog().EvTimer(2300);
  auto* view = qobject_cast<QAbstractItemView*>(program->Widget(IdDebugList));
  const QFontMetrics metrics(view->font());
  const auto lines = program->DebugLines();
  ASSERT_GE(lines.size(), 2u);
  for (const std::string& line : {lines[lines.size() - 2], lines.back()}) {
    EXPECT_LE(metrics.horizontalAdvance(QString::fromStdString(line)), view->viewport()->width())
        << line;
  }
  program->Click(IdExpandButton);  // collapsed
  EXPECT_TRUE(program->Widget(IdGatewayCount)
                  ->toolTip()
                  .contains(QStringLiteral("let UDP from port 8003 in")));
}

TEST_F(PointerAndSightTest, OpenedListsHaveTheHeightTheTemplateGivesThem) {
  std::vector<TInterfaceAddress> many = {OnInterface(192, 168, 1, 20, 2, "eth0")};
  for (unsigned i = 1; i <= 12; ++i)
    many.push_back(OnInterface(10, 0, 0, i, 3, "wlan0"));
  sockets.ChangeAddresses(many);
  for (unsigned i = 1; i <= 20; ++i)
    Reply(static_cast<std::uint8_t>(i));
  for (int id : {IdPcIpCombo, IdGatewayCombo}) {
    auto* combo = qobject_cast<QComboBox*>(program->Widget(id));
    const DialogControl* control = nullptr;
    for (const DialogControl& c : MainDialogTemplate().Controls)
      if (c.Id == id) control = &c;
    const int templateHeight = MapDialogRect(0, 0, control->W, control->H, 6, 13).Height();
    combo->showPopup();
    QWidget* popup = combo->view()->window();
    ASSERT_TRUE(popup->isVisible());
    // Below the closed list, the opened one takes what the template gives it, no more.
    EXPECT_LE(popup->height(), templateHeight - combo->height() + 4) << id;
    EXPECT_GE(popup->height(), combo->view()->sizeHintForRow(0) * 2) << id;
    combo->hidePopup();
  }
}

}  // namespace
