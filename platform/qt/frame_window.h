#pragma once

#include <QWidget>
#include <functional>

#include "platform/window_system.h"

class QScrollArea;

// The top-level frame around the dialog: caption bar, border and icon. Shrink-to-client: its
// client area is the size of its one client widget, and the frame cannot be resized, as long
// as the client fits the screen. A client taller than the screen's available height (the
// expanded dialog on a small or highly scaled screen) is shown as tall as fits, with a vertical
// scroll bar; the frame can then be resized in height up to the client's full height, and the
// control that takes the focus is scrolled into sight.
class FrameWindow : public QWidget {
 public:
  explicit FrameWindow(const TFrameSpec& frame);

  // Places the client at the frame's origin and fits the frame to it.
  void SetClient(QWidget* client);
  // Fits the frame to the client's current size; call after the client has been resized.
  void FitClient();

  // The caption exactly as set; the shown title keeps any "[*]" in it literally.
  void SetCaption(const QString& caption);
  QString Caption() const { return CaptionText; }

  // The client height that fits the available height of the frame's screen with the caption
  // bar and borders.
  int ClientRoomOnScreen() const;
  // True while the client is taller than that and scrolls.
  bool Scrolls() const;

  // Asked before the frame closes; false keeps it open.
  std::function<bool()> CanClose;
  // Called once the frame has closed.
  std::function<void()> Closed;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void KeepOnScreen();

  QWidget* Client = nullptr;
  QScrollArea* Scroller = nullptr;
  QString CaptionText;
  bool Resizable;
};
