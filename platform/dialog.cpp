#include "platform/dialog.h"

#include "platform/controls.h"

TDialog::TDialog(TWindowSystem& windowSystem, const DialogTemplate& dialogTemplate)
    : WindowSystem(windowSystem), DlgTemplate(dialogTemplate) {}

TDialog::~TDialog() = default;

void TDialog::SetupWindow() {
  for (TControl* child : Children)
    child->Attach();
}

long TDialog::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (message == WM_COMMAND) {
    EvCommand(LowWord(wParam), lParam != 0, HighWord(wParam));
    return 0;
  }
  return 0;
}

void TDialog::EvCommand(unsigned id, bool fromControl, unsigned notifyCode) {
  if (fromControl) EvChildNotify(id, notifyCode);
}

void TDialog::EvChildNotify(unsigned, unsigned) {}

bool TDialog::CanClose() {
  for (TControl* child : Children) {
    auto* edit = dynamic_cast<TEdit*>(child);
    if (edit != nullptr && !edit->IsValid(true)) return false;
  }
  return true;
}
