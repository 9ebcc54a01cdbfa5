#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/controls.h"
#include "platform/dialog.h"
#include "platform/qt/qt_window_system.h"

// A dialog on the main template that records every message it gets. It owns the edit objects
// of the real dialog, with the same text limits and validators.
class RecordingDialog : public TDialog {
 public:
  struct Message {
    unsigned Number;
    std::uintptr_t WParam;
    std::intptr_t LParam;
  };

  explicit RecordingDialog(TWindowSystem& windows);
  long WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;

  std::vector<Message> Messages;
  std::function<void(const Message&)> OnMessage;
  // Commands only, as (id, notification code).
  std::vector<std::pair<unsigned, unsigned>> Commands() const;

 private:
  std::vector<std::unique_ptr<TEdit>> Edits;
};

// The main window built from the main template through the Qt window system, shown offscreen.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;

  QWidget* Frame() const { return Windows.FrameWidget(); }
  QWidget* DialogWidget() const { return Windows.DialogWidget(); }
  QWidget* Control(int id) const;
  template <class T>
  T* ControlAs(int id) const {
    return dynamic_cast<T*>(Control(id));
  }
  // Runs the event loop until the condition holds; false when it never did.
  static bool PumpUntil(const std::function<bool()>& condition);

  QtWindowSystem Windows;
  RecordingDialog Dialog{Windows};
};
