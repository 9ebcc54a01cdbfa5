#pragma once

#include <QPointer>
#include <memory>

#include "platform/qt/dialog_builder.h"
#include "platform/qt/dialog_font.h"
#include "platform/qt/message_box.h"
#include "platform/window_system.h"

class QApplication;
class QEventLoop;
class FrameWindow;
class TimerTable;

// The window system on Qt Widgets: one frame window whose client is the dialog, built from
// the dialog's template. Controls, timers and message boxes deliver their messages to the
// dialog's WindowProc. Everything runs on the thread that created the QApplication.
//
// Texts are Windows-1252 bytes (see windows1252.h). A text ends at its first NUL, as a C string
// does; every other byte, CR and LF included, comes back from a control exactly as it was set.
//
//   QtWindowSystem windows(argc, argv);
//   MyDialog dialog(windows, ...);
//   windows.CreateMainWindow({"Vellora", kIconId}, dialog);
//   return windows.Run();
class QtWindowSystem final : public TWindowSystem {
 public:
  // Uses the running QApplication, or creates one without command-line arguments.
  QtWindowSystem();
  // Creates the QApplication from the command line when none runs yet; argc and argv must
  // outlive the window system.
  QtWindowSystem(int& argc, char** argv);
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  void CreateMainWindow(const TFrameSpec& frame, TDialog& dialog) override;
  int Run() override;

  void SetFrameCaption(const std::string& caption) override;
  bool IsFrameIconic() const override;

  void SetDialogCaption(const std::string& caption) override;
  TRect GetDialogClientRect() const override;
  void SetDialogSize(int width, int height) override;
  TRect GetControlRect(int id) const override;

  void SetDlgItemText(int id, const std::string& text) override;
  std::string GetDlgItemText(int id) const override;
  void CheckDlgButton(int id, bool checked) override;
  bool IsDlgButtonChecked(int id) const override;
  void EnableWindow(int id, bool enable) override;
  void ShowWindow(int id, int showCommand) override;
  void SetFocus(int id) override;
  void SetToolTip(int id, const std::string& text) override;
  void SetTextLimit(int id, int limit) override;
  void SetValidator(int id, const TValidator* validator) override;

  void ComboResetContent(int id) override;
  int ComboAddString(int id, const std::string& text) override;
  int ComboGetCount(int id) const override;
  int ComboGetSelIndex(int id) const override;
  void ComboSetSelIndex(int id, int index) override;
  void ComboSetItemToolTip(int id, int index, const std::string& text) override;

  int ListGetCount(int id) const override;
  int ListAddString(int id, const std::string& text) override;
  void ListDeleteString(int id, int index) override;
  void ListSetCaretIndex(int id, int index, bool partiallyVisible) override;
  void ListSetHorizontalExtent(int id, int pixels) override;
  void ListSetFixedPitchFont(int id) override;

  unsigned SetTimer(unsigned id, unsigned periodMs) override;
  bool KillTimer(unsigned id) override;

  int MessageBox(bool ownedByDialog, const std::string& text, const std::string& caption,
                 unsigned type) override;

  // --- For tests and tools ---
  // Sees every message box once it is open; it may read and close the box.
  void SetMessageBoxObserver(MessageBoxObserver observer) { BoxObserver = std::move(observer); }
  QWidget* FrameWidget() const;
  QWidget* DialogWidget() const { return Dialog; }
  QWidget* ControlWidget(int id) const;
  DialogBaseUnits BaseUnits() const { return Units; }

 private:
  template <class T>
  T* Control(int id, ControlKind kind) const;
  void Deliver(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

  std::unique_ptr<QApplication> OwnApplication;
  std::unique_ptr<TimerTable> Timers;
  std::unique_ptr<FrameWindow> Frame;
  QWidget* Dialog = nullptr;  // owned by the frame
  TDialog* DialogObject = nullptr;
  const DialogTemplate* Template = nullptr;
  DialogControls Controls;
  DialogBaseUnits Units;
  MessageBoxObserver BoxObserver;
  QPointer<QEventLoop> RunLoop;
};
