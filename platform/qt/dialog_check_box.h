#pragma once

#include <QCheckBox>

// A check box of the dialog: toggles itself when clicked anywhere in its rectangle, not only
// on its box and text.
class DialogCheckBox : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};
