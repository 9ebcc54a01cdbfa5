// The real program in the real Qt window, offscreen, with in-memory sockets: what a user sees
// and does through the widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QtTest/QTest>
#include <cstring>

#include "platform/memory/memory_socket_layer.h"
#include "protocol/messages.h"
#include "resources/control_ids.h"
#include "tests/support/sample_record.h"
#include "tests/support/window_fixture.h"

namespace {

class ProgramWindowTest : public WindowTest {
 protected:
  static GatewayRecord Module(std::uint8_t last, const char* name) {
    GatewayRecord r = RecordWithMac(last, 0x00);
    const std::uint8_t middle[4] = {0x1A, 0x2B, 0x3C, 0x4D};
    std::memcpy(r.Mac + 1, middle, 4);
    r.ActualIp = Ipv4(192, 168, 1, 50);
    std::strcpy(r.Name, name);
    return r;
  }
  std::size_t Sent() const { return sockets.AllSent().size(); }
  void Tick() { program->Dialog().WindowProc(WM_TIMER, 2300, 0); }
};

// The window opens collapsed, with its icon and no maximise button. As the user guide tells,
// the buttons below the cut are reached with the keyboard: Shift+Tab from the PC address list
// reaches "Set EEPROM value", which Space presses (with both its fields empty nothing leaves),
// and from the "Name" field Tab passes "Set" and reaches ">>", skipping the server field and
// the display-only edits between.
TEST_F(ProgramWindowTest, TheButtonsBelowTheCutAreReachedByTabAndPressedBySpace) {
  QWidget* frame = program->Frame();
  EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(frame->windowIcon().isNull());
  Reply(Module(0x5E, "m"));
  const std::size_t sent = Sent();
  program->Widget(IdPcIpCombo)->setFocus(Qt::TabFocusReason);
  QTest::keyClick(program->Widget(IdPcIpCombo), Qt::Key_Backtab, Qt::ShiftModifier);
  ASSERT_EQ(QApplication::focusWidget(), program->Widget(IdSetEepromButton));
  QTest::keyClick(program->Widget(IdSetEepromButton), Qt::Key_Space);
  EXPECT_TRUE(program->Contains("Vellora: Set EEPROM value not sent, EEPROM address is empty"));
  EXPECT_EQ(Sent(), sent);

  QWidget* expand = program->Widget(IdExpandButton);
  ASSERT_GT(expand->geometry().top(), frame->height());
  program->Widget(IdNameEdit)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), program->Widget(IdSetButton));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), expand);
  QTest::keyClick(expand, Qt::Key_Space);
  EXPECT_EQ(program->Text(IdExpandButton), "<<");
  EXPECT_TRUE(program->Widget(IdConnectButton)->isVisible());
}

TEST_F(ProgramWindowTest, EnterAndEscapeNeitherPressAButtonNorCloseTheWindow) {
  Reply(Module(0x5E, "m"));
  const std::size_t sent = Sent();
  const auto lines = program->DebugLines();
  for (int id : {IdLabelMacEdit, IdNameEdit, IdSearchButton, IdGatewayCombo}) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
      program->Key(id, key);
  }
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(program->DebugLines(), lines);
  EXPECT_TRUE(program->Frame()->isVisible());
  EXPECT_EQ(program->Combo(IdGatewayCombo).size(), 1u);
}

// A scanner types the twelve characters and Enter; the ticks compare, and the result is a
// message box in plain text, after which the label field has the focus again.
TEST_F(ProgramWindowTest, ALabelScannedWithEnterIsCheckedOnTheTicks) {
  program->Click(IdVerifyMacCheck);
  ASSERT_TRUE(program->Windows().IsDlgButtonChecked(IdVerifyMacCheck));
  for (const char* label : {"001a2b3c4d5e", "001A2B3C4D5F"}) {
    program->Type(IdLabelMacEdit, label);
    program->Key(IdLabelMacEdit, Qt::Key_Return);
    EXPECT_EQ(program->Text(IdLabelMacEdit), label);
    Tick();
    Reply(Module(0x5E, "m"));
    Tick();
    EXPECT_EQ(program->Text(IdLabelMacEdit), "");
    EXPECT_EQ(program->Frame()->focusWidget(), program->Widget(IdLabelMacEdit));
  }
  ASSERT_EQ(program->Boxes.size(), 2u);
  EXPECT_EQ(program->Boxes[0].Caption, "MAC Verification");
  EXPECT_EQ(program->Boxes[0].Icon, QMessageBox::Information);
  EXPECT_EQ(program->Boxes[1].Caption, "ERROR: MAC Verification");
  EXPECT_TRUE(program->Boxes[1].Icon == QMessageBox::Critical && program->Boxes[1].PlainText);
}

TEST_F(ProgramWindowTest, Screenshots) {
  Reply(SampleRecord());
  Reply(Module(0x5F, "press-line-4"));
  EXPECT_TRUE(program->Windows().IsDlgButtonChecked(IdUseProxyCheck));  // as the record has it
  for (const char* line : {"Vellora: Socket connecting ...", "Vellora: Socket connected",
                           "press-line-3 status: 21.4 C, 2 jobs queued, uptime 5312 s"}) {
    program->Dialog().AddDebugLine(line);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(program->Screenshot(VELLORA_SCREENSHOT_DIR "/program-collapsed.png"));
  program->Click(IdExpandButton);
  QCoreApplication::processEvents();
  EXPECT_TRUE(program->Screenshot(VELLORA_SCREENSHOT_DIR "/program-expanded.png"));
}

}  // namespace
