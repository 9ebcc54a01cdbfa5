#include "platform/qt/dialog_button.h"

#include <QKeyEvent>
#include <QPainter>

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
  if (!isDefault()) return;
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
