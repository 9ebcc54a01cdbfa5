#pragma once

#include <QPixmap>
#include <QWidget>

// A picture control: shows its bitmap at the bitmap's own size from its top-left corner; the
// dialog clips what lies outside. Takes no input.
class PictureWidget : public QWidget {
 public:
  PictureWidget(const QPixmap& bitmap, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap Bitmap;
};
