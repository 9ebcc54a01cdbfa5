#include <QApplication>
#include <QtTest/QTest>
#include <algorithm>

#include "main_window_fixture.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"

using KeyboardTest = MainWindowTest;

namespace {

void Press(Qt::Key key) {
  QTest::keyClick(QApplication::focusWidget(), key);
}

}  // namespace

// Tab walks the controls in template order, skipping what takes no focus and what is disabled
// or hidden, wherever the control lies.
TEST_F(KeyboardTest, TabFollowsTheTemplateOrder) {
  Windows.ShowWindow(IdSetMacButton, SW_HIDE);
  std::vector<const DialogControl*> stops;
  for (const DialogControl& c : MainDialogTemplate().Controls) {
    const bool focusable = c.Kind != ControlKind::Label && c.Kind != ControlKind::GroupBox &&
                           c.Kind != ControlKind::Picture && c.Kind != ControlKind::EtchedLine;
    if (focusable && (c.Style & control_style::Disabled) == 0 && c.Id != IdSetMacButton)
      stops.push_back(&c);
  }
  std::sort(stops.begin(), stops.end(),
            [](const DialogControl* a, const DialogControl* b) { return a->Order < b->Order; });
  ASSERT_EQ(stops.size(), 48u);

  Windows.SetFocus(stops.front()->Id);
  for (std::size_t i = 1; i <= stops.size(); ++i) {
    Press(Qt::Key_Tab);
    const int expected = stops[i % stops.size()]->Id;
    ASSERT_EQ(QApplication::focusWidget(), Control(expected)) << "stop " << i;
  }
}

// Collapsed, the window ends above ">>"; the button still takes the focus by Tab and is
// pressed by the space bar.
TEST_F(KeyboardTest, ExpandButtonOutsideTheCollapsedWindowIsReachable) {
  Windows.SetDialogSize(459, 470);
  ASSERT_FALSE(DialogWidget()->rect().intersects(Control(IdExpandButton)->geometry()));
  Windows.SetFocus(IdSetButton);  // the tab stop before ">>"
  Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), Control(IdExpandButton));
  Press(Qt::Key_Space);
  EXPECT_EQ(Dialog.Commands(),
            (std::vector<std::pair<unsigned, unsigned>>{{IdExpandButton, BN_CLICKED}}));
}

// A barcode scanner ends every label with Enter: neither Enter nor Esc does anything,
// whichever control has the focus.
TEST_F(KeyboardTest, EnterAndEscapeDoNothing) {
  for (int id : {IdSearchButton, IdSetButton, IdLabelMacEdit, IdUseDhcpCheck, IdGatewayCombo,
                 IdDebugList, IdSetEepromButton}) {
    Windows.SetFocus(id);
    ASSERT_EQ(QApplication::focusWidget(), Control(id));
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
      Press(key);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(Dialog.Commands().empty());
  EXPECT_TRUE(Frame()->isVisible());
}
