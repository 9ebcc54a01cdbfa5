#pragma once

#include <QComboBox>

// A drop-down list of the dialog: its entries can only be picked, not typed; unsorted. Adding
// entries never selects one; only the user or SetCurrentIndex do.
class DropDownList : public QComboBox {
 public:
  explicit DropDownList(QWidget* parent);

  // Appends; yields the new entry's index.
  int AddEntry(const QString& text);
  // The first entry equal to the whole text, ignoring case; -1 when there is none.
  int FindExact(const QString& text) const;
};
