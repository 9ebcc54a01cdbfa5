#pragma once

#include <memory>
#include <string>

#include "platform/validators.h"
#include "platform/window_system.h"

class TDialog;

// Control objects: the dialog addresses a control through one of these where it has one.
// Each is a child of its dialog and reaches the window system by its control id.
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
  std::string GetWindowText(int bufferSize) const { return Ws().GetDlgItemText(Id, bufferSize); }
  void EnableWindow(bool enable) { Ws().EnableWindow(Id, enable); }
  void ShowWindow(int showCommand) { Ws().ShowWindow(Id, showCommand); }
  void SetFocus() { Ws().SetFocus(Id); }

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
  const TValidator* GetValidator() const { return Validator.get(); }
  int GetTextLimit() const { return TextLimit; }
  void Attach() override;
  // Checks the whole field; reports the first failure in a message box.
  bool IsValid(bool reportError);

 private:
  int TextLimit;
  std::unique_ptr<TValidator> Validator;
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
  int FindExactString(const std::string& text) const {
    return Ws().ComboFindStringExact(GetId(), text);
  }
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
  std::string GetString(int index) const { return Ws().ListGetString(GetId(), index); }
  void SetCaretIndex(int index, bool partiallyVisible) {
    Ws().ListSetCaretIndex(GetId(), index, partiallyVisible);
  }
  void SetHorizontalExtent(int pixels) { Ws().ListSetHorizontalExtent(GetId(), pixels); }
  void SetFixedPitchFont() { Ws().ListSetFixedPitchFont(GetId()); }
};
