#pragma once

#include <QElapsedTimer>
#include <QListView>
#include <QStyledItemDelegate>

#include "platform/qt/list_box_model.h"

// Draws each line as plain text on one row of the font's height, the simple way, as a log is
// drawn many times a second; makes every row as wide as the list's horizontal extent, so the
// list scrolls sideways up to that width.
class ListLineDelegate : public QStyledItemDelegate {
 public:
  void SetExtent(int pixels) { Extent = pixels; }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  int Extent = 0;
};

// A list box of the dialog: border, vertical scroll bar always shown, horizontal one when the
// extent needs it, unsorted. Its lines change at once and exactly; the view follows once per
// pass of the event loop, showing the exact lines with the caret line scrolled into view. Once
// the list is full, new lines are new text in the same rows, repainted at most once per frame:
// a log that grows thousands of times a second costs sixty repaints a second.
class ListBoxView : public QListView {
 public:
  explicit ListBoxView(QWidget* parent);

  int Count() const { return Model.Count(); }
  int AddLine(std::string_view line);
  void DeleteLine(int index);
  std::string Line(int index) const { return Model.Line(index); }
  // The caret line, scrolled into view at the next refresh.
  void SetCaretIndex(int index);
  void SetHorizontalExtent(int pixels);

 protected:
  // New text in the same rows: rows are all one size and nothing edits them, so a repaint is
  // all it takes, paced to the frame rate.
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void ScheduleRefresh();
  // Brings the view up to date with the lines and the caret.
  void Refresh();
  // Repaints the lines now, or once a frame has passed since the last repaint.
  void RepaintLines();

  ListBoxModel Model;
  ListLineDelegate Delegate;
  int Caret = -1;
  bool CaretPending = false;
  bool RefreshPending = false;
  QElapsedTimer SinceRepaint;
  bool RepaintPending = false;
};
