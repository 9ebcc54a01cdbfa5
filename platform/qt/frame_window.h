#pragma once

#include <QWidget>
#include <functional>

#include "platform/window_system.h"

// The top-level frame around the dialog: caption bar, border and icon. Shrink-to-client: its
// client area is always the size of its one client widget.
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

  // Asked before the frame closes; false keeps it open.
  std::function<bool()> CanClose;
  // Called once the frame has closed.
  std::function<void()> Closed;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* Client = nullptr;
  QString CaptionText;
  bool Resizable;
};
