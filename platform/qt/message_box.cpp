#include "platform/qt/message_box.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTimer>
#include <algorithm>

#include "platform/window_messages.h"

namespace {

QMessageBox::Icon IconOf(unsigned type) {
  switch (type & 0xF0u) {
    case MB_ICONSTOP:
      return QMessageBox::Critical;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// A box is only as wide as its text; a caption that says more than the text (a box with the
// whole message in its caption bar) needs the box wide enough to show it.
void MakeRoomForCaption(QMessageBox& box, const QString& caption) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const int width = QFontMetrics(box.font()).horizontalAdvance(caption) + 120;
  grid->addItem(new QSpacerItem(std::min(width, 900), 0, QSizePolicy::Minimum), grid->rowCount(), 0,
                1, grid->columnCount());
}

}  // namespace

int ShowMessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned type,
                   const MessageBoxObserver& observer) {
  QMessageBox box(IconOf(type), caption, text, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setTextInteractionFlags(Qt::NoTextInteraction);
  MakeRoomForCaption(box, caption);
  if (observer) QTimer::singleShot(0, &box, [&box, observer] { observer(box); });
  box.exec();
  return IDOK;
}
