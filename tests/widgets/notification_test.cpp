#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QtTest/QTest>

#include "main_window_fixture.h"
#include "resources/control_ids.h"

using Commands = std::vector<std::pair<unsigned, unsigned>>;
using NotificationTest = MainWindowTest;

TEST_F(NotificationTest, ClicksOnButtonsAndCheckBoxesReachTheDialog) {
  QTest::mouseClick(Control(IdRebootButton), Qt::LeftButton);
  ASSERT_EQ(Dialog.Commands(), (Commands{{IdRebootButton, BN_CLICKED}}));
  EXPECT_EQ(Dialog.Messages.back().LParam,
            reinterpret_cast<std::intptr_t>(Control(IdRebootButton)));

  QTest::mouseClick(Control(IdUseDhcpCheck), Qt::LeftButton);
  EXPECT_TRUE(Windows.IsDlgButtonChecked(IdUseDhcpCheck));
  // Set by the program, a check box notifies nobody.
  Windows.CheckDlgButton(IdUseDhcpCheck, false);
  EXPECT_FALSE(Windows.IsDlgButtonChecked(IdUseDhcpCheck));
  EXPECT_EQ(Dialog.Commands(),
            (Commands{{IdRebootButton, BN_CLICKED}, {IdUseDhcpCheck, BN_CLICKED}}));
  EXPECT_NE(Dialog.Messages.back().LParam, 0);
}

TEST_F(NotificationTest, DropDownListsNotifyTheUsersChoiceOnly) {
  EXPECT_EQ(Windows.ComboAddString(IdGatewayCombo, "00 50 C2 00 00 01"), 0);
  EXPECT_EQ(Windows.ComboAddString(IdGatewayCombo, "00 50 C2 00 00 0A"), 1);
  EXPECT_EQ(Windows.ComboGetSelIndex(IdGatewayCombo), -1);  // adding selects nothing
  EXPECT_EQ(Windows.ComboFindStringExact(IdGatewayCombo, "00 50 c2 00 00 0a"), 1);
  EXPECT_EQ(Windows.ComboFindStringExact(IdGatewayCombo, "00 50 C2"), -1);
  Windows.ComboSetSelIndex(IdGatewayCombo, 1);
  EXPECT_EQ(Windows.GetDlgItemText(IdGatewayCombo, 256), "00 50 C2 00 00 0A");
  EXPECT_TRUE(Dialog.Commands().empty());

  auto* combo = ControlAs<QComboBox>(IdGatewayCombo);
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Up);
  EXPECT_EQ(Windows.ComboGetSelIndex(IdGatewayCombo), 0);
  // Picking the selected entry again notifies again.
  combo->showPopup();
  QTest::keyClick(combo->view(), Qt::Key_Return);
  EXPECT_EQ(Dialog.Commands(),
            (Commands{{IdGatewayCombo, CBN_SELCHANGE}, {IdGatewayCombo, CBN_SELCHANGE}}));
  EXPECT_EQ(Windows.ComboGetSelIndex(IdGatewayCombo), 0);

  Windows.ComboResetContent(IdGatewayCombo);
  EXPECT_EQ(Windows.ComboGetCount(IdGatewayCombo), 0);
  EXPECT_EQ(Windows.ComboGetSelIndex(IdGatewayCombo), -1);
}

TEST_F(NotificationTest, TimersTickWithTheirIdUntilKilled) {
  std::vector<std::uintptr_t> ticks;
  Dialog.OnMessage = [&](const RecordingDialog::Message& m) {
    if (m.Number != WM_TIMER) return;
    ticks.push_back(m.WParam);
    // Killed on its first tick, timer 7 never ticks again before the slower timer 8 does.
    if (m.WParam == 7) {
      EXPECT_TRUE(Windows.KillTimer(7));
      EXPECT_EQ(Windows.SetTimer(8, 60), 8u);
    }
  };
  EXPECT_EQ(Windows.SetTimer(0, 10), 0u);
  // Setting an id again replaces its timer: this one would not tick within the wait.
  EXPECT_EQ(Windows.SetTimer(7, 3'600'000), 7u);
  EXPECT_EQ(Windows.SetTimer(7, 10), 7u);
  ASSERT_TRUE(PumpUntil([&] { return !ticks.empty() && ticks.back() == 8; }));
  EXPECT_EQ(ticks, (std::vector<std::uintptr_t>{7, 8}));
  EXPECT_FALSE(Windows.KillTimer(7));
  EXPECT_TRUE(Windows.KillTimer(8));
}
