#pragma once

#include <string>

#include "platform/dialog_template.h"
#include "platform/window_messages.h"

class TDialog;
class TValidator;

// What the frame window is made of at creation.
struct TFrameSpec {
  std::string Title;  // first caption, until the program sets another
  int IconId = 0;     // large and small icon
  bool ShrinkToClient = true;
  bool CanMaximize = false;
  bool CanResize = false;
};

// The window-system operations the program relies on. Texts are Windows-1252 bytes in both
// directions and text limits count bytes; nothing shown is ever interpreted as markup.
// Controls are those of the one dialog, addressed by id. Messages to the dialog (commands,
// selection changes, timer ticks) reach its TMessageTarget::WindowProc.
class TWindowSystem {
 public:
  virtual ~TWindowSystem() = default;

  // --- Application ---
  // Creates the frame and, as its client, the dialog's window with every control of the
  // dialog's template; runs the dialog's SetupWindow, then shows the frame.
  virtual void CreateMainWindow(const TFrameSpec& frame, TDialog& dialog) = 0;
  // Runs the message loop until the frame closes; yields the exit code.
  virtual int Run() = 0;

  // --- Frame ---
  virtual void SetFrameCaption(const std::string& caption) = 0;
  virtual bool IsFrameIconic() const = 0;

  // --- Dialog window ---
  virtual void SetDialogCaption(const std::string& caption) = 0;
  virtual TRect GetDialogClientRect() const = 0;
  // Resizes the dialog without moving it; the frame's client area follows.
  virtual void SetDialogSize(int width, int height) = 0;
  // A control's rectangle in the dialog's client coordinates, pixels.
  virtual TRect GetControlRect(int id) const = 0;

  // --- Controls by id ---
  virtual void SetDlgItemText(int id, const std::string& text) = 0;
  virtual std::string GetDlgItemText(int id) const = 0;
  virtual void CheckDlgButton(int id, bool checked) = 0;
  virtual bool IsDlgButtonChecked(int id) const = 0;
  virtual void EnableWindow(int id, bool enable) = 0;
  virtual void ShowWindow(int id, int showCommand) = 0;
  virtual void SetFocus(int id) = 0;
  // The text shown while the pointer rests on the control, lines split at '\n'; empty: none.
  virtual void SetToolTip(int id, const std::string& text) = 0;
  // Text limit including the terminating NUL: the user can type limit - 1 bytes.
  virtual void SetTextLimit(int id, int limit) = 0;
  // The validator stays owned by the edit object; nullptr removes it.
  virtual void SetValidator(int id, const TValidator* validator) = 0;

  // --- Drop-down lists ---
  virtual void ComboResetContent(int id) = 0;
  virtual int ComboAddString(int id, const std::string& text) = 0;  // index of the new entry
  virtual int ComboGetCount(int id) const = 0;
  virtual int ComboGetSelIndex(int id) const = 0;  // negative when nothing is selected
  // Selects without a selection-change notification; a negative index selects nothing.
  virtual void ComboSetSelIndex(int id, int index) = 0;
  // The text shown when the pointer rests on the entry in the opened list.
  virtual void ComboSetItemToolTip(int id, int index, const std::string& text) = 0;

  // --- List box ---
  virtual int ListGetCount(int id) const = 0;
  virtual int ListAddString(int id, const std::string& text) = 0;
  virtual void ListDeleteString(int id, int index) = 0;
  // Makes the line the caret line and scrolls it into view.
  virtual void ListSetCaretIndex(int id, int index, bool partiallyVisible) = 0;
  virtual void ListSetHorizontalExtent(int id, int pixels) = 0;
  // The system's fixed-pitch font, applied without redraw.
  virtual void ListSetFixedPitchFont(int id) = 0;

  // --- Timers of the dialog window ---
  // Yields 0 when no timer is available; else WM_TIMER with the id follows every period.
  virtual unsigned SetTimer(unsigned id, unsigned periodMs) = 0;
  virtual bool KillTimer(unsigned id) = 0;

  // --- Message boxes ---
  // Modal, with a nested message loop; returns when closed. Types: MB_OK, MB_ICONSTOP,
  // MB_ICONINFORMATION, MB_ICONEXCLAMATION. ownedByDialog false: a box with no owner window.
  virtual int MessageBox(bool ownedByDialog, const std::string& text, const std::string& caption,
                         unsigned type) = 0;
};
