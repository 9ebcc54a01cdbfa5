#include "platform/qt/drop_down_list.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "platform/qt/drop_down_list_accessible.h"

namespace {

// The style's own opened list covers the closed one and grows with the entries; this one
// opens below it and shows as many entries as its height takes.
class ListBelowStyle : public QProxyStyle {
 public:
  ListBelowStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_ComboBox_Popup) return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QStyle* SharedListBelowStyle() {
  static QStyle* const style = [] {
    auto* made = new ListBelowStyle;
    made->setParent(qApp);  // lives as long as the widgets that use it
    return made;
  }();
  return style;
}

}  // namespace

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setInsertPolicy(QComboBox::InsertAtBottom);
  setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  setStyle(SharedListBelowStyle());
  InstallDropDownListAccessibility();
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

void DropDownList::showPopup() {
  if (AboutToOpen) AboutToOpen();
  if (ListHeight > 0 && count() > 0) {
    constexpr int kFrame = 2;  // the opened list's border, above and below
    const int row = std::max(1, view()->sizeHintForRow(0));
    setMaxVisibleItems(std::max(1, (ListHeight - 2 * kFrame) / row));
  }
  QComboBox::showPopup();
  // The opened list is a window of its own, made at the first opening.
  if (!WatchingList && view() != nullptr && view()->window() != this) {
    view()->window()->installEventFilter(this);
    WatchingList = true;
  }
}

bool DropDownList::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched == view()->window()) {
    // A click on an entry hides the list before it changes the selection: the closing is told
    // after the selection.
    QTimer::singleShot(0, this, [this] {
      if (Closed) Closed();
    });
  }
  return QComboBox::eventFilter(watched, event);
}

void DropDownList::wheelEvent(QWheelEvent* event) {
  if (!hasFocus()) {
    event->ignore();
    return;
  }
  QComboBox::wheelEvent(event);
}
