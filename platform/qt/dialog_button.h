#pragma once

#include <QPushButton>

// A push button of the dialog. A click or the space bar press it; Enter and Return never do,
// whether or not it is the default button: a barcode scanner ends every label with Enter.
// The default push button is drawn with the thick border of a default button.
class DialogButton : public QPushButton {
 public:
  DialogButton(const QString& text, bool isDefault, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};
