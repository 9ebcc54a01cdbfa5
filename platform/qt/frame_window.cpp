#include "platform/qt/frame_window.h"

#include <QCloseEvent>

namespace {

Qt::WindowFlags FrameFlags(const TFrameSpec& frame) {
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint;
  if (frame.CanMaximize) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

}  // namespace

FrameWindow::FrameWindow(const TFrameSpec& frame)
    : QWidget(nullptr, FrameFlags(frame)), Resizable(frame.CanResize) {}

void FrameWindow::SetClient(QWidget* client) {
  Client = client;
  Client->setParent(this);
  Client->move(0, 0);
  FitClient();
}

void FrameWindow::FitClient() {
  if (Client == nullptr) return;
  if (Resizable)
    resize(Client->size());
  else
    setFixedSize(Client->size());
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
