#pragma once

#include <memory>
#include <string>

#include "platform/validators.h"
#include "platform/window_system.h"

class TDialog;

// Control objects: typed handles, made once, through which the dialog reaches its controls.
// Each is a child of its dialog and reaches the window system by its control id; the dialog's
// handlers never use an id themselves.
class TControl {
 public:
  TControl(TDialog* parent, int id);
  virtual ~TControl() = default;
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  int GetId() const { return Id; }
  // Called by the dialog's set-up once the control exists.
  virtual void Attach() {}

  void SetWindowText(const std::string& text) { Ws().SetDlgItemText(Id, text); }
  // The whole text (an edit holds no more than its limit).
  std::string GetWindowText() const { return Ws().GetDlgItemText(Id); }
  void EnableWindow(bool enable) { Ws().EnableWindow(Id, enable); }
  void ShowWindow(bool show) { Ws().ShowWindow(Id, show ? SW_SHOWNORMAL : SW_HIDE); }
  void SetFocus() { Ws().SetFocus(Id); }
  void SetToolTip(const std::string& text) { Ws().SetToolTip(Id, text); }
  TRect GetRect() const { return Ws().GetControlRect(Id); }
  // The value the control holds, as text: an edit's text, a check box's "1" or "0".
  virtual std::string Value() const { return GetWindowText(); }
  virtual void SetValue(const std::string& value) { SetWindowText(value); }

 protected:
  TWindowSystem& Ws() const;
  TDialog& ParentDialog() const { return *Parent; }

 private:
  TDialog* Parent;
  int Id;
};

class TEdit : public TControl {
 public:
  // textLimit counts the terminating NUL; 0 for no limit.
  TEdit(TDialog* parent, int id, int textLimit = 0) : TControl(parent, id), TextLimit(textLimit) {}
  // Detaches the validator from the control before it goes.
  ~TEdit() override;
  // The edit owns its validator.
  void SetValidator(std::unique_ptr<TValidator> validator) { Validator = std::move(validator); }
  void Attach() override;
  // Checks the whole field; reports the first failure in a message box.
  bool IsValid(bool reportError);

 private:
  int TextLimit;
  std::unique_ptr<TValidator> Validator;
};

class TCheckBox : public TControl {
 public:
  using TControl::TControl;
  bool IsChecked() const { return Ws().IsDlgButtonChecked(GetId()); }
  void Check(bool checked) { Ws().CheckDlgButton(GetId(), checked); }
  std::string Value() const override { return IsChecked() ? "1" : "0"; }
  void SetValue(const std::string& value) override { Check(value == "1"); }
};

class TButton : public TControl {
 public:
  using TControl::TControl;
  void SetCaption(const std::string& text) { SetWindowText(text); }
};

class TStatic : public TControl {
 public:
  using TControl::TControl;
  void SetText(const std::string& text) { SetWindowText(text); }
};

class TComboBox : public TControl {
 public:
  using TControl::TControl;
  void ClearList() { Ws().ComboResetContent(GetId()); }
  int AddString(const std::string& text) { return Ws().ComboAddString(GetId(), text); }
  int GetCount() const { return Ws().ComboGetCount(GetId()); }
  int GetSelIndex() const { return Ws().ComboGetSelIndex(GetId()); }
  void SetSelIndex(int index) { Ws().ComboSetSelIndex(GetId(), index); }
  void SetItemToolTip(int index, const std::string& text) {
    Ws().ComboSetItemToolTip(GetId(), index, text);
  }
};

class TListBox : public TControl {
 public:
  using TControl::TControl;
  int GetCount() const { return Ws().ListGetCount(GetId()); }
  int AddString(const std::string& text) { return Ws().ListAddString(GetId(), text); }
  void DeleteString(int index) { Ws().ListDeleteString(GetId(), index); }
  void SetCaretIndex(int index, bool partiallyVisible) {
    Ws().ListSetCaretIndex(GetId(), index, partiallyVisible);
  }
  void SetHorizontalExtent(int pixels) { Ws().ListSetHorizontalExtent(GetId(), pixels); }
  void SetFixedPitchFont() { Ws().ListSetFixedPitchFont(GetId()); }
};
