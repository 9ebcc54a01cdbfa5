#include "platform/qt/frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>

namespace {

Qt::WindowFlags FrameFlags(const TFrameSpec& frame) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint;
  if (frame.CanMaximize) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

// Caption bar and borders, for as long as the window manager has not said how high they are
// (before the frame is first shown): a common title bar with its borders.
constexpr int kAssumedDecorationHeight = 40;

}  // namespace

FrameWindow::FrameWindow(const TFrameSpec& frame)
    : QWidget(nullptr, FrameFlags(frame)), Resizable(frame.CanResize) {
  // Without a frame or a scroll bar, and with the client at its origin, the scroll area
  // shows a client that fits exactly as the frame would show it on its own.
  Scroller = new QScrollArea(this);
  Scroller->setFrameShape(QFrame::NoFrame);
  Scroller->setFocusPolicy(Qt::NoFocus);  // not a stop of the dialog's tab order
  Scroller->setWidgetResizable(false);
  Scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // A control reached from the keyboard, or focused by the program, is scrolled into sight as
  // a whole (the scroll area on its own would show only the current line of the debug list).
  QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == nullptr || Client == nullptr || !Scrolls() || !Client->isAncestorOf(now)) return;
    const QRect at(now->mapTo(Client, QPoint(0, 0)), now->size());
    Scroller->ensureVisible(at.center().x(), at.center().y(), at.width() / 2 + 1,
                            at.height() / 2 + 8);
  });
}

void FrameWindow::SetClient(QWidget* client) {
  Client = client;
  Scroller->setWidget(Client);
  Client->move(0, 0);
  FitClient();
}

int FrameWindow::ClientRoomOnScreen() const {
  const QScreen* shownOn = screen();
  if (shownOn == nullptr) return QWIDGETSIZE_MAX;
  int decoration = frameGeometry().height() - geometry().height();
  if (decoration <= 0) decoration = kAssumedDecorationHeight;
  return shownOn->availableGeometry().height() - decoration;
}

bool FrameWindow::Scrolls() const {
  return Scroller->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
}

void FrameWindow::FitClient() {
  if (Client == nullptr) return;
  const QSize full = Client->size();
  if (Resizable) {
    Scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    resize(full);
    return;
  }
  const int room = ClientRoomOnScreen();
  if (full.height() <= room) {
    Scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedSize(full);
    return;
  }
  // Too tall for the screen: as tall as fits, the scroll bar beside the client, and as tall as
  // the client at most.
  Scroller->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  const int width = full.width() + Scroller->verticalScrollBar()->sizeHint().width();
  setMinimumSize(width, 0);
  setMaximumSize(width, full.height());
  resize(width, std::max(room, 0));
  KeepOnScreen();
}

void FrameWindow::KeepOnScreen() {
  const QScreen* shownOn = screen();
  if (!isVisible() || shownOn == nullptr) return;
  const QRect available = shownOn->availableGeometry();
  const QRect outer = frameGeometry();
  if (outer.bottom() > available.bottom())
    move(pos().x(), std::max(available.top(), pos().y() - (outer.bottom() - available.bottom())));
}

void FrameWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Scroller->setGeometry(rect());
}

void FrameWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Now the window manager knows the caption bar, and the screen the frame is on; the frame
  // fits again whenever it moves to another screen. A frame restored from the task bar keeps
  // the height the user gave it.
  if (event->spontaneous()) return;
  if (QWindow* window = windowHandle())
    QObject::connect(window, &QWindow::screenChanged, this, &FrameWindow::FitClient,
                     Qt::UniqueConnection);
  FitClient();
}

void FrameWindow::SetCaption(const QString& caption) {
  CaptionText = caption;
  // "[*]" marks where a window title shows its modified flag; doubled it stands for itself.
  QString title = caption;
  title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
  setWindowTitle(title);
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (CanClose && !CanClose()) {
    event->ignore();
    return;
  }
  event->accept();
  if (Closed) Closed();
}
