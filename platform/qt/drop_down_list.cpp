#include "platform/qt/drop_down_list.h"

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setInsertPolicy(QComboBox::InsertAtBottom);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

int DropDownList::AddEntry(const QString& text) {
  const bool wasEmpty = count() == 0;
  addItem(text);
  // A combo box selects its first entry by itself.
  if (wasEmpty) setCurrentIndex(-1);
  return count() - 1;
}

int DropDownList::FindExact(const QString& text) const {
  for (int i = 0; i < count(); ++i) {
    if (itemText(i).compare(text, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}
