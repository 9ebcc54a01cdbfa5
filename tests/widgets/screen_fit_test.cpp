// The window on the screen it opens on: at the standard settings, and at any scale on which it
// fits, the expanded window has the template's size and cannot be resized. Where it is taller
// than the screen (150 % on 1920 x 1080 pixels), it opens as tall as the screen allows, may be
// resized in height up to its full height, and every control can still be reached: the keyboard
// brings each one into sight, and the scroll bar the bottom edge.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest/QTest>
#include <set>

#include "platform/memory/memory_socket_layer.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

namespace {

constexpr QSize kExpanded(459, 756);
constexpr QSize kCollapsed(459, 470);

TEST(ScreenFit, TheExpandedWindowFitsTheScreenAndEveryControlCanBeReached) {
  MemorySocketLayer sockets;
  QtProgram program(sockets);
  QWidget* frame = program.Frame();
  const QRect available = frame->screen()->availableGeometry();
  const bool tooTall = qEnvironmentVariable("QT_SCALE_FACTOR") == QStringLiteral("1.5");
  if (tooTall) {
    ASSERT_EQ(available.height(), 720) << "1080 pixels at 150 %";
  }
  auto* scroller = frame->findChild<QScrollArea*>();
  ASSERT_NE(scroller, nullptr);
  QWidget* dialog = program.Windows().DialogWidget();

  program.Click(IdExpandButton);
  // The dialog keeps the template's size whatever the screen: the program's geometry is the same.
  EXPECT_EQ(dialog->size(), kExpanded);
  EXPECT_LE(frame->frameGeometry().height(), available.height());
  EXPECT_LE(frame->frameGeometry().bottom(), available.bottom());
  if (!tooTall) {
    EXPECT_EQ(frame->size(), kExpanded);
    EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
    EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
  } else {
    EXPECT_LT(frame->height(), kExpanded.height());
    EXPECT_GE(frame->height(), available.height() - 60) << "as tall as the screen allows";
    EXPECT_LT(frame->minimumHeight(), frame->height());
    EXPECT_EQ(frame->maximumHeight(), kExpanded.height());
    EXPECT_EQ(frame->minimumWidth(), frame->maximumWidth());
    EXPECT_TRUE(scroller->verticalScrollBar()->isVisible());
    EXPECT_EQ(scroller->viewport()->width(), kExpanded.width());
  }

  // Tab from the first control through the window: each control in sight when it has the focus.
  // (That Tab reaches every control, in the template's order: keyboard_test.cpp.)
  const QRect inSight = scroller->viewport()->rect();
  std::set<QWidget*> reached;
  program.Widget(IdPcIpCombo)->setFocus(Qt::TabFocusReason);
  for (QWidget* now = QApplication::focusWidget(); now != nullptr && reached.insert(now).second;
       now = QApplication::focusWidget()) {
    const QRect at(now->mapTo(scroller->viewport(), QPoint(0, 0)), now->size());
    EXPECT_TRUE(inSight.contains(at))
        << now->accessibleName().toStdString() << " at y " << at.top() << " out of sight";
    QTest::keyClick(now, Qt::Key_Tab);
  }
  // The scroll bar reaches the bottom edge of the window, and back to the banner.
  QScrollBar* bar = scroller->verticalScrollBar();
  bar->setValue(bar->maximum());
  EXPECT_EQ(dialog->mapTo(scroller->viewport(), QPoint(0, dialog->height())).y(),
            scroller->viewport()->height());
  bar->setValue(bar->minimum());
  EXPECT_EQ(dialog->mapTo(scroller->viewport(), QPoint(0, 0)).y(), 0);

  // Collapsed, the window fits everywhere again: fixed, without a scroll bar.
  program.Click(IdExpandButton);
  EXPECT_EQ(frame->size(), kCollapsed);
  EXPECT_EQ(frame->minimumSize(), frame->maximumSize());
  EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
  EXPECT_EQ(dialog->pos(), QPoint(0, 0));
}

}  // namespace
