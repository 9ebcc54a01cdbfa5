#include "platform/qt/picture_widget.h"

#include <QPainter>

PictureWidget::PictureWidget(const QPixmap& bitmap, QWidget* parent)
    : QWidget(parent), Bitmap(bitmap) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  resize(Bitmap.deviceIndependentSize().toSize());
}

void PictureWidget::paintEvent(QPaintEvent*) {
  QPainter(this).drawPixmap(0, 0, Bitmap);
}
