#pragma once

#include <QWidget>

// A static text control: plain text, never markup, left- or right-aligned from the top.
// '&' is treated as the original platform's statics treat it (see StaticDisplayText). A
// one-line text a little too wide for the control is narrowed to fit; a text far too wide
// wraps at word boundaries and is cut off by the control's edges, as there.
class LabelWidget : public QWidget {
 public:
  LabelWidget(const QString& text, bool rightAligned, QWidget* parent);

  void SetText(const QString& text);
  QString Text() const { return Content; }
  QString ShownText() const { return Shown; }
  // Horizontal scale of the drawn text: 1, or less while a text is narrowed to fit.
  qreal TextScale() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString Content;
  QString Shown;
  bool RightAligned;
};
