#include "platform/qt/list_box_view.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

namespace {

// Space between the list's border and the text, as the original list box leaves it.
constexpr int kTextIndent = 2;

constexpr qint64 kFrameMs = 16;

}  // namespace

QSize ListLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
  return QSize(Extent, option.fontMetrics.height());
}

void ListLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  const QPalette::ColorGroup group =
      (option.state & QStyle::State_Enabled) == 0 ? QPalette::Disabled : QPalette::Active;
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
  painter->setFont(option.font);
  painter->setPen(
      option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
  painter->drawText(option.rect.left() + kTextIndent,
                    option.rect.top() + option.fontMetrics.ascent(),
                    index.data(Qt::DisplayRole).toString());
  if ((option.state & QStyle::State_HasFocus) != 0) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.backgroundColor =
        option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : nullptr;
    if (style != nullptr) style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
}

ListBoxView::ListBoxView(QWidget* parent) : QListView(parent) {
  setModel(&Model);
  setItemDelegate(&Delegate);
  setUniformItemSizes(true);
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
}

int ListBoxView::AddLine(std::string_view line) {
  const int index = Model.Add(line);
  ScheduleRefresh();
  return index;
}

void ListBoxView::DeleteLine(int index) {
  if (Model.Delete(index)) ScheduleRefresh();
}

void ListBoxView::SetCaretIndex(int index) {
  Caret = index;
  CaretPending = true;
  ScheduleRefresh();
}

void ListBoxView::SetHorizontalExtent(int pixels) {
  Delegate.SetExtent(pixels > 0 ? pixels : 0);
  // Rows take their new width at the next layout.
  scheduleDelayedItemsLayout();
}

void ListBoxView::dataChanged(const QModelIndex&, const QModelIndex&, const QList<int>&) {
  RepaintLines();
}

bool ListBoxView::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Paint) SinceRepaint.start();
  return QListView::viewportEvent(event);
}

void ListBoxView::RepaintLines() {
  if (RepaintPending) return;
  const qint64 since = SinceRepaint.isValid() ? SinceRepaint.elapsed() : kFrameMs;
  if (since >= kFrameMs) {
    viewport()->update();
    return;
  }
  RepaintPending = true;
  QTimer::singleShot(static_cast<int>(kFrameMs - since), this, [this] {
    RepaintPending = false;
    viewport()->update();
  });
}

void ListBoxView::ScheduleRefresh() {
  if (RefreshPending) return;
  RefreshPending = true;
  QMetaObject::invokeMethod(
      this, [this] { Refresh(); }, Qt::QueuedConnection);
}

void ListBoxView::Refresh() {
  RefreshPending = false;
  Model.Publish(selectionModel()->hasSelection());
  if (!CaretPending) return;
  CaretPending = false;
  if (Caret < 0 || Caret >= Model.Count()) return;
  const QModelIndex caret = Model.index(Caret);
  selectionModel()->setCurrentIndex(caret, QItemSelectionModel::NoUpdate);
  scrollTo(caret, QAbstractItemView::EnsureVisible);
}
