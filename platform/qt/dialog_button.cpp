#include "platform/qt/dialog_button.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>

DialogButton::DialogButton(const QString& text, bool isDefault, QWidget* parent)
    : QPushButton(text, parent) {
  setAutoDefault(false);
  setDefault(isDefault);
}

void DialogButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->ignore();
    return;
  }
  QPushButton::keyPressEvent(event);
}

void DialogButton::paintEvent(QPaintEvent* event) {
  QPushButton::paintEvent(event);
  QPainter painter(this);
  const QColor text =
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
  if (isDefault()) {
    painter.setPen(text);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  // The style draws the focus on the button's edge, where the default border goes: a dotted
  // frame inside shows it on every button, as the keyboard moves it.
  QStyleOptionButton option;
  initStyleOption(&option);
  if ((option.state & QStyle::State_HasFocus) &&
      (option.state & QStyle::State_KeyboardFocusChange)) {
    QPen dotted(text);
    dotted.setStyle(Qt::DotLine);
    painter.setPen(dotted);
    painter.drawRect(FocusFrame(option));
  }
}

QRect DialogButton::FocusFrame(const QStyleOptionButton& option) const {
  // 3 pixels inside the edge; where the caption needs that room ("Disconnect" fills its
  // button), the frame's sides run beside its letters instead of through them, inside the
  // button's border.
  const QRect inside = rect().adjusted(3, 3, -4, -4);
  const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  const QRect caption = style()->itemTextRect(
      fontMetrics(), contents, Qt::AlignCenter | Qt::TextShowMnemonic, isEnabled(), text());
  if (caption.isEmpty()) return inside;
  QRect frame = inside;
  frame.setLeft(std::max(1, std::min(inside.left(), caption.left() - 2)));
  frame.setRight(std::min(width() - 2, std::max(inside.right(), caption.right() + 2)));
  return frame;
}
