#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>

#include "main_window_fixture.h"
#include "platform/qt/qt_event_loop.h"
#include "resources/control_ids.h"

using MessageBoxTest = MainWindowTest;

TEST_F(MessageBoxTest, TypesGiveTheirIconAndOwnerlessBoxesHaveNoParent) {
  struct Seen {
    QMessageBox::Icon Icon;
    QString Text, Caption;
    QWidget* Parent;
    bool Modal;
  };
  std::vector<Seen> seen;
  Windows.SetMessageBoxObserver([&](QMessageBox& box) {
    seen.push_back({box.icon(), box.text(), box.windowTitle(), box.parentWidget(),
                    box.isVisible() && box.isModal()});
    box.button(QMessageBox::Ok)->click();
  });
  EXPECT_EQ(Windows.MessageBox(true, "", "Kein Timer f\xFCr Refresh", MB_OK), IDOK);
  EXPECT_EQ(Windows.MessageBox(false, "Keine Sockets verfuegbar", "Fehler", MB_ICONSTOP), IDOK);
  Windows.MessageBox(true, "w", "c", MB_ICONEXCLAMATION);
  Windows.MessageBox(true, "i", "c", MB_ICONINFORMATION);
  ASSERT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[0].Icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen[0].Caption, QStringLiteral("Kein Timer f\u00FCr Refresh"));
  EXPECT_EQ(seen[0].Parent, Frame());
  EXPECT_EQ(seen[1].Icon, QMessageBox::Critical);
  EXPECT_EQ(seen[1].Text, QStringLiteral("Keine Sockets verfuegbar"));
  EXPECT_EQ(seen[1].Parent, nullptr);
  EXPECT_EQ(seen[2].Icon, QMessageBox::Warning);
  EXPECT_EQ(seen[3].Icon, QMessageBox::Information);
  for (const Seen& box : seen)
    EXPECT_TRUE(box.Modal);
}

// A message box runs a nested loop: posted socket work goes on while it is open.
TEST_F(MessageBoxTest, EventsGoOnWhileABoxIsOpen) {
  QtEventLoop loop;
  bool ranInside = false;
  Windows.SetMessageBoxObserver([&](QMessageBox& box) {
    loop.Post([&] { ranInside = true; });
    EXPECT_TRUE(PumpUntil([&] { return ranInside; }));
    box.accept();
  });
  Windows.MessageBox(true, "text", "caption", MB_OK);
  EXPECT_TRUE(ranInside);
}

// The frame closes only when the dialog agrees; then Run returns.
TEST_F(MessageBoxTest, ClosingAsksTheDialogFirst) {
  QString reported;
  Windows.SetMessageBoxObserver([&](QMessageBox& box) {
    reported = box.text();
    box.accept();
  });
  Windows.SetDlgItemText(11222, "300");
  EXPECT_FALSE(Frame()->close());
  EXPECT_TRUE(Frame()->isVisible());
  EXPECT_EQ(reported, QStringLiteral("Value is not in the range 0 to 255."));

  Windows.SetDlgItemText(11222, "30");
  QTimer::singleShot(0, Frame(), [this] { Frame()->close(); });
  EXPECT_EQ(Windows.Run(), 0);
  EXPECT_FALSE(Frame()->isVisible());
}
