#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/window_system.h"

// A window system that keeps every control's state in memory, for tests: what the program
// shows can be read back exactly, and user actions (clicks, typing, picking list entries,
// timer ticks, closing) can be played in. Geometry uses the standard base units.
class MemoryWindowSystem : public TWindowSystem {
 public:
  struct Control {
    DialogControl Def{};
    TRect Rect;
    std::string Text;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    int TextLimit = 0;
    const TValidator* Validator = nullptr;
    std::vector<std::string> Items;     // drop-down list entries or list box lines
    std::vector<std::string> ToolTips;  // of drop-down list entries, by index
    std::string ToolTip;
    int Selected = -1;
    bool ListOpen = false;     // a drop-down list shows its entries
    int ChangedWhileOpen = 0;  // entries or selection changed under the opened list
  };

  struct Box {
    bool OwnedByDialog;
    std::string Text;
    std::string Caption;
    unsigned Type;
  };

  MemoryWindowSystem() = default;

  // --- TWindowSystem ---
  void CreateMainWindow(const TFrameSpec& frame, TDialog& dialog) override;
  int Run() override;
  void SetFrameCaption(const std::string& caption) override;
  bool IsFrameIconic() const override { return Iconic; }
  void SetDialogCaption(const std::string& caption) override;
  TRect GetDialogClientRect() const override { return {0, 0, DialogWidth, DialogHeight}; }
  void SetDialogSize(int width, int height) override;
  TRect GetControlRect(int id) const override;
  void SetDlgItemText(int id, const std::string& text) override;
  std::string GetDlgItemText(int id) const override { return Get(id).Text; }
  void CheckDlgButton(int id, bool checked) override;
  bool IsDlgButtonChecked(int id) const override;
  void EnableWindow(int id, bool enable) override;
  void ShowWindow(int id, int showCommand) override;
  void SetFocus(int id) override;
  void SetToolTip(int id, const std::string& text) override { At(id).ToolTip = text; }
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
  // How the debug list scrolls and which font it uses is not modelled.
  void ListSetCaretIndex(int, int, bool) override {}
  void ListSetHorizontalExtent(int, int) override {}
  void ListSetFixedPitchFont(int) override {}
  unsigned SetTimer(unsigned id, unsigned periodMs) override;
  bool KillTimer(unsigned id) override;
  int MessageBox(bool ownedByDialog, const std::string& text, const std::string& caption,
                 unsigned type) override;

  // --- Inspection ---
  const Control& Get(int id) const;
  const std::vector<std::string>& Lines(int id) const { return Get(id).Items; }
  std::string FrameCaption;
  std::string DialogCaption;
  TFrameSpec Frame;
  bool Shown = false;
  bool Closed = false;
  int DialogWidth = 0, DialogHeight = 0;
  int FocusId = 0;
  bool Iconic = false;
  std::map<unsigned, unsigned> Timers;  // active timers: id -> period
  std::vector<Box> Boxes;               // every message box shown, in order
  // Calls that change what the user sees, in order ("SetTimer 2300 1000", ...).
  std::vector<std::string> Journal;

  // --- Failure injection and hooks ---
  bool FailSetTimer = false;
  // Runs while a message box is open (the nested loop): a test may deliver events here.
  std::function<void(const Box&)> OnMessageBox;

  // --- User actions ---
  // A click on a button or check box (a check box toggles itself first).
  void Click(int id);
  // Opening a drop-down list: its notification, before the entries are shown.
  void OpenComboList(int id);
  // Picking entry `index` of a drop-down list, with its selection-change notification; an
  // opened list then closes, as a click on an entry closes it.
  void PickComboEntry(int id, int index);
  // The opened list closes without a pick (Escape, a click elsewhere).
  void CloseComboList(int id);
  // Types the text key by key into an edit, as a person would at the end of the field: each
  // keystroke that the text limit or the validator refuses is undone. Yields the number of
  // keystrokes taken. A disabled or hidden edit takes nothing.
  int Type(int id, const std::string& keys);
  // Delivers WM_TIMER when the timer is running.
  bool FireTimer(unsigned id);
  // The user closes the frame; it closes when the dialog allows it.
  bool CloseFrame();

 private:
  Control& At(int id);
  long Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

  TDialog* Dialog = nullptr;
  std::map<int, Control> Controls;
};
