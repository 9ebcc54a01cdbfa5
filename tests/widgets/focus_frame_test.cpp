// The dotted frame that shows the keyboard focus on a push button or a check box runs outside
// the letters of its caption, at every scale the widget binaries run at: "Disconnect" on the
// terminal's button, the widest caption for its size, included. Each button is drawn with and
// without its caption and focus, and the frame's pixels are compared with the caption's ink.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QPixmap>

#include "platform/memory/memory_socket_layer.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

namespace {

QImage Drawn(QAbstractButton& button, const QString& caption, bool focused) {
  button.setText(caption);
  if (focused) {
    button.setFocus(Qt::ShortcutFocusReason);  // moved by the keyboard: the frame is shown
  } else {
    button.clearFocus();
  }
  return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The smallest rectangle around every pixel in which the two images differ.
QRect Differences(const QImage& a, const QImage& b) {
  QRect box;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

TEST(FocusFrame, RunsOutsideTheLettersOfEveryButtonCaption) {
  MemorySocketLayer sockets;
  QtProgram program(sockets);
  program.Click(IdExpandButton);  // every button shown
  program.Windows().SetDlgItemText(IdConnectButton, "Disconnect");
  const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
  int checked = 0;
  for (const DialogControl& control : program.Dialog().Template().Controls) {
    if (control.Kind != ControlKind::PushButton && control.Kind != ControlKind::DefaultPushButton &&
        control.Kind != ControlKind::CheckBox)
      continue;
    auto* button = qobject_cast<QAbstractButton*>(program.Widget(control.Id));
    ASSERT_NE(button, nullptr);
    const QString caption = button->text();
    const QImage bare = Drawn(*button, QString(), false);
    const QRect ink = Differences(Drawn(*button, caption, false), bare);
    const QImage framed = Drawn(*button, QString(), true);
    const QImage shown = Drawn(*button, caption, true);
    button->setText(caption);
    if (control.Id == IdConnectButton && QDir().mkpath(QStringLiteral(VELLORA_SCREENSHOT_DIR)))
      shown.save(QStringLiteral(VELLORA_SCREENSHOT_DIR "/focus-disconnect-%1.png").arg(scale));
    ASSERT_FALSE(ink.isEmpty()) << caption.toStdString();
    // Every pixel that the focus changes lies outside the caption's ink.
    for (int y = ink.top(); y <= ink.bottom(); ++y)
      for (int x = ink.left(); x <= ink.right(); ++x)
        ASSERT_EQ(framed.pixel(x, y), bare.pixel(x, y))
            << "the focus frame of '" << caption.toStdString() << "' crosses its letters at " << x
            << "," << y << " (scale " << scale.toStdString() << ")";
    EXPECT_NE(Differences(framed, bare), QRect()) << caption.toStdString() << " shows no focus";
    ++checked;
  }
  EXPECT_EQ(checked, 13);
}

}  // namespace
