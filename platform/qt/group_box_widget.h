#pragma once

#include <QWidget>

// A group box: an etched frame with its title set into the top line. Plain text; '&' as in a
// static control. Takes no input: clicks reach the controls inside it.
class GroupBoxWidget : public QWidget {
 public:
  GroupBoxWidget(const QString& title, QWidget* parent);

  void SetTitle(const QString& title);
  QString Title() const { return TitleText; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString TitleText;
};
