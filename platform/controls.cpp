#include "platform/controls.h"

#include "platform/dialog.h"

TControl::TControl(TDialog* parent, int id) : Parent(parent), Id(id) {
  if (Parent != nullptr) Parent->AddChild(this);
}

TWindowSystem& TControl::Ws() const {
  return Parent->Ws();
}

TEdit::~TEdit() {
  if (Validator) Ws().SetValidator(GetId(), nullptr);
}

void TEdit::Attach() {
  if (TextLimit > 0) Ws().SetTextLimit(GetId(), TextLimit);
  Ws().SetValidator(GetId(), Validator.get());
}

bool TEdit::IsValid(bool reportError) {
  if (!Validator) return true;
  const std::string text = GetWindowText();
  if (Validator->IsValid(text)) return true;
  if (reportError) {
    // Captioned like the dialog whose field it is.
    Ws().MessageBox(true, Validator->ErrorText(), ParentDialog().Template().Caption,
                    MB_OK | MB_ICONEXCLAMATION);
    SetFocus();
  }
  return false;
}
