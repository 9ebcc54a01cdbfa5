#pragma once

#include <QPushButton>

class QStyleOptionButton;

// A push button of the dialog. A click or the space bar press it; Enter and Return never do,
// whether or not it is the default button: a barcode scanner ends every label with Enter.
// The default push button is drawn with the thick border of a default button.
class DialogButton : public QPushButton {
 public:
  DialogButton(const QString& text, bool isDefault, QWidget* parent);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // Where the dotted frame of the keyboard focus runs: around the caption, not through it.
  QRect FocusFrame(const QStyleOptionButton& option) const;
};
