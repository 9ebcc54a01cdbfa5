// The real program in the real Qt window, offscreen, with in-memory sockets: what a user sees
// and does through the widgets.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QListView>
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
    r.ActualIp = Ipv4::FromNumber(0xC0A80132);
    std::strcpy(r.Name, name);
    return r;
  }
  std::size_t Sent() const { return sockets.AllSent().size(); }
  void Tick() { program->Dialog().WindowProc(WM_TIMER, 2300, 0); }
};

TEST_F(ProgramWindowTest, OpensCollapsedWithTheBannerCaptionAndAFixedFrame) {
  QWidget* frame = program->Frame();
  EXPECT_EQ(frame->windowTitle().toStdString(), "Quenlan V1.11 18.07.2008 (IP 1: 192.168.1.20 )");
  EXPECT_EQ(frame->size(), QSize(459, 470));
  EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
  EXPECT_FALSE(frame->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(frame->windowIcon().isNull());
  EXPECT_FALSE(program->Widget(IdConnectButton)->isVisible());
  EXPECT_FALSE(program->Widget(IdMacEdit1)->isEnabled());
  EXPECT_EQ(program->Combo(IdPcIpCombo),
            (std::vector<std::string>{"1: 192.168.1.20", "2: 10.0.0.7"}));
  EXPECT_EQ(Sent(), 1u);
}

TEST_F(ProgramWindowTest, TheExpandButtonIsReachedByTabAndPressedBySpaceBelowTheCut) {
  QWidget* expand = program->Widget(IdExpandButton);
  ASSERT_GT(expand->geometry().top(), program->Frame()->height());
  // As the user guide tells: from the "Name" field Tab passes "Set" and reaches ">>"; the server
  // field and the display-only edits between are skipped.
  program->Widget(IdNameEdit)->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), program->Widget(IdSetButton));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), expand);
  QTest::keyClick(expand, Qt::Key_Space);
  EXPECT_EQ(program->Frame()->size(), QSize(459, 756));
  EXPECT_EQ(program->Text(IdExpandButton), "<<");
  EXPECT_TRUE(program->Widget(IdConnectButton)->isVisible());
  EXPECT_TRUE(program->Widget(IdMacEdit1)->isEnabled());
  QTest::keyClick(expand, Qt::Key_Space);
  EXPECT_EQ(program->Frame()->size(), QSize(459, 470));
  EXPECT_EQ(program->Text(IdExpandButton), ">>");
}

TEST_F(ProgramWindowTest, EnterAndEscapeNeitherPressAButtonNorCloseTheWindow) {
  Reply(Module(0x5E, "m"));
  const std::size_t sent = Sent();
  const auto lines = program->DebugLines();
  for (int id : {IdLabelMacEdit, IdNameEdit, IdSearchButton, IdGatewayCombo}) {
    program->Key(id, Qt::Key_Return);
    program->Key(id, Qt::Key_Enter);
    program->Key(id, Qt::Key_Escape);
  }
  EXPECT_EQ(Sent(), sent);
  EXPECT_EQ(program->DebugLines(), lines);
  EXPECT_TRUE(program->Frame()->isVisible());
  EXPECT_EQ(program->Combo(IdGatewayCombo).size(), 1u);
}

TEST_F(ProgramWindowTest, ALabelScannedWithEnterIsCheckedOnTheTicks) {
  program->Click(IdVerifyMacCheck);
  ASSERT_TRUE(program->Windows().IsDlgButtonChecked(IdVerifyMacCheck));
  // A scanner types the twelve characters and Enter.
  program->Type(IdLabelMacEdit, "001a2b3c4d5e");
  program->Key(IdLabelMacEdit, Qt::Key_Return);
  EXPECT_EQ(program->Text(IdLabelMacEdit), "001a2b3c4d5e");
  Tick();
  Reply(Module(0x5E, "m"));
  Tick();
  ASSERT_EQ(program->Boxes.size(), 1u);
  EXPECT_EQ(program->Boxes[0].Text, "MAC is OK!");
  EXPECT_EQ(program->Boxes[0].Caption, "MAC Verification");
  EXPECT_EQ(program->Boxes[0].Icon, QMessageBox::Information);
  EXPECT_EQ(program->Text(IdLabelMacEdit), "");
  // The focus widget of the window, active again once the box has gone.
  EXPECT_EQ(program->Frame()->focusWidget(), program->Widget(IdLabelMacEdit));

  program->Type(IdLabelMacEdit, "001A2B3C4D5F");
  Tick();
  Reply(Module(0x5E, "m"));
  Tick();
  ASSERT_EQ(program->Boxes.size(), 2u);
  EXPECT_EQ(program->Boxes[1].Text,
            "ERROR ERROR ERROR ERROR ERROR  ERROR ERROR\n\n 'MAC on label' and read 'MAC from "
            "device' are different!\n\nPlease try again or remove module from production process!");
  EXPECT_EQ(program->Boxes[1].Caption, "ERROR: MAC Verification");
  EXPECT_EQ(program->Boxes[1].Icon, QMessageBox::Critical);
  EXPECT_TRUE(program->Boxes[1].PlainText);
}

TEST_F(ProgramWindowTest, TheDebugListShowsTheNewest501Lines) {
  for (int i = 0; i < 600; ++i)
    program->Dialog().AddDebugLine(("line " + std::to_string(i)).c_str());
  auto* view = qobject_cast<QListView*>(program->Widget(IdDebugList));
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(program->PumpUntil([&] { return view->model()->rowCount() == 501; }));
  const QModelIndex last = view->model()->index(500, 0);
  EXPECT_EQ(last.data().toString().toStdString(), "line 599");
  EXPECT_EQ(view->model()->index(0, 0).data().toString().toStdString(), "line 99");
  EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last)));
}

TEST_F(ProgramWindowTest, Screenshots) {
  GatewayRecord r = SampleRecord();
  Reply(r);
  Reply(Module(0x5F, "press-line-4"));
  for (const char* line : {"Vellora: Socket connecting ...", "Vellora: Socket connected",
                           "press-line-3 status: 21.4 C, 2 jobs queued, uptime 5312 s"}) {
    program->Dialog().AddDebugLine(line);
  }
  program->PumpUntil([] { return false; }, 50);
  EXPECT_TRUE(program->Screenshot(VELLORA_SCREENSHOT_DIR "/program-collapsed.png"));
  program->Click(IdExpandButton);
  program->PumpUntil([] { return false; }, 50);
  EXPECT_TRUE(program->Screenshot(VELLORA_SCREENSHOT_DIR "/program-expanded.png"));
}

}  // namespace
