#pragma once

#include <QLineEdit>

#include "platform/qt/edit_input_filter.h"

// A single-line edit of the dialog with its text limit and validator. What the user types is
// filtered; what the program sets is not.
class EditField : public QLineEdit {
 public:
  explicit EditField(QWidget* parent);

  void SetMaxBytes(qsizetype maxBytes);
  void SetRule(const TValidator* rule);
  // The program's text: taken as it is, shown from its start.
  void SetProgramText(const QString& text);

 private:
  void InstallFilter();

  EditInputFilter Filter;
};
