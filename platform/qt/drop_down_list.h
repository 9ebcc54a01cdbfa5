#pragma once

#include <QComboBox>
#include <functional>

// A drop-down list of the dialog: its entries can only be picked, not typed; unsorted. Adding
// entries never selects one; only the user or SetCurrentIndex do. The wheel changes the choice
// only while the list has the focus, so that scrolling over the window never changes what
// the program works on. The opened list is as high as the dialog's template makes it.
class DropDownList : public QComboBox {
 public:
  explicit DropDownList(QWidget* parent);

  // Appends; yields the new entry's index.
  int AddEntry(const QString& text);
  // The first entry equal to the whole text, ignoring case; -1 when there is none.
  int FindExact(const QString& text) const;
  // The height in pixels that the opened list may take below the closed one.
  void SetListHeight(int pixels) { ListHeight = pixels; }

  // Called before the list opens; it may change the entries.
  std::function<void()> AboutToOpen;
  // Called once the opened list has closed, however it closed, and after the selection that
  // closing it made has been told.
  std::function<void()> Closed;

  void showPopup() override;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int ListHeight = 0;
  bool WatchingList = false;
};
